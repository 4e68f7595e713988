// The scene body of binary scene files, and whole files.
//
// Scene body (little-endian): the scene's object record; version 103 on its bounds record; u32
// ambient colour, u32 background colour; u8 environment texture present, then its texture
// record; the render option record (17 words, the last from version 104 on); then i32 count and
// the records of the meshes, the cameras, the helper objects and the lights, each list in the
// order of its used slots.
#include "engine/scene/DXC_3dScene.h"

#include "base/File.h"
#include "engine/gfx/DXC_Texture.h"
#include "engine/scene/SceneFileHeader.h"
#include "engine/scene/SceneLoadState.h"
#include "engine/scene/SceneRecordReader.h"
#include "platform/FileSystem.h"

namespace {

constexpr int64_t kMinRecordBytes = 199;  // the object record without names, keys or opacity

template <class List> void WriteList(List& list, File& file)
{
    file.WriteInt32(list.GetSize());
    for (int32_t i = 0; i < list.GetSize(); i++)
        list.GetAt(i)->Write(file);
}

template <class List, class ReadOne> void ReadList(List& list, SceneRecordReader& in, const char* what, ReadOne read)
{
    const int32_t count = in.Count(what, kMinRecordBytes);
    for (int32_t i = 0; i < count; i++)
        read(*list.GetBySlot(list.Add()));
}

}  // namespace

int DXC_3dScene::Write(File& file)
{
    WriteObjectRecord(file);
    WriteBounds(file);
    file.WriteInt32(int32_t(ambientColor));
    file.WriteInt32(int32_t(backgroundColor));
    const bool environment = environmentTexture && environmentTexture->IsValid();
    file.WriteInt8(environment ? 1 : 0);
    if (environment)
        environmentTexture->Save(file);
    for (int i = 0; i < 17; i++)
        file.WriteInt32(int32_t(sceneParams.words[i]));
    WriteList(meshes, file);
    WriteList(cameras, file);
    WriteList(objects, file);
    WriteList(lights, file);
    return 1;
}

int DXC_3dScene::Read(File& file, DXC_Gfx& gfx)
{
    const SceneLoadState& state = SceneLoadState::Current();
    SceneRecordReader in(file);
    Clear();
    ReadObjectRecord(file);
    FinishRead();
    if (state.version >= 103)
        ReadBounds(in);
    ambientColor = in.U32();
    backgroundColor = in.U32();
    if (in.U8()) {
        if (!environmentTexture)
            environmentTexture = new DXC_Texture();
        environmentTexture->ReadFromScene(file, gfx);
    } else {
        delete environmentTexture;
        environmentTexture = nullptr;
    }
    const int storedWords = state.version >= 104 ? 17 : 16;
    for (int i = 0; i < storedWords; i++)
        sceneParams.words[i] = in.U32();
    if (storedWords == 16)
        sceneParams.SetInt(16, 1);
    sceneParams.SetInt(17, 0);
    ReadList(meshes, in, "Mesh", [&](DXC_Mesh& mesh) { mesh.Read(file, gfx); });
    ReadList(cameras, in, "Camera", [&](DXC_Camera& camera) { camera.Read(file); });
    ReadList(objects, in, "Helper object", [&](DXC_3dObject& object) { object.Read(file); });
    ReadList(lights, in, "Light", [&](DXC_Light& light) { light.Read(file); });
    SortMeshesOpaqueFirst();
    if (state.postProcess)
        LinkObjects();
    return 1;
}

void DXC_3dScene::SortMeshesOpaqueFirst()
{
    const int32_t count = meshes.GetSize();
    for (int32_t i = 0; i < count; i++) {
        if (!meshes.GetAt(i)->IsTransparent())
            continue;
        int32_t j = i + 1;
        while (j < count && meshes.GetAt(j)->IsTransparent())
            j++;
        if (j == count)
            break;  // no opaque mesh after it
        meshes.SwapPositions(i, j);
    }
    opaqueMeshCount = 0;
    for (int32_t i = 0; i < count; i++)
        opaqueMeshCount += meshes.GetAt(i)->IsTransparent() ? 0 : 1;
}

int DXC_3dScene::WriteFile(const char* fileName, const DXC_SceneInfo& info)
{
    File body;
    body.CreateMemoryFile(0);
    SceneFileHeader::Write(body, info);
    Write(body);
    const String temporary = String(fileName) + ".tmp";
    File out;
    if (!out.Create(temporary, true))
        Error("Can not create file: '%s'", temporary.c_str());
    const bool written = out.Write(body.GetMemoryBuffer(), size_t(body.GetSize()));
    out.Close();
    if (!written || !Platform::RenameFile(temporary.c_str(), fileName)) {
        Platform::RemoveFile(temporary.c_str());
        Error("Can not write file: '%s'", fileName);
    }
    return 1;
}
