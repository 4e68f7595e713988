// FuzzKeyChain: the position, rotation and scale key chains of a scene node read from arbitrary
// bytes, then evaluated through the chain walk and the time tables, cropped and reduced.
//
// Input: u8 flags (1 position chain, 2 rotation chain, 4 scale chain, 8 looping, 16 crop,
// 32 reduce, 64 animation range), then the chains present, in that order, as the scene file
// stores them, then the f32 animation range when flagged.
#include "FuzzTarget.h"

#include "engine/scene/DXC_3dObject.h"

#include <vector>

namespace {

template <class K> int32_t ReadChain(File& file, K*& first)
{
    first = new K;  // owned by the node from here on, so a chain cut short is freed with it
    return first->Read(file);
}

template <class K> void CollectTimes(const K* first, std::vector<double>& times)
{
    for (const K* k = first; k && times.size() < 256; k = k->next) {
        times.push_back(k->time);
        times.push_back(double(k->time) + 0.25);
    }
}

void Animate(DXC_3dObject& node)
{
    std::vector<double> times = {-1.0, 0.0, 1e9};
    CollectTimes(node.posKeys, times);
    CollectTimes(node.rotKeys, times);
    CollectTimes(node.scaleKeys, times);
    for (double t : times)
        node.SetAniTime(t, 0, 1);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Fuzz::QuietLog();
    if (size == 0 || size > Fuzz::kMaxInput)
        return 0;
    const uint8_t flags = data[0];
    File file;
    Fuzz::LoadMemoryFile(file, data + 1, size - 1);
    DXC_3dObject node;
    try {
        if (flags & 1)
            node.numPosKey = ReadChain(file, node.posKeys);
        if (flags & 2)
            node.numRotKey = ReadChain(file, node.rotKeys);
        if (flags & 4)
            node.numScaleKey = ReadChain(file, node.scaleKeys);
        float range = 0.0f;
        if ((flags & 64) && file.ReadFloat(&range))
            node.SetAniRange(range);
    } catch (const ErrorMsg&) {
        return 0;  // a chain cut short; the node frees what was read
    }
    // Whatever was read, the counts match the chains: no DXC_Error is expected from here on.
    node.SetAniLoop(flags & 8 ? 1 : 0);
    Animate(node);  // by walking the chains
    node.BuildKeyTimeTables();
    Animate(node);  // by the time tables
    if (flags & 16) {
        node.CropKeys(0.5f, 100.0f);
        Animate(node);
    }
    if (flags & 32) {
        node.ReduceKeys(1);
        Animate(node);
    }
    return 0;
}
