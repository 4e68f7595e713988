// SceneFileHeader: reading and writing the header of binary scene files.
#include "engine/scene/SceneFileHeader.h"

#include "base/DXC_Base.h"
#include "base/File.h"
#include "engine/scene/SceneRecordReader.h"

bool SceneFileHeader::Read(File& file, SceneInfoRecord& info, int32_t& version, DXC_Base& reporter,
                           const char* fileName, Messages messages)
{
    const int32_t start = file.GetPos();
    uint8_t magic[4] = {};
    if (!file.Read(magic, 4) || magic[0] != '3' || magic[1] != 'S' || magic[2] != 'C') {
        file.Seek(start);
        return false;
    }
    version = magic[3];
    if (version > kCurrentVersion) {
        if (messages == Messages::kCycle)
            reporter.Error("'%s': Unknown 3sc file version: %i", fileName, version);
        reporter.Error("Unknown 3sc file version: %i (%s)", version, fileName);
    }
    if (version < kOldestVersion)
        reporter.Error("'%s': Obsolete 3sc file version: %i", fileName, version);
    SceneRecordReader in(file);
    info.frameSpeed = in.F32();
    info.firstFrame = in.F32();
    info.lastFrame = in.F32();
    in.Text(info.soundFile);
    in.Text(info.scriptFile);
    return true;
}

void SceneFileHeader::Write(File& file, const SceneInfoRecord& info)
{
    const uint8_t magic[4] = {'3', 'S', 'C', uint8_t(kCurrentVersion)};
    file.Write(magic, 4);
    file.WriteFloat(info.frameSpeed);
    file.WriteFloat(info.firstFrame);
    file.WriteFloat(info.lastFrame);
    file.WriteString(info.soundFile);
    file.WriteString(info.scriptFile);
}
