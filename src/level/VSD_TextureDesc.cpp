// VSD_TextureDesc: reading the floor texture description files.
#include "level/VSD_TextureDesc.h"

#include "base/ConfigFileReader.h"
#include "base/FileList.h"
#include "level/LevelDescFiles.h"
#include "level/LevelErrorText.h"

namespace {

void FillDummyFloor(VSD_TextureDesc& t)
{
    t.desc = "Dummy-floor";
    t.tileWidth = 32;
    t.tileHeight = 32;
    t.subX = 1;
    t.subY = 1;
    t.overlap = 0;
    t.sourceFile = -1;
}

// Fills one record from entry i of the reader, key by key in the files' documented order.
void ReadTextureDesc(VSD_TextureDesc& t, ConfigFileReader& reader, int32_t i, int32_t records, double defSubX,
                     double defSubY, LevelDescFiles& files)
{
    using F = LevelDescFiles;
    if (reader.GetString("desc", t.desc, i) != ConfigFileReader::kFound)
        files.AddError("No 'desc' entry in vsd texture file (entry %i/%i)", i + 1, records);
    if (reader.GetString("file", t.file, i) != ConfigFileReader::kFound)
        files.AddError("No 'file' entry in texture '%s'", t.desc.c_str());
    reader.GetString("nmap", t.nmap, i);
    reader.GetString("specmap", t.specmap, i);
    reader.GetFloat("heightScale", t.heightScale, i);
    reader.GetFloat("specularPower", t.specularPower, i);
    reader.GetVector3("specularLevel", t.specularLevel, i);
    t.subX = F::Low16(F::GetNumber(reader, "subX", i, defSubX));
    t.subY = F::Low16(F::GetNumber(reader, "subY", i, defSubY));
    t.tileable = F::GetNumber(reader, "tileable", i, 0.0) != 0.0;
    t.overlap = F::Low16(F::GetNumber(reader, "overlap", i, 10.0));
    t.passiveOverlap = TextFileReaderBase::TruncToInt32(F::GetNumber(reader, "PassiveOverlap", i, 1.0));
    t.material = uint16_t(F::Low16(F::GetNumber(reader, "material", i, 1.0)));
}

}  // namespace

int32_t ReadTextureDescFiles(std::vector<VSD_TextureDesc>& textures, const FileList& files, const char* fallbackDir,
                             bool withSourceFiles)
{
    textures.clear();
    ConfigFileReader reader;
    LevelDescFiles loaded;
    if (!loaded.Load(reader, files, fallbackDir, withSourceFiles))
        return 0;
    const int32_t count = reader.GetNumEntries();
    if (count <= 0) {
        LevelErrorText::Set("No entry found");
        return 0;
    }
    const int32_t records = count + 1;
    std::vector<VSD_TextureDesc> made(static_cast<size_t>(records));
    FillDummyFloor(made[0]);
    const double defSubX = LevelDescFiles::GetNumber(reader, "def_subX", -1, 1.0);
    const double defSubY = LevelDescFiles::GetNumber(reader, "def_subY", -1, 1.0);
    for (int32_t i = 0; i < count; i++) {
        VSD_TextureDesc& t = made[size_t(i) + 1];
        ReadTextureDesc(t, reader, i, records, defSubX, defSubY, loaded);
        if (withSourceFiles)
            t.sourceFile = loaded.SourceFileOf(i);
    }
    textures = std::move(made);
    if (loaded.GetErrorCount() > 0) {
        loaded.ReportErrors();
        return -records;
    }
    return records;
}
