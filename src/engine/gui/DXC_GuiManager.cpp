// DXC_GuiManager: the root field, keyboard forwarding, the mouse position, the cursor and the
// drag object and icon.
#include "engine/gui/DXC_GuiManager.h"

#include <cstdio>

DXC_GuiManager* g_GuiManager = nullptr;

DXC_GuiManager::DXC_GuiManager(DXC_Gfx* graphics) : m_Gfx(graphics)
{
    SetName("DXC_GuiManager");
    m_Root.SetManager(this);
    g_GuiManager = this;
}

DXC_GuiManager::~DXC_GuiManager()
{
    if (g_GuiManager == this)
        g_GuiManager = nullptr;
}

DXC_GuiField* DXC_GuiManager::OnChar(uint32_t code, int32_t repeat, uint32_t flags)
{
    if (m_KeyboardBlocked > 0)
        return nullptr;
    return m_Root.OnChar(code, repeat, flags);
}

void DXC_GuiManager::GetMousePos(int32_t& x, int32_t& y) const
{
    int32_t rootX;
    int32_t rootY;
    m_Root.GetPos(rootX, rootY);
    x = m_MouseX + rootX;
    y = m_MouseY + rootY;
}

void DXC_GuiManager::SetMousePos(int32_t x, int32_t y)
{
    m_MouseX = x;
    m_MouseY = y;
}

DXC_GuiField* DXC_GuiManager::FindFieldUnderMouse() { return m_Root.IsOpen() ? &m_Root : nullptr; }

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
