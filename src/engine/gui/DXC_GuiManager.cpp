// DXC_GuiManager: the global pointer and the drag object and icon.
#include "engine/gui/DXC_GuiManager.h"

#include <cstdio>

DXC_GuiManager* g_GuiManager = nullptr;

DXC_GuiManager::DXC_GuiManager()
{
    SetName("DXC_GuiManager");
    g_GuiManager = this;
}

DXC_GuiManager::~DXC_GuiManager()
{
    if (g_GuiManager == this)
        g_GuiManager = nullptr;
}

void DXC_GuiManager::SetDragObject(void* object, const char* name, void* sourceField)
{
    if (object && name) {
        m_DragObject = object;
        std::snprintf(m_DragName, sizeof(m_DragName), "%s", name);
        m_DragSource = sourceField;
    } else {
        m_DragObject = nullptr;
        m_DragName[0] = 0;
        m_DragSource = nullptr;
    }
}

void DXC_GuiManager::SetDragIcon(DXC_Texture* texture, bool useSubRect, const int32_t* subRect, float scale)
{
    m_DragIcon = texture;
    for (int32_t i = 0; i < 4; i++)
        m_DragIconRect[i] = useSubRect && subRect ? subRect[i] : 0;
    m_DragIconScale = scale;
}
