// FuzzSceneFile: a binary scene file (header and body) read from arbitrary bytes with or without
// geometry, linked, evaluated, tested with segments and written again.
//
// Input: u8 flags (1 load geometry, 2 add colours), then the file.
#include "FuzzTarget.h"

#include "engine/gfx/DXC_Gfx.h"
#include "engine/scene/DXC_3dScene.h"
#include "engine/scene/SceneFileHeader.h"
#include "engine/scene/SceneLoadState.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Fuzz::QuietLog();
    if (size == 0 || size > Fuzz::kMaxInput)
        return 0;
    static DXC_Gfx* gfx = new DXC_Gfx();  // one graphics object for the process, as on the server
    gfx->SetDedicatedMode(1);
    File file;
    Fuzz::LoadMemoryFile(file, data + 1, size - 1);
    DXC_3dScene scene;
    try {
        SceneInfoRecord info;
        int32_t version = 0;
        if (!SceneFileHeader::Read(file, info, version, *gfx, "fuzz.3sc"))
            return 0;
        SceneLoadState& state = SceneLoadState::Current();
        state.version = version;
        state.loadGeometry = (data[0] & 1) != 0;
        state.addColors = (data[0] & 2) != 0;
        state.postProcess = true;
        scene.Read(file, *gfx);
    } catch (const ErrorMsg&) {
        return 0;  // a file cut short or lying about a count
    } catch (const DXC_Error&) {
        return 0;  // a record the scene refuses (a bad id, a link in a circle, a bad index)
    }
    // What was read is whole: evaluating, testing and writing it raise nothing.
    for (double t : {0.0, 0.5, 3.0})
        scene.SetAniTime(t, 1, 1);
    const D3DXVECTOR3 a(-10, -10, -10), b(10, 10, 10);
    char name[32] = "";
    scene.IntersectSegment(a, b, name, sizeof name, nullptr, false);
    scene.HitSegment(a, b, 0.5f);
    float distance = 0;
    scene.IntersectBox(a, b, 0.5f, &distance);
    scene.DistanceToBounds(b);
    File out;
    out.CreateMemoryFile(0);
    try {
        scene.Write(out);
    } catch (const DXC_Error&) {
        return 0;  // a face's material number beyond 16 bits read as widened
    }
    return 0;
}
