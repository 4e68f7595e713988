// CreatureActionState: the creature's running action and movement with their force priorities,
// targets and lock list (CreatureForcedAction), one block of the creature with its own reset.
#pragma once
#include "base/DynaMem.h"
#include "base/SmartPtr.h"
#include "base/String.h"
#include "world/WorldElem.h"

#include <cstdint>

class ActionEntry;

// One lock on the creature's movements and actions: its priority, what it locks and the seconds
// it still holds.
struct CreatureForcedAction {
    static constexpr uint32_t kLocksMovement = 1;
    static constexpr uint32_t kLocksAction = 2;
    static constexpr int32_t kRecordBytes = 12;  // i32 priority, u32 lock flags, f32 time

    int32_t priority = 0;
    uint32_t lockFlags = 0;
    float time = 0.0f;
};

class CreatureActionState {
public:
    static constexpr int32_t kMoveStand = 0;
    static constexpr int32_t kNone = -1;

    CreatureActionState() { ResetState(); }
    CreatureActionState(const CreatureActionState& other) { *this = other; }
    CreatureActionState& operator=(const CreatureActionState& other)
    {
        if (this == &other)
            return *this;
        moveCode = other.moveCode;
        actionCode = other.actionCode;
        actionName = other.actionName;
        pActionEntry = other.pActionEntry;
        movePriority = other.movePriority;
        actionPriority = other.actionPriority;
        for (int32_t i = 0; i < 2; i++) {
            moveTarget[i] = other.moveTarget[i];
            moveVecA[i] = other.moveVecA[i];
            moveVecB[i] = other.moveVecB[i];
        }
        moveSpeed = other.moveSpeed;
        actionParam = other.actionParam;
        actionValue = other.actionValue;
        actionTime = other.actionTime;
        moveTargetObj = other.moveTargetObj;
        actionTargetObj = other.actionTargetObj;
        savedMoveTargetID = other.savedMoveTargetID;
        savedActionTargetID = other.savedActionTargetID;
        forcedActions.CopyElementsFrom(other.forcedActions);
        return *this;
    }

    // Back to no action and standing; the move target, the second vector and the lock list
    // stay. The creature clears its blocked flags with it.
    void ResetState()
    {
        moveCode = kMoveStand;
        actionCode = kNone;
        actionName = String();
        pActionEntry = nullptr;
        movePriority = 0;
        actionPriority = 0;
        moveVecA[0] = moveVecA[1] = 0.0f;
        moveSpeed = 0.0f;
        actionParam = 0.0f;
        actionValue = 0.0f;
        actionTime = 0.0f;
        moveTargetObj = nullptr;
        actionTargetObj = nullptr;
        savedMoveTargetID = kNone;
        savedActionTargetID = kNone;
    }

    int32_t moveCode = kMoveStand;
    int32_t actionCode = kNone;
    String actionName;
    ActionEntry* pActionEntry = nullptr;  // game data, not owned
    int32_t movePriority = 0;
    int32_t actionPriority = 0;
    float moveTarget[2] = {0.0f, 0.0f};
    float moveVecA[2] = {0.0f, 0.0f};
    float moveVecB[2] = {0.0f, 0.0f};
    float moveSpeed = 0.0f;
    float actionParam = 0.0f;
    float actionValue = 0.0f;  // the block's further value
    float actionTime = 0.0f;   // seconds since the start, in action time; negative delays it
    SmartPtr<WorldElem> moveTargetObj;
    SmartPtr<WorldElem> actionTargetObj;
    // The targets' object IDs as a save held them, until the loaded level resolves them; -1 none.
    int32_t savedMoveTargetID = kNone;
    int32_t savedActionTargetID = kNone;
    DynaMem<CreatureForcedAction, 4> forcedActions;
};
