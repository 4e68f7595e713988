// SciFiGameCtrl world events: damage to one target posted through the controller and applied in
// the world's event step (targets gone or replaced, causers gone, causers that are no element,
// directions), unknown types and payloads of a wrong size. Area damage needs a level's grid: the
// sample game's test applies it.
#include "scifi/ctrl/SciFiGameCtrl.h"

#include "scifi/ctrl/AreaDamageEventRecord.h"
#include "scifi/objects/DamageValues_SF.h"
#include "world/WorldEventPayloads.h"

#include "support/LogCapture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

// An element that records the damage it is dealt.
class DamagedElem : public WorldElem {
public:
    struct Hit {
        float physical;
        float poison;
        WorldElem* attacker;
        D3DXVECTOR2 direction;
        D3DXVECTOR2 position;
        int32_t arg;
        int32_t arg2;
    };
    DamagedElem(float x, float y, int32_t party)
    {
        m_TypeCode = ElemType::kCreature;
        m_PosX = x;
        m_PosY = y;
        SetParty(party);
    }
    int32_t OnDamage(DamageValues* damage, WorldElem* attacker, int32_t arg, const D3DXVECTOR2* direction,
                     const char*, int32_t arg2, const D3DXVECTOR2* position) override
    {
        const auto* values = dynamic_cast<DamageValues_SF*>(damage);
        hits.push_back({damage ? damage->GetValue() : -1.0f, values ? values->poison : -1.0f, attacker,
                        direction ? *direction : D3DXVECTOR2(9, 9), position ? *position : D3DXVECTOR2(9, 9), arg,
                        arg2});
        return 0;
    }
    std::vector<Hit> hits;
};

class SciFiGameCtrlWorldEventsTest : public ::testing::Test {
protected:
    DamagedElem* Add(float x = 0.0f, float y = 0.0f, int32_t party = 1)
    {
        auto* elem = new DamagedElem(x, y, party);
        ctrl.GetWorld().AddObj(elem, 0, false);
        return elem;
    }
    // The world's event step, which hands the game's types to the controller.
    void Process() { ctrl.GetWorld().ProcessWorldEvents(); }
    int32_t Queued() { return ctrl.GetWorld().GetEventQueue(0).GetSize(); }

    SciFiGameCtrl ctrl;
    DamageValues_SF damage = [] {
        DamageValues_SF values;
        values.SetPhysical(0, 6.0f);
        values.poison = 2.0f;
        return values;
    }();
};

}  // namespace

TEST_F(SciFiGameCtrlWorldEventsTest, DamageReachesTheTargetWithTheGameValues)
{
    DamagedElem* target = Add(100.0f, 0.0f);
    DamagedElem* causer = Add(0.0f, 0.0f, -1);
    ctrl.AddDamageEvent(target->m_ObjID, causer->m_ObjID, &damage, 10, 20, D3DXVECTOR2(3.0f, 4.0f));
    ctrl.AddDamageEvent(55, causer->m_ObjID, &damage, 0, 0, D3DXVECTOR2(1.0f, 0.0f));  // no such target
    ASSERT_EQ(Queued(), 1);
    DamageEventRecord record;
    ASSERT_TRUE(record.Read(*ctrl.GetWorld().GetEventQueue(0).GetAt(0)));
    EXPECT_EQ(record.causer.objID, causer->m_ObjID);
    EXPECT_EQ(record.damage.rulesValues[0], 2.0f);

    Process();
    ASSERT_EQ(target->hits.size(), 1u);
    const DamagedElem::Hit& hit = target->hits[0];
    EXPECT_EQ(hit.physical, 6.0f);
    EXPECT_EQ(hit.poison, 2.0f);
    EXPECT_EQ(hit.attacker, causer);
    EXPECT_FLOAT_EQ(hit.direction.x, 0.6f);
    EXPECT_FLOAT_EQ(hit.direction.y, 0.8f);
    EXPECT_EQ(hit.position, D3DXVECTOR2(10.0f, 20.0f));
    EXPECT_EQ(hit.arg, 0);
    EXPECT_EQ(hit.arg2, -2);
    EXPECT_EQ(Queued(), 0);

    ctrl.AddDamageEvent(target->m_ObjID, -1, &damage, 0, 0, D3DXVECTOR2(0.0f, 0.0f));
    Process();
    ASSERT_EQ(target->hits.size(), 2u);
    EXPECT_EQ(target->hits[1].direction, D3DXVECTOR2(0.0f, 0.0f));  // a zero direction stays
    EXPECT_EQ(target->hits[1].attacker, nullptr);
}

