// WorldObjectCreateParams: how one element is made from a world-object entry: the flags of the
// caller, the placement, the owner it is attached to and the result flag handed back. Children
// are made with a copy of their parent's record.
#pragma once
#include <cstdint>

class WorldElem;

struct WorldObjectCreateParams {
    uint8_t addToWorld = 0;
    uint8_t withItem = 0;              // usable objects read "item"
    uint8_t createChildren = 0;
    uint8_t buildBox = 0;              // box and wall children of usable objects
    uint8_t childFlag = 0;             // set on every child an element makes
    uint8_t keepPosition = 0;
    uint8_t createEffectChildren = 0;
    uint8_t networkClient = 0;
    int32_t levelElement = -1;         // -1: the controller's current default
    float rotation = 0.0f;
    int32_t hasPosition = 0;
    float posX = 0.0f;
    float posY = 0.0f;
    float heightOffset = 0.0f;         // added to the element's height
    WorldElem* owner = nullptr;        // the element attached to, when given
    uint8_t result = 0;

    // What a client gives an element it makes for the server's object synchronisation: placed in
    // the world with its item, children and box, a child, effect children, no position.
    void SetDefaults()
    {
        addToWorld = 1;
        withItem = 1;
        createChildren = 1;
        buildBox = 1;
        childFlag = 1;
        keepPosition = 0;
        createEffectChildren = 1;
        networkClient = 0;
        levelElement = -1;
        rotation = 0.0f;
        hasPosition = 0;
        posX = 0.0f;
        posY = 0.0f;
        heightOffset = 0.0f;
        owner = nullptr;
        result = 0;
    }
};
