// FuzzCreatureData: arbitrary text opened as the animation cycle file, the creature file and a
// difficulty file: each of its first entries read as a cycle set, as a stat block completely and
// as an override, and as a difficulty entry; the same bytes read as a bone weight table. A
// reader either fails with the controller's error or leaves values in their ranges.
#include "FuzzTarget.h"

#include "base/ConfigFileReader.h"
#include "engine/scene/DXC_3dScene.h"
#include "game/ctrl/GameCtrl.h"
#include "game/objects/CreatureObj.h"

#include <algorithm>
#include <cmath>
#include <string>

namespace {

constexpr int32_t kMaxEntries = 6;

// The controller with its cycle set reader open on the fuzz text.
class FuzzCtrl : public GameCtrl {
public:
    bool Open(const char* text, int32_t size)
    {
        m_AniCycleReader.SetDescKey("desc");
        if (m_AniCycleReader.OpenMemory(text, size) != 0)
            return false;
        m_AniCycleSets.clear();
        for (int32_t i = 0; i < m_AniCycleReader.GetNumEntries(); ++i)
            m_AniCycleSets.push_back(std::make_unique<AniCycleSet>());
        return true;
    }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Fuzz::QuietLog();
    if (size > (1 << 16))
        return 0;
    static FuzzCtrl* ctrl = (Fuzz::LoadGameConfig(), new FuzzCtrl);
    ConfigFileReader reader;
    reader.SetDescKey("desc");
    try {
        if (!ctrl->Open(reinterpret_cast<const char*>(data), int32_t(size)) ||
            reader.OpenMemory(reinterpret_cast<const char*>(data), int32_t(size)) != 0)
            return 0;
    } catch (const ErrorMsg&) {  // brace errors of the text
        return 0;
    }
    const int32_t entries = std::min(reader.GetNumEntries(), kMaxEntries);
    for (int32_t entry = 0; entry < entries; ++entry) {
        String name;
        ctrl->GetAniCycleReader().GetString("desc", name, entry);
        Fuzz::Guarded([&] { ctrl->LoadAniCycleSets(name.c_str()); });
        if (AniCycleSet* set = ctrl->GetAniCycleSet(entry))
            for (int8_t variants : set->m_AttackVariantCount)
                if (variants < 0 || variants > AniCycleSet::kAttackVariants)
                    Fuzz::Finding("an attack has more variants than a set holds");

        CreatureObj creature;
        creature.m_Stats.aniCycleSet = entry;
        Fuzz::Guarded([&] { ctrl->LoadCreatureStats(creature, reader, entry, true, true, false); });
        Fuzz::Guarded([&] { ctrl->LoadCreatureStats(creature, reader, entry, false, false, true); });
        if (std::isnan(creature.m_Stats.expDamage) || std::isinf(creature.m_Stats.expDamage))
            Fuzz::Finding("the experience per damage point is not a number");
        Fuzz::Guarded([&] { ctrl->LoadDifficulty(reader, entry); });
    }

    const std::string table = Fuzz::WriteScratchFile(data, size);
    DXC_3dScene scene;  // outlives the creature
    for (const char* bone : {"Root", "Spine", "Head"})
        scene.objects.GetBySlot(scene.objects.Add())->SetObjectName(bone);
    CreatureObj boned;
    boned.SetScene(&scene);
    Fuzz::Guarded([&] { ctrl->LoadBoneWeightTable(table.c_str(), boned); });
    return 0;
}
