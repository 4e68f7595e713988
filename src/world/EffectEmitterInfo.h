// EffectEmitterInfo: one effect emitter that a scene object shows at a dummy point of its scene
// (items carry them too): the effect, its offset from the dummy, its rate and lifetime, and the
// runtime state of the emitting object.
#pragma once
#include "base/DynaMem.h"
#include "base/String.h"

#include <cstdint>

class DXC_3dObject;
class File;
class FileRecordReader;

struct EffectEmitterInfo {
    // The values that decide whether two stacks of items look the same.
    bool SameEmission(const EffectEmitterInfo& other) const
    {
        return effectName == other.effectName && offset[0] == other.offset[0] && offset[1] == other.offset[1] &&
               offset[2] == other.offset[2] && rate == other.rate && rate2 == other.rate2 &&
               randomEmission == other.randomEmission && valueA == other.valueA;
    }
    // Emitters made at run time (named) and ended ones are not part of a save.
    bool IsSaved() const { return name.IsEmpty() && !runtimeFlag2 && !lifeOver; }

    // The saved fields, in record order (33 bytes with two empty texts); the server's effect
    // catalogue resolves no effect from the name.
    void Save(File& file) const;
    void Load(FileRecordReader& in);
    // The count of saved emitters, then each of them.
    static void SaveList(File& file, DynaMem<EffectEmitterInfo, 2>& emitters);

    String name;           // set for emitters made at run time
    float valueA = 0.1f;
    uint8_t flag = 0;
    float valueB = 1.0f;
    int32_t ids[3] = {-1, -1, -1};
    // The effect by name. The effect catalogue resolves it to its record where effects are drawn;
    // on the server it resolves none, and the name is kept for the save.
    String effectName;
    float offset[3] = {0.0f, 0.0f, 0.0f};  // from the dummy point
    float lifeTime = 0.0f;                 // seconds left; 0 unlimited
    float rate = 1.0f;                     // per second
    float rate2 = 0.0f;
    uint8_t randomEmission = 1;
    String dummyName;
    uint8_t emitting = 0;  // in this frame
    uint8_t runtimeFlag2 = 0;
    uint8_t lifeOver = 0;
    DXC_3dObject* dummy = nullptr;  // found under dummyName in the owner's scene
};

// An emitter list that copies as a list, for records that are copied whole (an action's effect
// is stored once per repetition).
class EffectEmitterList : public DynaMem<EffectEmitterInfo, 2> {
public:
    EffectEmitterList() = default;
    EffectEmitterList(const EffectEmitterList& other) : DynaMem() { CopyFrom(other); }
    EffectEmitterList& operator=(const EffectEmitterList& other)
    {
        if (&other != this)
            CopyFrom(other);
        return *this;
    }
    EffectEmitterInfo& Append() { return *GetBySlot(Add()); }

private:
    void CopyFrom(const EffectEmitterList& other)
    {
        DeleteAll();
        auto& from = const_cast<EffectEmitterList&>(other);  // walking by position builds its index
        for (int32_t position = 0; position < from.GetSize(); position++)
            if (const EffectEmitterInfo* emitter = from.GetAt(position))
                Append() = *emitter;
    }
};
