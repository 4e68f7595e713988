// WallDesc: reading the wall description files into wall kinds, and the wall type names.
#include "level/WallDesc.h"

#include "base/ConfigFileReader.h"
#include "base/FileList.h"
#include "level/LevelDescFiles.h"
#include "level/LevelErrorText.h"

#include <memory>

int16_t ParseWallType(const char* name)
{
    static const struct {
        const char* name;
        int16_t code;
    } kTypes[] = {
        {"normal", WallDesc::kTypeNormal},
        {"nomesh", WallDesc::kTypeNoMesh},
        {"filemesh", WallDesc::kTypeFileMesh},
        {"effect", WallDesc::kTypeEffect},
    };
    for (const auto& type : kTypes)
        if (name && String::CompareNoCase(name, type.name) == 0)
            return type.code;
    return WallDesc::kTypeNone;
}

namespace {

// Fills one record from entry i of the reader, key by key in the files' documented order.
void ReadWallDesc(WallDesc& d, ConfigFileReader& reader, int32_t i, int32_t count, double defHeight1,
                  double defSizeU, LevelDescFiles& files)
{
    using F = LevelDescFiles;
    d.id = int16_t(i);
    if (reader.GetValueText("desc", d.desc, WallDesc::kNameSize, i) != ConfigFileReader::kFound)
        files.AddError("No 'desc' entry in vsd wall file (entry %i/%i)", i, count);
    double typ = 0.0;
    char typeName[WallDesc::kNameSize] = {};
    if (reader.GetDouble("typ", typ, i) == ConfigFileReader::kFound)
        d.type = F::Low16(typ);
    else if (reader.GetValueText("type", typeName, WallDesc::kNameSize, i) == ConfigFileReader::kFound)
        d.type = ParseWallType(typeName);
    else
        files.AddError("No 'type' entry in wall '%s'", d.desc);
    reader.GetValueText("file", d.file, WallDesc::kNameSize, i);
    reader.GetValueText("fileBack", d.fileBack, WallDesc::kNameSize, i);
    if (d.type == WallDesc::kTypeNormal) {  // texture keys mean nothing to the other types
        reader.GetValueText("nmap", d.nmap, WallDesc::kNameSize, i);
        d.sizeU = TextFileReaderBase::TruncToInt32(F::GetNumber(reader, "sizeU", i, defSizeU));
    }
    d.height1 = TextFileReaderBase::ToFloat(F::GetNumber(reader, "Height1", i, defHeight1));
    d.height2 = TextFileReaderBase::ToFloat(F::GetNumber(reader, "Height2", i, d.height1));
    d.scale = TextFileReaderBase::ToFloat(F::GetNumber(reader, "scale", i, 1.0));
    d.twoSided = TextFileReaderBase::TruncToInt32(F::GetNumber(reader, "TwoSided", i, 0.0)) != 0;
    d.lightSemiPerm = F::GetNumber(reader, "lightsemiperm", i, 0.0) != 0.0;
    d.solid = F::GetNumber(reader, "solid", i, 1.0) != 0.0;
    d.opacity = TextFileReaderBase::ToFloat(F::GetNumber(reader, "opacity", i, 1.0));
    reader.GetString("objID", d.objID, i);
    reader.GetString("EditName", d.editName, i);
    d.door = uint16_t(F::Low16(F::GetNumber(reader, "door", i, 0.0)));
    d.useSide = uint16_t(F::Low16(F::GetNumber(reader, "UseSide", i, 0.0)));
    d.needKey = uint16_t(F::Low16(F::GetNumber(reader, "NeedKey", i, 65535.0)));
    d.entryPosition = reader.GetEntryStart(i);
    d.entryLength = reader.GetEntryLength(i);
    d.dimensionXZ[0] = 100.0f;
    d.dimensionXZ[1] = 100.0f;
    float dimension[2] = {};
    if (reader.GetFloatPair("dimensionXZ", dimension, i) == ConfigFileReader::kFound) {
        if (dimension[0] > 0.0f && dimension[1] > 0.0f) {  // NaN fails too
            d.dimensionXZ[0] = dimension[0];
            d.dimensionXZ[1] = dimension[1];
        } else {  // the mesh scale divides by it
            reader.Warning("Invalid 'dimensionXZ' of wall '%s': %f,%f (100,100 used)", d.desc, dimension[0],
                           dimension[1]);
        }
    }
    d.localCoords = F::Low16(F::GetNumber(reader, "LocalCoords", i, 0.0));  // sign of the low 16 bits
}

}  // namespace

int32_t ReadWallDescFiles(std::vector<WallDesc>& descs, const FileList& files, const char* fallbackDir,
                          ConfigFileReader* reader, bool withSourceFiles)
{
    descs.clear();
    std::unique_ptr<ConfigFileReader> own;
    if (!reader) {
        own = std::make_unique<ConfigFileReader>();
        reader = own.get();
    }
    LevelDescFiles loaded;
    if (!loaded.Load(*reader, files, fallbackDir, withSourceFiles))
        return 0;
    const int32_t count = reader->GetNumEntries();
    if (count <= 0) {
        LevelErrorText::Set("No entry found");
        return 0;
    }
    std::vector<WallDesc> made(static_cast<size_t>(count));
    const double defHeight1 = LevelDescFiles::GetNumber(*reader, "def_h1", -1, 150.0);
    const double defSizeU = LevelDescFiles::GetNumber(*reader, "def_SizeU", -1, 256.0);
    for (int32_t i = 0; i < count; i++) {
        ReadWallDesc(made[size_t(i)], *reader, i, count, defHeight1, defSizeU, loaded);
        if (withSourceFiles)
            made[size_t(i)].sourceFile = loaded.SourceFileOf(i);
    }
    descs = std::move(made);
    if (loaded.GetErrorCount() > 0) {
        loaded.ReportErrors();
        return -count;
    }
    return count;
}
