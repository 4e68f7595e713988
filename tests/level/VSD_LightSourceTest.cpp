// VSD_LightSource and VSD_LightIntern: defaults, colour, the light's clock, and the intensity
// factors under flicker, intensity curve and fades.
#include "level/VSD_LightSource.h"

#include "level/LevelTestSupport.h"

#include <gtest/gtest.h>

#include <cmath>

TEST(VSD_LightSourceTest, DefaultsAndColour)
{
    VSD_LightIntern light;
    EXPECT_EQ(light.m_TypeCode, ElemType::kLight);
    EXPECT_EQ(light.m_Height, 130.0f);
    EXPECT_EQ(light.m_UpdateMode, 3);
    EXPECT_EQ(light.m_Colour[0], 128);
    EXPECT_EQ(light.m_Intensity, 5000.0f);
    EXPECT_EQ(light.m_ConstantIllum, 255);
    EXPECT_EQ(light.m_ListSizes[0], 64);
    EXPECT_EQ(light.m_LastValues[1], -1000.0f);
    EXPECT_EQ(light.m_Changed, 0);

    light.SetLightCol(0x1234FE);
    EXPECT_EQ(light.m_Colour[0], 0x12);
    EXPECT_EQ(light.m_Colour[1], 0x34);
    EXPECT_EQ(light.m_Colour[2], 0xFE);
    EXPECT_EQ(light.GetMaxColour(), 0xFE);
    EXPECT_EQ(light.m_Changed, 1);

    light.FadeOut(2.0f);
    light.Update(0.5f);
    EXPECT_DOUBLE_EQ(light.m_Clock, 0.5);
    EXPECT_FLOAT_EQ(light.m_Opacity, 0.75f);  // the step fades the light as well
}

TEST(VSD_LightSourceTest, UpdateIntensityFollowsFlickerCurveAndParent)
{
    LevelTestCtrl ctrl;
    // A flicker function of our own, worked out apart below.
    ctrl.flicker = [](float t) { return std::sin(3.0f * t); };
    ctrl.gameTime = 12.5;
    VSD_LightIntern light;
    light.m_StartTime = 10.0;
    light.m_Flickering = 0.4f;
    light.UpdateIntensity();
    EXPECT_EQ(light.m_Factor, 1.0f);
    EXPECT_FLOAT_EQ(light.m_SecondFactor, std::sin(3.0f * 2.5f) * 0.4f * 0.5f + 1.0f);

    light.m_Flickering = 0.0f;
    light.m_IntCurve.SetNumKeys(2);
    light.m_IntCurve.GetKey(0).time = 0.0f;
    light.m_IntCurve.GetKey(0).value = 0.0f;
    light.m_IntCurve.GetKey(1).time = 5.0f;
    light.m_IntCurve.GetKey(1).value = 1.0f;
    light.UpdateIntensity();
    EXPECT_NEAR(light.m_SecondFactor, 0.5f, 1e-5f);  // linear keys halfway

    light.m_IntCurve.SetNumKeys(0);
    WorldElem parent;
    parent.AttachChild(&light);
    parent.m_Opacity = 0.5f;
    light.m_Opacity = 0.5f;
    light.UpdateIntensity();
    EXPECT_FLOAT_EQ(light.m_Factor, 0.25f);
    EXPECT_FLOAT_EQ(light.m_SecondFactor, 0.25f);
    parent.DetachChild(&light);
}

TEST(VSD_LightSourceTest, FadeOfNoTimeActsAtOnce)
{
    LevelTestCtrl ctrl;
    VSD_LightIntern now;
    now.FadeOut(0.0f);
    EXPECT_EQ(now.m_Factor, 0.0f);
    EXPECT_EQ(now.m_SecondFactor, 0.0f);
    now.FadeIn(0.0f);
    EXPECT_EQ(now.m_Factor, 1.0f);

    VSD_LightIntern later;
    later.FadeOut(2.0f);
    EXPECT_EQ(later.m_Factor, 1.0f);  // left for the next update
    EXPECT_EQ(later.m_SecondFactor, 1.0f);
    later.Update(1.0f);
    later.UpdateIntensity();
    EXPECT_FLOAT_EQ(later.m_Factor, 0.5f);
}
