// DXC_Gfx scene files: a binary scene file or a text export into a scene, the animation of either
// into an animation cycle over a range of frames; a loaded scene's shader effects are bound where
// shaders are on (DXC_GfxEffectLoad.cpp).
//
// Both forms may stand under any file name: a file that begins with "3SC" is a binary scene file
// (SceneFileHeader.h, DXC_3dSceneFile.cpp), anything else goes to the text importer. Binary
// files are read through the process's load state (SceneLoadState), which stays as the last load
// left it.
#include "engine/gfx/DXC_Gfx.h"

#include "base/File.h"
#include "base/FileList.h"
#include "base/FileName.h"
#include "engine/gfx/DXC_Material.h"
#include "engine/scene/DXC_3dScene.h"
#include "engine/scene/DXC_AniCycle.h"
#include "engine/scene/RTXLoader.h"
#include "engine/scene/SceneFileHeader.h"
#include "engine/scene/SceneLoadState.h"

#include <cmath>
#include <memory>

namespace {

// Load flag bits that binary files use; the importer reads the others itself.
constexpr int32_t kFlagTextureOption0 = 0x01;
constexpr int32_t kFlagTextureOption1 = 0x02;
constexpr int32_t kFlagAddColors = 0x08;
constexpr int32_t kFlagNoGeometry = 0x20;

// Frames over the frame speed; a file without a frame speed has no clock, and every frame is
// at 0 then.
float Seconds(float frames, float frameSpeed)
{
    if (frameSpeed == 0.0f)
        return 0.0f;
    const float seconds = frames / frameSpeed;
    return std::isfinite(seconds) ? seconds : 0.0f;
}

}  // namespace

void DXC_Gfx::OpenSceneFile(File& file, const char* fileName)
{
    if (loadedFiles)
        RegisterLoadedFile(loadedFiles, fileName);
    if (!file.Open(fileName, true, File::kVirtualFile, false))
        Error("Can not open file: '%s'", fileName);
}

int DXC_Gfx::LoadScene(DXC_3dScene* scene, const char* fileName, int32_t loadFlags)
{
    if (!scene)
        Error("DXC_3dScene pointer in LoadScene is NULL pointer!");
    if (!fileName)
        fileName = "";
    if (checkLevel >= 2)
        CheckFilePath(fileName);  // it only warns
    String directory;
    GetPathDirectory(fileName, directory);
    File file;
    OpenSceneFile(file, fileName);

    DXC_SceneInfo info;
    int32_t version = 0;
    int result = 1;
    const bool binary = SceneFileHeader::Read(file, info, version, *this, fileName);
    if (binary) {
        if (loadFlags == -1)
            loadFlags = 0;
        SceneLoadState& state = SceneLoadState::Current();
        state.version = version;
        state.loadGeometry = (loadFlags & kFlagNoGeometry) == 0;
        state.postProcess = true;
        state.keyWindowOn = false;
        state.addColors = (loadFlags & kFlagAddColors) != 0;
        state.textureOption1 = (loadFlags & kFlagTextureOption1) != 0;
        state.textureOption0 = (loadFlags & kFlagTextureOption0) != 0;
        state.textureDirectory = directory;
        scene->Read(file, *this);
        SceneParams params = scene->GetRenderOptions();
        params.SetInt(0, 0);
        scene->SetRenderOptions(params);
        scene->LinkCloneMeshes();
        rtxLoader->SetSceneInfo(info);
    } else {
        result = rtxLoader->LoadSceneFile(scene, fileName, loadFlags);
        rtxLoader->GetSceneInfo(info);
    }
    scene->SetAniTime(Seconds(info.firstFrame, info.frameSpeed), 1, 0);  // the scene starts at its first frame
    if (binary && version <= 102)  // older files hold no bounds of the whole scene
        scene->ComputeBounds();  // from the nodes' places at the start time
    scene->fileSize = file.GetSize();
    file.Close();
    scene->SetObjectName(fileName);
    if (shadersOn)
        BindSceneEffects(*scene, directory.c_str());
    return result;
}

int DXC_Gfx::ReadSceneFileHeader(DXC_AniCycle* cycle, const char* fileName, float fromFrame, float toFrame)
{
    if (!cycle)
        Error("DXC_AniCycle pointer in ReadSceneFileHeader is NULL pointer!");
    if (!fileName)
        fileName = "";
    auto scene = std::make_unique<DXC_3dScene>();  // only the cycle outlives the load
    File file;
    OpenSceneFile(file, fileName);

    DXC_SceneInfo info;
    int32_t version = 0;
    int result = 1;
    if (SceneFileHeader::Read(file, info, version, *this, fileName, SceneFileHeader::Messages::kCycle)) {
        SceneLoadState& state = SceneLoadState::Current();
        state.version = version;
        state.loadGeometry = false;
        state.postProcess = false;  // the cycle links its own tracks
        state.keyWindowOn = false;
        state.addColors = false;
        if (fromFrame < 0.0f && toFrame < 0.0f) {
            fromFrame = info.firstFrame;
            toFrame = info.lastFrame;
        }
        scene->Read(file, *this);
        // Key times count from the file's first frame.
        result = BuildAniCycle(*scene, *cycle, Seconds(fromFrame - info.firstFrame, info.frameSpeed),
                               Seconds(toFrame - info.firstFrame, info.frameSpeed));
    } else {
        result = rtxLoader->LoadScene(cycle, fileName, fromFrame, toFrame);
    }
    file.Close();
    cycle->SetCycleName(fileName);  // at most 63 characters
    cycle->SetAniTime(0.0);
    return result;
}
