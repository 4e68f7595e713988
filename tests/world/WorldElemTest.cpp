// WorldElem: the type tests, the party relation, attaching without rings, the ground under floor
// objects and by ground mode, the local frame and the smaller slots, life spans, reset and copies
// in the world, and the active cell.
#include "world/WorldElem.h"

#include "world/WorldTestSupport.h"

#include "support/ErrorOf.h"

#include <gtest/gtest.h>

TEST(WorldElemTest, TypeTests)
{
    const struct {
        uint16_t code;
        bool valid, active;
    } kCases[] = {{0, true, true}, {4, true, true}, {7, true, false}, {9, false, false}, {65535, false, false}};
    for (const auto& c : kCases) {
        EXPECT_EQ(WorldElem::IsValidType(c.code), c.valid) << c.code;
        EXPECT_EQ(WorldElem::IsActiveType(c.code), c.active) << c.code;
    }
    WorldElem elem;
    EXPECT_EQ(elem.m_TypeCode, ElemType::kElem);
    EXPECT_STREQ(elem.GetClassName(), "WorldElem");
    EXPECT_EQ(elem.m_Name, wString("*nonmame*"));
    elem.m_TypeCode = ElemType::kItem;
    EXPECT_TRUE(elem.IsCreatureOrItem());
    EXPECT_FALSE(elem.IsCreature());
    elem.Reset();
    EXPECT_EQ(elem.m_TypeCode, ElemType::kElem);
    EXPECT_EQ(elem.GetParty(), WorldElem::kPartyFriendlyToAll);
}

TEST(WorldElemTest, PartyRelation)
{
    const struct {
        int32_t other, self, enemy;
    } kCases[] = {
        {-4, -1, 0}, {1, -4, 1}, {-1, -2, 1}, {-2, -1, 1}, {-2, 3, 0}, {3, 3, 0}, {3, 4, 1},
        {-3, 0, 1},  {-3, 2, 0}, {2, -3, 0}, {0, -3, 1},  {-3, -3, 0},
    };
    WorldElem self;
    WorldElem other;
    for (const auto& c : kCases) {
        self.SetParty(c.self);
        other.SetParty(c.other);
        EXPECT_EQ(self.IsEnemyOf(&other, false), c.enemy) << c.other << " " << c.self;
    }
    EXPECT_EQ(self.IsEnemyOf(nullptr, false), 1);
}

namespace {

// A walkable object (a bridge) whose top lies at a set height.
class FloorObject : public TestElem {
public:
    FloorObject(float x, float y, float top) : TestElem(ElemType::kItem, x, y), top(top) {}
    uint8_t GetFloorObjectFlagByte() override { return 0x36; }
    bool IsAlwaysWalkable() override { return alwaysWalkable; }
    bool GetFloorObjectTop(float, float, float& height) override
    {
        height = top;
        return true;
    }
    float top;
    bool alwaysWalkable = false;
};

}  // namespace

TEST(WorldElemTest, AttachingRefusesRings)
{
    WorldElem parent;
    WorldElem child;
    WorldElem grandchild;
    parent.SetPos(100, 0);
    parent.SetAngle(1.5707963f);
    child.SetPos(10, 0);
    parent.AttachChild(&child);
    EXPECT_EQ(child.m_Parent.Get(), &parent);
    EXPECT_NEAR(child.GetPos().x, 100.0f, 1e-4f);  // (10, 0) turned by a right angle
    EXPECT_NEAR(child.GetPos().y, 10.0f, 1e-4f);
    child.AttachChild(&grandchild);
    grandchild.SetPos(0, 5);
    EXPECT_NEAR(grandchild.GetPos().x, 95.0f, 1e-4f);  // (0, 5) turned twice, from (100, 10)
    EXPECT_NEAR(grandchild.GetPos().y, 10.0f, 1e-4f);

    for (auto attach : {+[](WorldElem& p, WorldElem&, WorldElem&) { p.AttachChild(&p); },
                        +[](WorldElem& p, WorldElem&, WorldElem& g) { g.AttachChild(&p); },
                        +[](WorldElem&, WorldElem& c, WorldElem& g) { g.AttachChild(&c); }})
        EXPECT_EQ(ErrorOf([&] { attach(parent, child, grandchild); }), ": Object can not attach itself");
    EXPECT_EQ(parent.m_Parent.Get(), nullptr);

    WorldElem other;  // attaching one of a chain attaches its top with the whole chain
    other.AttachChild(&grandchild);
    EXPECT_EQ(parent.m_Parent.Get(), &other);
    EXPECT_EQ(grandchild.GetParent(true), &other);

    // A ring made behind the element's back (a save file may say anything) ends in an error,
    // never in a lookup that recurses for ever.
    other.m_Parent = &grandchild;
    EXPECT_EQ(ErrorOf([&] { grandchild.GetPos(); }), "WorldElemGridBase: Object attached to itself!");
    EXPECT_EQ(ErrorOf([&] { grandchild.GetAngle(); }), "WorldElemGridBase: Object attached to itself!");
    EXPECT_EQ(ErrorOf([&] { grandchild.GetHeight(); }), "WorldElemGridBase: Object attached to itself!");
    other.m_Parent = nullptr;
    EXPECT_NEAR(grandchild.GetPos().y, 10.0f, 1e-4f);  // the walk's count was left clean

    child.DetachFromParent();
    EXPECT_EQ(child.m_Parent.Get(), nullptr);
    EXPECT_EQ(parent.m_Children.GetSize(), 0);
}