TEST_F(SciFiGameCtrlWorldEventsTest, TargetsAndCausersGoneMeanwhile)
{
    // A target deleted and its ID taken by a new element: the event is dropped.
    DamagedElem* target = Add();
    const int32_t id = target->m_ObjID;
    ctrl.AddDamageEvent(id, -1, &damage, 0, 0, D3DXVECTOR2(1.0f, 0.0f));
    ctrl.GetWorld().DelObj(id, 0);
    DamagedElem* successor = Add();
    ASSERT_EQ(successor->m_ObjID, id);
    Process();
    EXPECT_TRUE(successor->hits.empty());

    // A causer gone: the target is still damaged, without causer.
    DamagedElem* causer = Add(0.0f, 0.0f, -1);
    ctrl.AddDamageEvent(successor->m_ObjID, causer->m_ObjID, &damage, 0, 0, D3DXVECTOR2(1.0f, 0.0f));
    ctrl.GetWorld().DelObj(causer->m_ObjID, 0);
    LogCapture log;
    Process();
    ASSERT_EQ(successor->hits.size(), 1u);
    EXPECT_EQ(successor->hits[0].attacker, nullptr);
    EXPECT_EQ(log.Count("Invalid causer id"), 0);

    // Causers past the element range are parties, passed on unchecked: 1,000,000 (party 0) is
    // hostile to the target; 1,000,001 is its own party, which takes no damage without friendly
    // fire: had the ID become -1, it would have.
    ctrl.AddDamageEvent(successor->m_ObjID, 1000000, &damage, 0, 0, D3DXVECTOR2(1.0f, 0.0f));
    ctrl.AddDamageEvent(successor->m_ObjID, 1000001, &damage, 0, 0, D3DXVECTOR2(1.0f, 0.0f));
    Process();
    ASSERT_EQ(successor->hits.size(), 2u);
    EXPECT_EQ(successor->hits[1].attacker, nullptr);
}

TEST_F(SciFiGameCtrlWorldEventsTest, UnknownTypesAndWrongSizesAreConsumed)
{
    DamagedElem* target = Add();
    LogCapture log;
    for (uint16_t type : {0, 3, 7, 14}) {
        WorldEvent event;
        event.type = type;
        EXPECT_TRUE(ctrl.HandleWorldEvent(event));
        EXPECT_EQ(log.Count(("Unknown world event " + std::to_string(type) + "!").c_str()), 1) << type;
    }

    // A damage payload one byte longer or shorter than its record is dropped whole.
    DamageEventRecord record;
    record.target.Set(target);
    damage.FillImage(record.damage);
    WorldEvent written;
    record.Write(written);
    for (int32_t size : {DamageEventRecord::kSize - 1, DamageEventRecord::kSize + 1, 0}) {
        std::vector<uint8_t> bytes(size_t(DamageEventRecord::kSize + 1), 0);
        std::copy(written.payload.get(), written.payload.get() + DamageEventRecord::kSize, bytes.begin());
        WorldEvent event;
        SetEventPayload(event, WorldEventType::kDamage, bytes.data(), size, 0.0);
        ctrl.AddGameEvent(&event);
    }
    WorldEvent area;
    SetEventPayload(area, AreaDamageEventRecord::kType, written.payload.get(), 50, 0.0);
    ctrl.AddGameEvent(&area);
    Process();
    EXPECT_TRUE(target->hits.empty());
    EXPECT_EQ(log.Count("Damage event 11 dropped: 115 bytes"), 1);
    EXPECT_EQ(log.Count("Damage event 11 dropped: 117 bytes"), 1);
    EXPECT_EQ(log.Count("Damage event 11 dropped: 0 bytes"), 1);
    EXPECT_EQ(log.Count("Damage event 1 dropped: 50 bytes"), 1);
    EXPECT_EQ(Queued(), 0);
}
