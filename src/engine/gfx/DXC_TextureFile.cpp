// DXC_Texture in scene files: the texture record of a material with its four stages, and the
// map record of one stage.
//
// Texture record (little-endian), version 110:
//   i32 mip level count, f32 start time, f32 frame time,
//   u32 sequence stage (upper 16 bits) and playback mode (lower 16 bits),
//   f32 a value kept with the texture, i32 video source number,
//   then per stage (4): the stage record (DXC_MapInfo) and the stage's file name (String).
// Versions below 110 hold per stage the stage's transform animation (the five curves and the five
// constants), the file name and an 8-byte block whose first word is the old map kind; versions up
// to 104 add four more blocks (five vectors of 12 bytes, five 32-bit words, a String and 8 bytes)
// that nothing reads any more.
#include "engine/gfx/DXC_Texture.h"

#include "base/File.h"
#include "engine/gfx/DXC_Gfx.h"
#include "engine/scene/SceneLoadState.h"

namespace {

void CutShort(File& file)  // throws
{
    file.Error("Texture record cut short");
}

int32_t ReadI32(File& file)
{
    int32_t value = 0;
    if (!file.ReadInt32(&value))
        CutShort(file);
    return value;
}

float ReadF32(File& file)
{
    float value = 0.0f;
    if (!file.ReadFloat(&value))
        CutShort(file);
    return value;
}

void ReadText(File& file, String& text)
{
    if (!file.ReadString(text))
        CutShort(file);
}

void Skip(File& file, int32_t bytes)
{
    if (bytes > file.GetRemaining() || !file.Seek(file.GetPos() + bytes))
        CutShort(file);
}

// Old map kinds: 1 diffuse, 3 reflection, 4 light map, 8 self-illumination.
int32_t MapTypeOfOldKind(int32_t kind)
{
    switch (kind) {
    case 1:
        return MAP_DIFFUSE;
    case 3:
        return MAP_REFLECTION;
    case 4:
        return MAP_LIGHT;
    case 8:
        return MAP_SELFILLUM;
    default:
        return MAP_NONE;
    }
}

}  // namespace

void DXC_MapInfo::LoadAnimation(File& file)
{
    for (BezierSpline<float>& curve : animation.curves)
        curve.Load(file);
    for (float& constant : animation.constants)
        constant = ReadF32(file);
}

void DXC_MapInfo::WriteAnimation(File& file) const
{
    for (const BezierSpline<float>& curve : animation.curves)
        curve.Save(file);
    for (float constant : animation.constants)
        file.WriteFloat(constant);
}

void DXC_MapInfo::Load(File& file)
{
    int16_t type = 0;
    if (!file.ReadInt16(&type) || !file.ReadInt16(&texCoordIndex))
        CutShort(file);
    mapType = type;
    LoadAnimation(file);
    blendAmount = ReadF32(file);
    if (!file.ReadInt8(&mirrorU) || !file.ReadInt8(&mirrorV) || !file.ReadInt8(&wrapU) || !file.ReadInt8(&wrapV))
        CutShort(file);
}

void DXC_MapInfo::Write(File& file) const
{
    file.WriteInt16(mapType);
    file.WriteInt16(texCoordIndex);
    WriteAnimation(file);
    file.WriteFloat(blendAmount);
    file.WriteInt8(mirrorU);
    file.WriteInt8(mirrorV);
    file.WriteInt8(wrapU);
    file.WriteInt8(wrapV);
}

void DXC_Texture::Save(File& file) const
{
    file.WriteInt32(mipLevels);
    file.WriteFloat(startTime);
    file.WriteFloat(frameTime);
    file.WriteInt32(int32_t((uint32_t(sequenceStage) << 16) | (uint32_t(playbackMode) & 0xFFFFu)));
    file.WriteFloat(recordFloat);
    file.WriteInt32(videoSource);
    for (int32_t s = 0; s < kStages; s++) {
        stages[s].Write(file);
        file.WriteString(stageNames[s]);
    }
}

void DXC_Texture::ReadFromScene(File& file, DXC_Gfx& gfx)
{
    const SceneLoadState& state = SceneLoadState::Current();
    Release();
    const int32_t levels = ReadI32(file);
    const float start = ReadF32(file);
    const float duration = ReadF32(file);
    const uint32_t sequenceWord = uint32_t(ReadI32(file));
    const float kept = ReadF32(file);
    const int32_t video = ReadI32(file);
    resourceManager = &gfx.GetTextureManager();

    for (int32_t s = 0; s < kStages; s++) {
        DXC_MapInfo& stage = stages[s];
        if (state.version >= 110) {
            stage.Load(file);
            ReadText(file, stageNames[s]);
            continue;
        }
        stage.LoadAnimation(file);
        ReadText(file, stageNames[s]);
        const int32_t kind = ReadI32(file);
        ReadI32(file);  // the second word of the old block has no use
        stage.mapType = stageNames[s].IsEmpty() ? MAP_NONE : MapTypeOfOldKind(kind);
        if (stage.mapType == MAP_REFLECTION)
            stage.blendAmount = state.blendWeight;
        stage.mirrorU = state.stageFlags[0];
        stage.mirrorV = state.stageFlags[1];
        stage.wrapU = state.stageFlags[2];
        stage.wrapV = state.stageFlags[3];
    }

    if (state.loadGeometry) {
        for (int32_t s = 0; s < kStages; s++) {
            DXC_MapInfo& stage = stages[s];
            if (stageNames[s].IsEmpty()) {
                stage.mapType = MAP_NONE;  // nothing to show
                continue;
            }
            if ((stage.mapType == MAP_NORMAL && !state.textureOption1) || !gfx.IsMapTypeSupported(stage.mapType))
                continue;
            String resolved;
            if (!gfx.ResolveFileName(stageNames[s].c_str(), stageNames[s].GetLength(), resolved,
                                     state.textureDirectory.c_str())) {
                Warning("File '%s': Can not open texture: %s", file.GetFileName().c_str(), stageNames[s].c_str());
                continue;
            }
            if (gfx.checkLevel >= 1)
                gfx.CheckFilePath(resolved.c_str());
            const int32_t type = stage.mapType;
            SelectStage(s, 0);
            gfx.LoadTexture(this, resolved.c_str(), 0, 0x2000, -1, state.mipmapLevels);
            stages[s].mapType = type;
        }
    }

    if (state.version <= 104) {
        for (int block = 0; block < 4; block++) {
            Skip(file, 5 * 12 + 5 * 4);
            String dropped;
            ReadText(file, dropped);
            Skip(file, 8);
        }
    }

    mipLevels = levels;
    startTime = start;
    frameTime = duration;
    sequenceStage = int32_t(sequenceWord >> 16);
    playbackMode = int32_t(sequenceWord & 0xFFFFu);
    recordFloat = kept;
    videoSource = video;
    if (sequenceStage < 0 || sequenceStage >= kStages)
        sequenceStage = 0;  // a sequence can replace only one of the four stages
    SelectStage(frameCount > 0 ? sequenceStage : 0, 0);
    UpdateDesc();
}
