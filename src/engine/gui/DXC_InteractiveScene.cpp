// DXC_InteractiveScene: the run state, the frame step and the refusals of a scene that was never
// initialised.
#include "engine/gui/DXC_InteractiveScene.h"

DXC_InteractiveScene::DXC_InteractiveScene()
{
    CopyName32(this, "DXC_InteractiveScene");
    ResetRunState();
}

void DXC_InteractiveScene::ResetRunState()
{
    m_SceneTime = 0.0f;
    m_Exit = 0;
}

void DXC_InteractiveScene::Load(const char* fileName)
{
    if (!m_Initialized)
        Error("Not initialized");
    ResetRunState();
    m_FileName = fileName;
}

void DXC_InteractiveScene::Restart() { ResetRunState(); }

bool DXC_InteractiveScene::Update(float dt)
{
    m_SceneTime += dt;
    return m_Exit != 0;
}

bool DXC_InteractiveScene::CallScriptFunction(const char* name, ScriptValue* arguments, int32_t count,
                                              ScriptValue* result)
{
    (void)name;  // the scene's script comes with a device; until then no call reaches one
    (void)arguments;
    (void)count;
    (void)result;
    return m_Initialized != 0;
}
