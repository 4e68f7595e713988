// FuzzProjectileRecord: the projectile's save record read from arbitrary bytes, before and from
// the version that added the attacker, against a world whose action entry "Bolt" has two shots;
// a record that loads is written again, and that writing must load back to the same bytes.
//
// Input: u8 selector (bit 0: version 194, else 275), then the record.
#include "FuzzTarget.h"

#include "game/ctrl/GameCtrl.h"
#include "game/objects/Projectile.h"
#include "world/ActionEntry.h"

namespace {

// The controller whose world holds the action entry of the shots.
WorldCtrl& World()
{
    static GameCtrl* ctrl = [] {
        Fuzz::LoadGameConfig();  // the world of a controller needs its language directory
        auto* made = new GameCtrl;
        ActionEntry& bolt = *made->GetWorld().GetActionTree().Insert(String("Bolt"));
        bolt.name = "Bolt";
        bolt.AddPart(bolt.shots);
        bolt.AddPart(bolt.shots);
        return made;
    }();
    return ctrl->GetWorld();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Fuzz::QuietLog();
    if (size == 0 || size > Fuzz::kMaxInput)
        return 0;
    WorldCtrl& world = World();
    const uint16_t version = (data[0] & 1) ? 194 : 275;
    File file;
    Fuzz::LoadMemoryFile(file, data + 1, size - 1);
    Projectile object;
    object.m_World = &world;
    try {
        object.LoadShot(file, version);
    } catch (const ErrorMsg&) {
        return 0;  // cut short, an unknown entry or an invalid shot
    }
    auto load = [&world](Projectile& again, File& in) {
        again.m_World = &world;
        again.LoadShot(in, Projectile::kAttackerVersion);
    };
    Fuzz::CheckRoundTrip(object, load, [](Projectile& p, File& out) { p.SaveProjectile(out); });
    return 0;
}
