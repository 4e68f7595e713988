// ProtectionValues: the engine's protection set of a creature, without values of its own. The
// game's rules derive the set they resolve damage against; the controller's factory makes it, so
// a copy is made by type.
#pragma once
#include "base/cfDynamicObject.h"
#include "base/cfLeaAllocator.h"

class ProtectionValues : public cfDynamicObject, public cfLeaAllocator {
public:
    cfDynamicObject* CreateNew() const override { return new ProtectionValues; }
    void CopyTo(cfDynamicObject* other) const override { (void)other; }
};
