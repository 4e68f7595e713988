// WorldBlock: one block of 512 by 512 world units of the world grid, with the four lists of the
// elements whose position lies in it: objects, lights, walls (by their centre) and effects. The
// lists hold grid pointers; an element keeps its block and its entry in the list.
#pragma once
#include "base/DynaMem.h"
#include "world/WorldElemGridBase.h"

#include <cstdint>

struct WorldBlock {
    using List = DynaPtrList<WorldElemGridBase*, 64, 1>;  // grows; never owns its elements

    List objects;  // every type code but lights, walls and effects
    List lights;
    List walls;
    List effects;

    // The list that holds elements of a type code.
    List& ListFor(uint16_t typeCode)
    {
        switch (typeCode) {
        case ElemType::kLight:
            return lights;
        case ElemType::kWall:
            return walls;
        case ElemType::kEffect:
            return effects;
        default:
            return objects;
        }
    }
};
