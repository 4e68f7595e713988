// ShaderEntry: the parameter lookup and the application of the fixed parameters.
#include "level/ShaderEntry.h"

#include "base/String.h"

void ShaderEntry::LookupParams()
{
    String name;
    for (int32_t n = 0; n < kParams; n++) {
        m_FloatHandles[n] = GetParameterByName(name.Format("fParam%i", n + 1));
        m_FloatEnabled[n] = 0;
    }
    for (int32_t n = 0; n < kParams; n++) {
        m_VectorHandles[n] = GetParameterByName(name.Format("vParam%i", n + 1));
        m_VectorEnabled[n] = 0;
    }
    m_GameTimeHandle = GetParameterByName("GAMETIME");
    m_OpacityHandle = GetParameterByName("OPACITY");
    SetSaveState(m_RestoreStates != 0);
}

void ShaderEntry::ApplyParams()
{
    for (int32_t n = 0; n < kParams; n++)
        if (m_FloatEnabled[n] && m_FloatHandles[n])
            SetFloatParam(m_FloatValues[n], n + 1);
    for (int32_t n = 0; n < kParams; n++)
        if (m_VectorEnabled[n] && m_VectorHandles[n])
            SetVectorParam(m_VectorValues[n][0], m_VectorValues[n][1], m_VectorValues[n][2], n + 1);
    CommitChanges();
}

void ShaderEntry::SetGameTime(double gameTime)
{
    if (m_GameTimeHandle)
        SetFloat(m_GameTimeHandle, float(gameTime));
}
