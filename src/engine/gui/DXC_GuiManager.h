// DXC_GuiManager: the root of the widget tree, reached through one global pointer. This holds the
// drag state: the object attached to the mouse cursor with its name and source field, and the
// drag icon. On the dedicated server no manager is made, so the pointer stays null.
#pragma once
#include "base/DXC_Base.h"

#include <cstdint>

class DXC_Texture;

class DXC_GuiManager : public DXC_Base {
public:
    static constexpr int32_t kDragNameSize = 128;  // 127 characters are kept

    // The newest manager becomes the global one; destroying it clears the pointer.
    DXC_GuiManager();
    ~DXC_GuiManager() override;
    DXC_GuiManager(const DXC_GuiManager&) = delete;
    DXC_GuiManager& operator=(const DXC_GuiManager&) = delete;

    // With an object and a name: attaches the object to the cursor; otherwise clears the drag.
    void SetDragObject(void* object, const char* name, void* sourceField);
    void* GetDragObject() const { return m_DragObject; }
    const char* GetDragObjectName() const { return m_DragName; }
    void* GetDragSource() const { return m_DragSource; }
    // The picture drawn at the cursor (null and scale 1.0 clear it).
    void SetDragIcon(DXC_Texture* texture, bool useSubRect, const int32_t* subRect, float scale);
    DXC_Texture* GetDragIcon() const { return m_DragIcon; }

private:
    void* m_DragObject = nullptr;
    void* m_DragSource = nullptr;
    char m_DragName[kDragNameSize] = {};
    DXC_Texture* m_DragIcon = nullptr;
    int32_t m_DragIconRect[4] = {};
    float m_DragIconScale = 1.0f;
};

// The program's widget manager; null while none exists, as on the dedicated server.
extern DXC_GuiManager* g_GuiManager;