TEST(WorldElemTest, GroundUnderFloorObjectsAndGroundModes)
{
    LevelTestCtrl ctrl;
    GridWorld world;
    world.SetGrid(16, 16, 64, 64);
    world.SetHeights([](int32_t, int32_t) { return 0.0f; });
    auto* bridge = new FloorObject(300, 300, 20.0f);
    bridge->m_Radius = 100.0f;
    world.AddObj(bridge, 0, false);
    auto* walker = new TestElem(ElemType::kCreature, 250, 300);
    world.AddObj(walker, 0, false);

    walker->m_GroundHeight = 0.0f;  // stood on the floor at 0: 20 units up is too high a step
    walker->m_GroundDirty = 1;
    EXPECT_EQ(walker->GetGroundHeight(), 0.0f);
    EXPECT_FALSE(walker->IsOnFloorObject());
    EXPECT_FALSE(walker->IsOnFloorObjectAt(300, 300));

    bridge->top = 15.0f;  // 15 units up: it steps onto the object
    walker->m_GroundDirty = 1;
    EXPECT_EQ(walker->GetGroundHeight(), 15.0f);
    EXPECT_EQ(walker->m_FloorObjectFlags, (0x36 & 0xFC) + 1);
    EXPECT_TRUE(walker->IsOnFloorObjectAt(300, 300));
    EXPECT_EQ(walker->GetAbsPos3D().z, 15.0f);

    bridge->top = 40.0f;  // once on it, it stays on it whatever its height
    walker->m_GroundDirty = 1;
    EXPECT_EQ(walker->GetGroundHeight(), 40.0f);

    walker->InvalidateGroundHeight();
    walker->m_GroundHeight = 0.0f;
    bridge->alwaysWalkable = true;
    walker->m_GroundDirty = 1;
    EXPECT_EQ(walker->GetGroundHeight(), 40.0f);

    const struct {
        uint8_t mode;
        float ground;
    } kModes[] = {{1, 0.0f}, {2, 0.0f}};
    world.SetHeights([](int32_t, int32_t) { return 7.0f; });
    for (const auto& c : kModes) {
        walker->m_GroundMode = c.mode;
        walker->InvalidateGroundHeight();
        EXPECT_EQ(walker->GetGroundHeight(), c.mode == 1 ? 7.0f : 0.0f);
        EXPECT_EQ(walker->m_FloorObjectFlags, 0);
        EXPECT_FALSE(walker->IsOnFloorObjectAt(300, 300));
    }
    bridge->m_IgnoreInQueries = 1;  // an inactive object carries nobody
    walker->m_GroundMode = 0;
    walker->InvalidateGroundHeight();
    EXPECT_EQ(walker->GetGroundHeight(), 7.0f);
}

