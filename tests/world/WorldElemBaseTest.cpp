// WorldElemBase: moves and turns passed on to the children, detaching a child in place, the
// collision mask and the script variables.
#include "world/WorldElemBase.h"

#include "world/WorldElem.h"

#include "support/ErrorOf.h"
#include "support/LogCapture.h"

#include <gtest/gtest.h>

namespace {

void Attach(WorldElem& parent, WorldElem& child)
{
    child.m_Parent = &parent;
    parent.m_Children.GetBySlot(parent.m_Children.Add())->Assign(&child);
}

struct Creature : WorldElem {
    bool flag = false;
    Creature(bool f) : flag(f) { m_TypeCode = ElemType::kCreature; }
    bool GetCreatureFlag() const override { return flag; }
};

}  // namespace

TEST(WorldElemBaseTest, ChildrenFollowAndDetachInPlace)
{
    WorldElem parent;
    WorldElem child;
    parent.SetPos(100, 0);
    Attach(parent, child);
    child.SetPos(10, 0);
    child.m_Moved = 0;
    child.m_Turned = 0;
    parent.SetPos(200, 0);
    EXPECT_EQ(child.m_Moved, 1);
    parent.SetAngle(1.5707963f);
    EXPECT_EQ(child.m_Turned, 1);
    child.m_Turned = 0;
    parent.SetAngle(1.5707963f);  // unchanged: nothing passed on
    EXPECT_EQ(child.m_Turned, 0);

    parent.SetHeight(40);
    child.SetHeight(2);
    const D3DXVECTOR2 before = child.GetPos();
    parent.DetachChild(&child);
    EXPECT_EQ(child.m_Parent.Get(), nullptr);
    EXPECT_EQ(parent.m_Children.GetSize(), 0);
    EXPECT_NEAR(child.GetPos().x, before.x, 1e-4f);
    EXPECT_NEAR(child.GetPos().y, before.y, 1e-4f);
    EXPECT_EQ(child.GetHeight(), 42.0f);

    LogCapture log;
    parent.DetachChild(&child);
    EXPECT_EQ(log.Count("Object for detachment not found!"), 1);

    {
        WorldElem gone;
        Attach(parent, gone);
    }
    EXPECT_EQ(parent.m_Children.GetSize(), 1);
    parent.PurgeChildren();
    EXPECT_EQ(parent.m_Children.GetSize(), 0);
}

TEST(WorldElemBaseTest, CollisionMask)
{
    WorldElem self;
    Creature flagged(true);
    Creature plain(false);
    WorldElem projectile;
    projectile.m_TypeCode = ElemType::kProjectile;
    WorldElem item;
    item.m_TypeCode = ElemType::kItem;
    WorldElem scenery;
    const struct {
        int32_t mask;
        bool flagged, plain, projectile, item, scenery;
    } kCases[] = {
        {-1, true, true, true, true, true},        {0, false, false, false, false, false},
        {0x1, true, false, false, false, false},   {0x2, false, true, false, false, false},
        {0x4, false, false, true, false, false},   {0x100, false, false, false, true, false},
        {0x107, true, true, true, true, false},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.mask);
        self.m_CollisionMask = c.mask;
        EXPECT_EQ(self.CanCollideWith(&flagged, 0), c.flagged);
        EXPECT_EQ(self.CanCollideWith(&plain, 0), c.plain);
        EXPECT_EQ(self.CanCollideWith(&projectile, 0), c.projectile);
        EXPECT_EQ(self.CanCollideWith(&item, 0), c.item);
        EXPECT_EQ(self.CanCollideWith(&scenery, 0), c.scenery);
    }
    // A projectile without the bit still meets a projectile that has it.
    WorldElem shot;
    shot.m_TypeCode = ElemType::kProjectile;
    shot.m_CollisionMask = 0;
    projectile.m_CollisionMask = 0x4;
    EXPECT_TRUE(shot.CanCollideWith(&projectile, 0));
    projectile.m_CollisionMask = 0;
    EXPECT_FALSE(shot.CanCollideWith(&projectile, 0));
}

TEST(WorldElemBaseTest, ScriptVariables)
{
    WorldElemBase elem;
    elem.SetScriptTemp(7, 1.5f);
    EXPECT_EQ(elem.m_ScriptTemp[7], 1.5f);
    EXPECT_EQ(ErrorOf([&] { elem.SetScriptTemp(8, 1.0f); }), "Invalid scriptTemp element variable index: 8");
    EXPECT_EQ(ErrorOf([&] { elem.SetScriptTemp(-1, 1.0f); }), "Invalid scriptTemp element variable index: -1");
    int32_t ref = 5;
    EXPECT_EQ(*elem.GetNoRef(&ref), -1);

    WorldElem named;  // a WorldElem names its cfgID first
    named.m_CfgID = "crate";
    EXPECT_EQ(ErrorOf([&] { named.SetScriptTemp(8, 1.0f); }), "crate: Invalid scriptTemp element variable index: 8");
}
