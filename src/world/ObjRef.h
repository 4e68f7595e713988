// ObjRef, ObjRef3: lasting references to a world element by its object ID and its check value
// MyRnd, so that a reference to an ID whose slot was reused resolves to nothing; ObjRef3 names
// the element's type code besides. Network messages, scripts and saves carry them; the element
// table resolves them (WorldCtrl::GetObjByIdentifier).
#pragma once
#include <cstdint>

class WorldElemBase;

struct ObjRef {
    int32_t objID = -1;  // -1: no element
    uint32_t myRnd = 0xFFFFFFFFu;

    ObjRef() = default;
    ObjRef(int32_t id, uint32_t rnd) : objID(id), myRnd(rnd) {}

    // Null gives (-1, -1); an element that is not of a live type gives its ID with check value 0.
    ObjRef& Set(const WorldElemBase* elem);
    ObjRef& Reset();
};

struct ObjRef3 {
    int32_t objID = -1;
    uint32_t myRnd = 0xFFFFFFFFu;
    uint16_t type = 0xFFFF;  // the element's type code; 65535 none

    ObjRef3() = default;
    explicit ObjRef3(const WorldElemBase* elem) { Set(elem); }

    ObjRef3& Set(const WorldElemBase* elem);
    ObjRef3& Reset();
    // 1 when type, ID and check value are all equal (compared in that order).
    int32_t Equals(const ObjRef3& other) const;
    // 1 when the reference equals what Set would make of the element now.
    int32_t RefersTo(const WorldElemBase* elem) const;

    // The check value of an element under the live rule: its MyRnd when it is of a live type,
    // else 0; -1 for null.
    static uint32_t CheckValueOf(const WorldElemBase* elem);
};
