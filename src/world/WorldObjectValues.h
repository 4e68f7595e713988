// WorldObjectValues: what an element keeps of the world-object entry it was made from beyond the
// fields its classes already give a meaning: its desc, the sizes, sorting and editor values, the
// sound interval and the remaining script and path settings. Plain values,
// copied with the element.
#pragma once
#include "base/String.h"

#include <cstdint>

struct WorldObjectValues {
    static constexpr int32_t kScriptFloats = 8;  // "ScriptFloat1" .. "ScriptFloat8"

    String desc;      // the entry's "desc"; its name unless "name" is given
    String editName;  // "EditName"
    float size = 0.0f;
    float movementSize = 0.0f;
    float useSize = 0.0f;
    float visSize = 0.0f;  // "vsize"
    uint8_t offsetEditorPos = 0;
    uint8_t alwaysOnGround = 0;
    float heightToFlyAbove = 0.0f;
    float startHeight = 0.0f;  // "StartOnGround": -9e9 on the ground, 9e9 not
    int16_t sortClass = 0;
    float scriptFloats[kScriptFloats] = {};
    String scriptString;
    float sortDistOff = 0.0f;
    float sortPos[3] = {0.0f, 0.0f, 0.0f};
    float pos[3] = {0.0f, 0.0f, 0.0f};  // "Pos"
    float backDraw = 0.0f;
    uint8_t pickUp = 0;
    int32_t acRndStart = 0;
    double acStart = 0.0;  // the animation start time
    uint8_t rotateWithPath = 0;
    uint8_t localPathCoords = 0;
    float alpha = 1.0f;
    uint8_t loopPath = 0;
    float loopPathEndTime = 0.0f;
    int32_t pathInterpolation = 0;  // stored minus 1
    float pathStartTime = 0.0f;
    String dlgPic;  // dialogue picture
    uint8_t canEquip = 0;
    float sndRandInterval[2] = {0.0f, 0.0f};
    int32_t effBy = 0;
    float constantRotation = 0.0f;
    float spdRot = 0.0f;
    int16_t specialMark = 0;
    float targetPivot[2] = {0.0f, 0.0f};
    // Creatures: the keys of their world-object entry and of their definition that the creature
    // classes give a meaning.
    static constexpr int32_t kCreatureEffects = 14;  // "EffectSmallDamage" .. "EffectHeal"
    float walkSpeed = 0.0f;  // "acWalkSpd"
    String aiTarget;
    uint8_t inheritAITargets = 0;
    String onKill;
    String onKill2;
    String creatureEffects[kCreatureEffects];
    String centerObj;
    float centerPos[3] = {0.0f, 0.0f, 0.0f};
    float clickPlaneAboveTerrain = 0.0f;
    float aniScale = 1.0f;  // "acScale"
    float aniRotation = 0.0f;  // "acRot", degrees as given
    float pivots[4][2] = {};  // "pivot", "pivot1" .. "pivot3" of a visibility position
    int32_t pivotCount = 0;
};