TEST(WorldElemTest, SmallSlots)
{
    WorldElem elem;
    elem.SetAngle(1.5707963f);
    elem.m_Pivot[0] = 2.0f;
    elem.m_Pivot[1] = 3.0f;
    elem.m_Pivot[2] = 4.0f;
    const D3DXVECTOR3 world = elem.LocalToWorld(10.0f, 1.0f, 5.0f);
    EXPECT_NEAR(world.x, -2.0f, 1e-4f);  // (12, 2) turned by a right angle
    EXPECT_NEAR(world.y, 12.0f, 1e-4f);
    EXPECT_NEAR(world.z, 9.0f, 1e-6f);
    const D3DXVECTOR3 back = elem.WorldToLocal(world.x, world.y, world.z);
    EXPECT_NEAR(back.x, 10.0f, 1e-4f);
    EXPECT_NEAR(back.y, 1.0f, 1e-4f);
    EXPECT_NEAR(back.z, 5.0f, 1e-6f);

    elem.AddImpulse(10, 20);  // immovable
    EXPECT_EQ(elem.m_VelocityX, 0.0f);
    elem.m_Mass = 2.0f;
    elem.AddImpulse(10, 20);
    EXPECT_EQ(elem.m_VelocityX, 5.0f);
    EXPECT_EQ(elem.m_VelocityY, 10.0f);

    EXPECT_FALSE(elem.FindDamageEntry(1, 2));
    EXPECT_TRUE(elem.FindDamageEntry(1, 2));  // one damage event is taken once
    EXPECT_FALSE(elem.FindDamageEntry(2, 1));

    elem.m_FadeOutValue = 1.5f;
    EXPECT_EQ(elem.GetOpacity(), 1.0f);
    elem.m_FadeOutValue = 0.25f;
    elem.m_Opacity = 0.5f;
    EXPECT_EQ(elem.GetOpacity(), 0.125f);
    EXPECT_TRUE(elem.IsVisible());
    elem.m_FadeOutValue = -1.0f;
    EXPECT_FALSE(elem.IsVisible());
    elem.m_FadeRate = 1.0f;
    elem.UpdateFade(0.0f);  // no time, no fade
    EXPECT_EQ(elem.m_Opacity, 0.5f);

    elem.SetMaster(&elem);  // the element itself clears the master
    EXPECT_EQ(elem.m_Master.Get(), nullptr);
    elem.SetSecondAngle(7.0f);
    EXPECT_NEAR(elem.m_SecondAngle, 0.71682f, 1e-5f);
    EXPECT_EQ(elem.GetViewRange(), 150.0f);
    elem.m_BodyRadius = 10.0f;
    elem.SetPos(0, 0);
    EXPECT_TRUE(elem.IsInRange(12, 0, 2));
    EXPECT_FALSE(elem.IsInRange(12.5f, 0, 2));
    EXPECT_NEAR(elem.GetMyRndFraction(), 0.0f, 0.0f);
    elem.m_MyRnd = 0x40000000;
    EXPECT_EQ(elem.GetMyRndFraction(), 0.5f);

    WorldElem creature;
    creature.m_TypeCode = ElemType::kCreature;
    WorldElem shot;
    WorldElem splinter;
    shot.SetCreator(&creature);
    splinter.SetCreator(&shot);
    EXPECT_EQ(splinter.GetCreatureOwner(), &creature);
    EXPECT_EQ(creature.GetCreatorOrSelf(), &creature);
    EXPECT_EQ(splinter.GetCreatorOrSelf(), &shot);
}

TEST(WorldElemTest, LifeSpansAndResetInTheWorld)
{
    LevelTestCtrl ctrl;
    GridWorld world;
    world.SetGrid(16, 16, 64, 64);
    ctrl.gameTime = 10.0;
    auto* parent = new TestElem(ElemType::kItem, 600, 600);
    world.AddObj(parent, 0, false);
    WorldElem child;
    VSD_WallIntern wall;
    parent->AttachChild(&child);
    parent->m_Children.GetBySlot(parent->m_Children.Add())->Assign(&wall);
    wall.m_TypeCode = ElemType::kWall;
    parent->SetLifeSpan(2.5f);
    EXPECT_EQ(parent->m_LifeSpanEnd, 12.5);
    EXPECT_EQ(child.m_LifeSpanEnd, 12.5);
    EXPECT_EQ(wall.m_LifeSpanEnd, -1.0);  // walls keep theirs
    ctrl.gameTime = 11.0;
    EXPECT_EQ(parent->GetLifeSpanLeft(), 1.5);
    EXPECT_EQ(wall.GetLifeSpanLeft(), -1.0);
    parent->SetLifeSpanEnd(1.0f);
    EXPECT_EQ(parent->m_LifeSpanEnd, 12.0);

    parent->DetachChild(&child);
    parent->m_Children.DeleteAll();
    const int32_t rnd = parent->m_MyRnd;
    parent->m_Party = 3;
    parent->Reset();  // the defaults, but the same identity and slot
    EXPECT_EQ(parent->m_Party, WorldElem::kPartyFriendlyToAll);
    EXPECT_EQ(parent->m_ObjID, 0);
    EXPECT_EQ(parent->m_MyRnd, rnd);
    EXPECT_EQ(world.GetObj(0), parent);
    EXPECT_EQ(world.GetBlock(1, 1)->objects.GetSize(), 0);  // back at the origin's block
    EXPECT_EQ(world.GetBlock(0, 0)->objects.GetSize(), 1);

    WorldElem copy(*parent);  // a copy is in no world or block
    EXPECT_EQ(copy.m_World, nullptr);
    EXPECT_EQ(copy.m_CellListEntry, -1);
    EXPECT_EQ(copy.m_ObjID, -1);
    EXPECT_EQ(world.GetBlock(0, 0)->objects.GetSize(), 1);
}

TEST(WorldElemTest, ActiveCellOnServerAndClient)
{
    LevelTestCtrl ctrl;
    GridWorld world;
    world.SetGrid(16, 16, 64, 64);
    auto* elem = new TestElem(ElemType::kCreature, 600, 100);
    world.AddObj(elem, 0, false);
    elem->m_InActiveCell = 1;
    EXPECT_TRUE(elem->IsInActiveCell());  // elsewhere its own flag
    ctrl.server = true;
    EXPECT_FALSE(elem->IsInActiveCell());  // the server asks the mask
    world.SetActiveBlock(1, 0, true);
    EXPECT_TRUE(elem->IsInActiveCell());
    elem->SetPos(-600, 100);  // outside the grid
    EXPECT_FALSE(elem->IsInActiveCell());
}
