// IlluminatedObject: the light-receiver part that scene objects and level walls share: the
// lights that reach the object now, and how it takes light (its illumination record).
#pragma once
#include "base/DynaMem.h"
#include "base/SmartPtr.h"
#include "level/IlluminationData.h"
#include "world/WorldElemBase.h"

#include <cstdint>

class File;
class FileRecordReader;

// One light that reaches a lit object, with the five values the render side keeps for it.
struct VSD_LightPowerList {
    SmartPtr<WorldElemBase> light;
    float values[5] = {0.0f, 0.0f, 0.0f, 0.0f, 0.0f};
};

class IlluminatedObject {
public:
    IlluminatedObject() = default;
    IlluminatedObject(const IlluminatedObject& other) { CopyIllumination(other); }
    IlluminatedObject& operator=(const IlluminatedObject& other)
    {
        if (this != &other)
            CopyIllumination(other);
        return *this;
    }
    virtual ~IlluminatedObject() = default;

    // The record: u8 constant illumination, u8 fixed-illumination flag, 3 f32 direction,
    // u32 colour, String of the lights it ignores. The ambient byte comes from the type alone.
    void SaveIllumination(File& file) const;
    void LoadIllumination(FileRecordReader& in);

    int32_t m_IllumValue = 0;  // render side
    DynaMem<VSD_LightPowerList, 2> m_Lights;
    IlluminationData m_Illumination;

private:
    // The light list is copied entry by entry, so that each copy registers with its light.
    void CopyIllumination(const IlluminatedObject& other);
};
