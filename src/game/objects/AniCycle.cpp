// AniCycle: reading a cycle from its file, and copies.
#include "game/objects/AniCycle.h"

#include "engine/gfx/DXC_Gfx.h"

#include <cmath>

AniCycle::AniCycle() { SetName("AniCycle"); }

bool AniCycle::Load()
{
    if (m_FileName.IsEmpty())
        return false;
    if (!g_Gfx)
        Error("No graphics object to read '%s'", m_FileName.c_str());
    g_Gfx->ReadSceneFileHeader(this, m_FileName.c_str(), std::trunc(m_StartFrame), std::trunc(m_EndFrame));
    speed = m_Speed;
    SetTransformAll(0.0f, 0.0f, 1.0f, 0.0f);  // no turn: the tracks keep the file's placement
    SetLoop(m_Loop);
    return true;
}

void AniCycle::CopyTo(AniCycle& other) const
{
    if (&other == this)
        return;
    Clone(other, 1);
    if (!(other.m_FileName == m_FileName))
        other.m_FileName = m_FileName;
    other.m_StartFrame = m_StartFrame;
    other.m_EndFrame = m_EndFrame;
    other.m_Speed = m_Speed;
    other.m_Value = m_Value;
    other.m_Loop = m_Loop;
}
