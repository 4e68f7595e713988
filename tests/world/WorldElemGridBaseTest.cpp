// WorldElemGridBase: positions, angles and heights through the parent chain, the angle wrap,
// the checked position store and fading.
#include "world/WorldElemGridBase.h"

#include "world/WorldElem.h"

#include "support/ErrorOf.h"
#include "support/LogCapture.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

void Attach(WorldElem& parent, WorldElem& child)
{
    child.m_Parent = &parent;
    parent.m_Children.GetBySlot(parent.m_Children.Add())->Assign(&child);
}

}  // namespace

TEST(WorldElemGridBaseTest, AngleWrap)
{
    const struct {
        float in, out;
    } kCases[] = {{7.0f, 7.0f - 6.28318f}, {3.14159f, -3.14159f}, {-3.14159f, -3.14159f}, {-4.0f, -4.0f + 6.28318f},
                  {0.5f, 0.5f}};
    for (const auto& c : kCases)
        EXPECT_NEAR(WorldElemGridBase::WrapAngle(c.in), c.out, 2e-6f) << c.in;
}

TEST(WorldElemGridBaseTest, PositionThroughTheParent)
{
    WorldElem parent;
    WorldElem child;
    child.SetPos(10, 20);
    child.SetAngle(7.0f);
    EXPECT_NEAR(child.GetAngle(), 0.71682f, 1e-5f);

    parent.SetPos(100, 0);
    parent.SetAngle(1.5707963f);
    parent.SetHeight(30);
    Attach(parent, child);
    child.SetPos(10, 0);
    child.SetHeight(5);
    EXPECT_NEAR(child.GetPos().x, 100.0f, 1e-4f);
    EXPECT_NEAR(child.GetPos().y, 10.0f, 1e-4f);
    EXPECT_NEAR(child.GetAngle(), WorldElemGridBase::WrapAngle(0.71682f + 1.5707963f), 1e-5f);
    EXPECT_EQ(child.GetHeight(), 35.0f);
    EXPECT_EQ(child.GetPos3D().z, 35.0f);
    EXPECT_EQ(child.GetParent(false), &parent);
    EXPECT_EQ(child.GetParent(true), &parent);
    EXPECT_EQ(parent.GetParent(true), &parent);
    EXPECT_TRUE(child.SameTopParent(parent));

    child.SetPos(0, 0);  // at the parent's own place: no turning at all
    EXPECT_EQ(child.GetPos(), parent.GetPos());

    WorldElem looped;
    looped.m_Parent = &looped;
    looped.SetPos(1, 1);
    EXPECT_EQ(ErrorOf([&] { looped.GetPos(); }), "WorldElemGridBase: Object attached to itself!");
}

TEST(WorldElemGridBaseTest, PositionsThatAreNotFiniteAreNotStored)
{
    LogCapture log;
    WorldElem elem;
    elem.m_CfgID = "crate";
    elem.SetPos(5, 6);
    elem.m_Moved = 0;
    elem.SetPos(5, 6);  // the same position changes nothing
    EXPECT_EQ(elem.m_Moved, 0);
    elem.SetPos(std::numeric_limits<float>::infinity(), 1);
    EXPECT_EQ(elem.GetPos(), D3DXVECTOR2(5, 6));
    EXPECT_EQ(log.Count("Warning: 'crate': SetPos(inf,1.000000); curPos=5.000000,6.000000"), 1);
    elem.m_TypeCode = ElemType::kNone;
    elem.SetPosNoGround(std::nanf(""), 1);
    EXPECT_EQ(log.Count("Warning: SetPos(nan,1.000000); curPos=5.000000,6.000000"), 1);
    elem.m_TypeCode = ElemType::kEffect;
    elem.SetPos(1, std::numeric_limits<float>::infinity());
    EXPECT_EQ(log.Count("Warning: effect UnknownName, SetPos(1.000000,inf)"), 1);
    EXPECT_EQ(elem.GetPos(), D3DXVECTOR2(5, 6));
}

TEST(WorldElemGridBaseTest, Fading)
{
    WorldElem elem;
    elem.FadeOut(0);
    EXPECT_EQ(elem.GetOpacity(), 0.0f);
    elem.FadeIn(2);
    elem.UpdateFade(1.0f);
    EXPECT_EQ(elem.GetOpacity(), 0.5f);
    elem.UpdateFade(5.0f);
    EXPECT_EQ(elem.GetOpacity(), 1.0f);
    EXPECT_EQ(elem.m_FadeRate, 0.0f);
    elem.FadeOut(4);
    elem.UpdateFade(1.0f);
    EXPECT_EQ(elem.GetOpacity(), 0.75f);
    elem.UpdateFade(10.0f);
    EXPECT_EQ(elem.GetOpacity(), 0.0f);
    elem.InvalidateGroundHeight();
    EXPECT_EQ(elem.m_GroundHeight, WorldElemGridBase::kUnknownGround);
    EXPECT_EQ(elem.m_GroundHeight, 8999999488.0f);
}
