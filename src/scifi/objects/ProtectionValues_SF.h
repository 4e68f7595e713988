// ProtectionValues_SF: the game's protection factors of a creature, each multiplying the damage
// of its kind (1.0: no protection): physical 1 and 2 ("defPhysRel1", "defPhysRel2", or
// "defPhysRel" for both) and poison ("defPoisonRel").
#pragma once
#include "world/ProtectionValues.h"

class File;
class FileRecordReader;

class ProtectionValues_SF : public ProtectionValues {
public:
    static constexpr int32_t kRecordBytes = 12;

    cfDynamicObject* CreateNew() const override { return new ProtectionValues_SF; }
    void CopyTo(cfDynamicObject* other) const override;
    // The three factors (f32) in field order.
    void Save(File& file) const;
    void Load(FileRecordReader& in);

    float physical[2] = {1.0f, 1.0f};
    float poison = 1.0f;
};
