// VSD_LightSource and VSD_LightIntern: construction, colour, the light's clock, and the intensity
// factors with their fades.
#include "level/VSD_LightSource.h"

#include "world/GameCtrlInterface.h"
#include "world/WorldCtrl.h"

#include <cmath>

namespace {

// The controller the light answers to: its world's, else the program's.
GameCtrlInterface* ControllerOf(const WorldElemGridBase& light)
{
    return light.m_World ? light.m_World->FindCtrl() : g_GameCtrl;
}

}  // namespace

VSD_LightSource::VSD_LightSource()
{
    CopyName32(this, "VSD_LightSource");
    ResetLightSource();
}

VSD_LightSource::~VSD_LightSource() = default;

void VSD_LightSource::ResetLightSource()
{
    m_TypeCode = ElemType::kLight;
    m_Height = 130.0f;
    m_Radius = 0.0f;  // the light's size: none until its type gives one
}

void VSD_LightSource::SetLightCol(uint32_t colour)
{
    m_Colour[0] = uint8_t(colour >> 16);
    m_Colour[1] = uint8_t(colour >> 8);
    m_Colour[2] = uint8_t(colour);
    m_Changed = 1;
}

void VSD_LightSource::Update(float dt)
{
    m_Clock += dt;
    UpdateFade(dt);
}

uint8_t VSD_LightSource::GetMaxColour() const
{
    uint8_t m = m_Colour[0];
    if (m_Colour[1] > m)
        m = m_Colour[1];
    if (m_Colour[2] > m)
        m = m_Colour[2];
    return m;
}

VSD_LightIntern::VSD_LightIntern() { CopyName32(this, "VSD_LightIntern"); }

VSD_LightIntern::VSD_LightIntern(const VSD_LightSource& source) : VSD_LightSource(source)
{
    CopyName32(this, "VSD_LightIntern");
}

VSD_LightIntern::~VSD_LightIntern() = default;

void VSD_LightIntern::UpdateIntensity()
{
    m_Factor = 1.0f;
    m_SecondFactor = 1.0f;
    GameCtrlInterface* ctrl = ControllerOf(*this);
    const double t = (ctrl ? ctrl->GetGameTime() : 0.0) - m_StartTime;
    if (m_Flickering != 0.0f && ctrl)
        m_SecondFactor *= ctrl->GetFlicker(float(t)) * m_Flickering * 0.5f + 1.0f;
    if (m_IntCurve.GetNumKeys() > 0)
        m_SecondFactor *= float(m_IntCurve.Evaluate(t));
    if (WorldElemBase* parent = m_Parent.Get()) {
        const float fade = parent->GetOpacity();
        m_Factor *= fade;
        m_SecondFactor *= fade;
    }
    const float own = GetOpacity();
    m_Factor *= own;
    m_SecondFactor *= own;
}

void VSD_LightIntern::FadeIn(float seconds)
{
    VSD_LightSource::FadeIn(seconds);
    if (seconds == 0.0f)
        UpdateIntensity();
}

void VSD_LightIntern::FadeOut(float seconds)
{
    VSD_LightSource::FadeOut(seconds);
    if (seconds == 0.0f)
        UpdateIntensity();
}
