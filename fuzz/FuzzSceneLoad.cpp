// FuzzSceneLoad: arbitrary bytes loaded by file name as the graphics object loads models: into a
// scene (binary scene file or text export, chosen by the first bytes), and into animation cycles
// over the whole range and over a frame range; the cycles are then bound to the scene and pose it,
// alone and blended. Seeds: tests/fixtures/scene/make_scene_pair.py.
//
// Input: u8 flags (1 load flag 0x20 no geometry, 2 load flag 0x08 vertex colours), then the file.
#include "FuzzTarget.h"

#include "base/DXC_Base.h"
#include "engine/gfx/DXC_Gfx.h"
#include "engine/scene/DXC_3dScene.h"
#include "engine/scene/DXC_AniCycle.h"

#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Fuzz::QuietLog();
    if (size == 0 || size > Fuzz::kMaxInput)
        return 0;
    static DXC_Gfx* gfx = new DXC_Gfx();  // one graphics object, and so one importer, for every load
    gfx->SetDedicatedMode(1);
    const std::string file = Fuzz::WriteScratchFile(data + 1, size - 1);
    const int32_t flags = ((data[0] & 1) ? 0x20 : 0) | ((data[0] & 2) ? 0x08 : 0);
    DXC_3dScene scene;
    DXC_AniCycle whole, part;
    try {
        gfx->LoadScene(&scene, file.c_str(), flags);
        gfx->ReadSceneFileHeader(&whole, file.c_str(), -1.0f, -1.0f);
        gfx->ReadSceneFileHeader(&part, file.c_str(), 5.0f, 40.0f);
        scene.BindAniCycle(whole, 3);
        scene.BindAniCycle(part, 3);
    } catch (const ErrorMsg&) {
        return 0;  // a file cut short or lying about a count
    } catch (const DXC_Error&) {
        return 0;  // a record the scene refuses (a bad id, a link in a circle, a missing clone source)
    }
    // Two cycles bound to one scene always fit it: posing raises nothing.
    for (double t : {0.0, 0.4, 1e6}) {
        whole.SetAniTime(t);
        part.SetAniTime(t);
        scene.BlendAniCycles(whole, nullptr, 0.0f);
        scene.BlendAniCycles(whole, &part, 0.5f);
        scene.BlendAniCycles(part, &whole, 1.0f);
    }
    return 0;
}
