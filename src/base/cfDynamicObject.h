// cfDynamicObject: the base of objects that are made by type: a bare instance of the same class
// is asked of an existing one and then filled from it, so that a copy keeps the most derived class
// (an item of the game's own class stays one when an inventory is copied).
#pragma once
#include <cstdint>

class cfDynamicObject {
public:
    virtual ~cfDynamicObject() = default;
    virtual void NoOp(int32_t arg) { (void)arg; }
    // A new default instance of the same class; null when the allocation fails.
    virtual cfDynamicObject* CreateNew() const = 0;
    // Copies this object's data into other, which is of this class or derived from it.
    virtual void CopyTo(cfDynamicObject* other) const = 0;
};
