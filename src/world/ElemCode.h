// ElemCode: the 32-bit reference by which saved records name a world object: the low byte of its
// type code in the top 8 bits (2 light, 7 wall, any other value an element), its object ID or
// slot in the low 24 bits; -1 names none. Saves write it; the level loader resolves it once every
// object is back.
#pragma once
#include <cstdint>

class WorldElemBase;

struct ElemCode {
    static constexpr int32_t kNone = -1;

    // The code of an element. A live element that the element table does not hold under its ID
    // is a broken reference: "SaveElemPtr: Invalid pointer", raised through the game controller.
    static int32_t Of(const WorldElemBase* elem);
    // -1 gives kind -1 and ID -1.
    static void Split(int32_t code, int32_t& kind, int32_t& id);
};
