// FuzzGameDataKeys: arbitrary text opened as a game data file, each of its first entries read by
// the controller's key readers and key curve readers. A reader either fails with the controller's
// error or fills its record; a move path and a key spline that were read are in time order and
// within the list limit.
#include "FuzzTarget.h"

#include "base/BezierSpline.h"
#include "base/ConfigFileReader.h"
#include "game/ctrl/GameCtrl.h"
#include "game/ctrl/ShotRepeat.h"
#include "game/objects/AreaEffect.h"
#include "level/IlluminationData.h"
#include "world/ActionEntryBase.h"
#include "world/DamageEntry.h"
#include "world/HitEffects.h"
#include "world/PathCurve.h"

namespace {

constexpr int32_t kMaxEntries = 6;

void CheckPath(const PathCurve& path)
{
    if (path.GetNumKeys() > GameCtrl::kMaxKeyValues / 3)
        Fuzz::Finding("a move path holds more points than the list limit");
    for (int32_t i = 1; i < path.GetNumKeys(); ++i)
        if (path.keys[size_t(i)].time < path.keys[size_t(i) - 1].time)
            Fuzz::Finding("a move path is out of time order");
}

void CheckSpline(const BezierSpline<float>& spline)
{
    if (spline.GetNumKeys() > GameCtrl::kMaxKeyValues / 2)
        Fuzz::Finding("a key spline holds more knots than the list limit");
    for (int32_t i = 1; i < spline.GetNumKeys(); ++i)
        if (spline.GetKey(i).time < spline.GetKey(i - 1).time)
            Fuzz::Finding("a key spline is out of order");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Fuzz::QuietLog();
    if (size > (1 << 16))
        return 0;
    static GameCtrl* ctrl = (Fuzz::LoadGameConfig(), new GameCtrl);
    ConfigFileReader reader;
    try {
        if (reader.OpenMemory(reinterpret_cast<const char*>(data), int32_t(size)) != 0)
            return 0;
    } catch (const ErrorMsg&) {  // brace errors of the text
        return 0;
    }
    const int32_t entries = std::min(reader.GetNumEntries(), kMaxEntries);
    for (int32_t entry = -1; entry < entries; ++entry) {
        PathCurve path;
        path.loop = uint8_t(entry & 1);
        Fuzz::Guarded([&] { ctrl->ReadMovePath(reader, path, "MovePath", entry, "fuzz"); });
        CheckPath(path);
        BezierSpline<float> spline;
        Fuzz::Guarded([&] { ctrl->ReadBezierSpline1D(reader, "curve", entry, spline, "fuzz"); });
        CheckSpline(spline);

        IlluminationData illumination;
        HitEffects hit;
        AreaEffect area;
        area.hitEffects = &hit;
        DamageEntry damage;
        ActionEntryBase part;
        ShotRepeat repeat;
        float probability = 0;
        float might = 0;
        String item;
        uint8_t netSync = 0;
        Fuzz::Guarded([&] {
            ctrl->ReadIllumination(reader, illumination, entry);
            ctrl->ReadAreaEffect(reader, entry, area);
            ctrl->ReadDamageEntry(reader, entry, &damage);
            ctrl->ReadShotRepeat(part, repeat, reader, entry);
            ctrl->ReadTreasureKey(reader, entry, entry, probability, item, might);
            ctrl->ReadNetSync(reader, netSync, entry);
        });
    }
    return 0;
}
