// FuzzSceneRecords: the material, texture and map records of scene files read from arbitrary
// bytes in any version the scene reader accepts, without loading images, then written again.
//
// Input: u8 selector (low nibble: version 100 + n % 11; bits 4-5: 0 material, 1 texture,
// 2 map record, 3 all three in turn), then the records, read until the bytes end or one fails.
#include "FuzzTarget.h"

#include "engine/gfx/DXC_Gfx.h"
#include "engine/gfx/DXC_Material.h"
#include "engine/gfx/DXC_Texture.h"
#include "engine/scene/SceneLoadState.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Fuzz::QuietLog();
    if (size == 0 || size > Fuzz::kMaxInput)
        return 0;
    static DXC_Gfx* gfx = new DXC_Gfx();  // one graphics object for the process, as on the server
    gfx->SetDedicatedMode(1);
    SceneLoadState& state = SceneLoadState::Current();
    state.version = 100 + (data[0] & 15) % 11;
    state.loadGeometry = false;
    const int kind = (data[0] >> 4) & 3;
    File file;
    Fuzz::LoadMemoryFile(file, data + 1, size - 1);
    File out;
    out.CreateMemoryFile(0);
    for (int round = 0; file.GetRemaining() > 0 && round < 64; round++) {
        const int which = kind == 3 ? round % 3 : kind;
        try {
            if (which == 0) {
                DXC_Material material;
                material.Load(file);
                material.Animate(1.5);
                material.Save(out);
            } else if (which == 1) {
                DXC_Texture texture;
                texture.ReadFromScene(file, *gfx);
                texture.Update(0.75f);
                texture.Save(out);
            } else {
                DXC_MapInfo map;
                map.Load(file);
                map.Write(out);
            }
        } catch (const ErrorMsg&) {
            return 0;  // a record cut short or lying about a count
        } catch (const DXC_Error&) {
            return 0;  // a texture whose frame time cannot pick a frame
        }
    }
    return 0;
}
