// FuzzRTXLoader: arbitrary text read as a text model export, whole into a scene (meshes welded,
// materials applied, bounds taken) and in header mode into an animation cycle; the key chains of
// the nodes and tracks must then match their counts and evaluate at any time, and every face index
// of a built mesh must name one of its vertices.
#include "FuzzTarget.h"

#include "base/DXC_Base.h"
#include "engine/gfx/DXC_Gfx.h"
#include "engine/scene/DXC_3dScene.h"
#include "engine/scene/DXC_AniCycle.h"
#include "engine/scene/RTXLoader.h"

#include <string>

namespace {

// One loader for every input, as the graphics object keeps one for every load; the server's
// graphics object, which makes placeholders of the textures that exist.
RTXLoader& Loader()
{
    static DXC_Gfx* gfx = [] {
        DXC_Gfx* made = new DXC_Gfx;
        made->SetDedicatedMode(1);
        return made;
    }();
    static RTXLoader* loader = new RTXLoader(gfx);
    return *loader;
}

void Check(DXC_3dObject& node)
{
    if (DXC_PosKey::Count(node.posKeys) != node.numPosKey || DXC_RotKey::Count(node.rotKeys) != node.numRotKey ||
        DXC_ScaleKey::Count(node.scaleKeys) != node.numScaleKey)
        Fuzz::Finding("a key count differs from its chain");
    for (double t : {-1.0, 0.0, 0.4, 1.0, 1e9})
        node.SetAniTime(t, 0, 1);
    node.BuildKeyTimeTables();
    node.SetAniLoop(1);
    node.SetAniTime(0.7, 0, 1);
}

void CheckFaces(DXC_Mesh& mesh)
{
    if (!mesh.deviceMesh)
        return;
    mesh.LockAll(0);
    for (int32_t face = 0; face < mesh.faceCount; face++)
        for (int corner = 0; corner < 3; corner++)
            if (mesh.GetFaceIndex(face, corner) >= mesh.vertexCount)
                Fuzz::Finding("a face index beyond the vertices");
    mesh.UnlockAll();
}

template <class List> void CheckAll(List& list)
{
    for (int32_t i = 0; i < list.GetSize(); i++)
        Check(*list.GetAt(i));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Fuzz::QuietLog();
    if (size > Fuzz::kMaxInput)
        return 0;
    const std::string file = Fuzz::WriteScratchFile(data, size);
    DXC_3dScene scene;
    try {
        Loader().LoadSceneFile(&scene, file.c_str(), 0);
    } catch (const ErrorMsg&) {
        // an error of the file: the scene keeps what was read before it
    } catch (const DXC_Error&) {
    }
    CheckAll(scene.meshes);
    for (int32_t i = 0; i < scene.meshes.GetSize(); i++)
        CheckFaces(*scene.meshes.GetAt(i));
    CheckAll(scene.cameras);
    CheckAll(scene.objects);
    CheckAll(scene.lights);

    DXC_AniCycle cycle;
    try {
        Loader().LoadScene(&cycle, file.c_str(), -1.0f, -1.0f);
    } catch (const ErrorMsg&) {
        return 0;
    } catch (const DXC_Error&) {
        return 0;
    }
    for (int32_t i = 0; i < cycle.objectTrackCount; i++)
        Check(cycle.objectTracks[i]);
    for (int32_t i = 0; i < cycle.meshTrackCount; i++)
        Check(cycle.meshTracks[i]);
    cycle.SetAniTime(0.5);
    return 0;
}
