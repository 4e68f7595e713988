// GameCtrl: the view modes. Mode 2 runs an interactive scene, a scripted 3D scene that takes the
// place of play: the player's input controller is handed to it while it runs and back when it
// ends. A scene that starts enters mode 2; the mode change at its end (ChangeViewMode) leaves it
// as SetViewMode does.
#include "game/ctrl/GameCtrl.h"
#include "game/objects/ai/InputCtrl.h"

#include "base/CFileValidator.h"

void GameCtrl::SetViewMode(int32_t mode, const char* sceneName)
{
    if (mode == m_ViewMode && mode != 2)  // a scene asked for again starts again
        return;
    m_ViewChanged = 1;
    if (m_ViewMode == 2) {
        HandInputToScene(false);
        m_World.ExitInteractiveScene();
    }
    if (mode == 0) {
        m_RedrawFlags[0] = m_RedrawFlags[1] = 1;
        if (m_ViewMode == 1)
            m_MessageBox.SetOpenState(false);  // the second play view's window
    } else if (mode == 1) {
        LeaveGuiMode(1);
        m_RedrawFlags[0] = 1;
    } else if (mode == 2) {
        m_SceneFlag = 0;
        if (CreatureObj* hero = GetMainChar()) {
            const D3DXVECTOR2 pos = hero->GetPos();
            m_ScenePlayerPos = D3DXVECTOR3(pos.x, pos.y, hero->GetHeight());
        }
        const String name(sceneName ? sceneName : "");
        String file;
        {
            CFileValidator validator;
            validator.AddExtension("3sc");
            validator.AddExtension("rtx");
            file = validator.FindFileInSearchPaths(name);
        }
        if (file.IsEmpty()) {
            m_World.ShowTextMessage(5.0f, u"Interactive scene '%s' not found", wString(name).c_str());
            return;
        }
        LeaveGuiMode(1);
        if (!m_World.LoadInteractiveScene(file.c_str(), false))
            return;  // the dedicated server shows no scene: it ended as it was asked for
        HandInputToScene(true);
        m_SceneCamera.target = m_CameraTargetPoint;
        m_SceneCamera.yaw = m_CameraYaw[0];
        m_SceneCamera.pitch = m_CameraPitch[0];
        m_SceneCamera.distance = m_CameraDistance[0];
        m_SceneCamera.roll = m_CameraRoll;
        m_SceneCamera.height = m_CameraHeight;
        m_SceneCamera.pathMode = m_CameraPathMode;
        m_CameraPathMode = 2;
        m_InteractiveWindow.SetOpenState(true);  // the scene's own window takes the screen
        m_ViewMode = 2;  // a scene that started is the mode; nothing else enters it
        return;
    }
    m_ViewMode = mode;
    if (mode != 1)
        m_World.SetEverythingInView(false);
}

// Input controller 0 is the player's: disabled with its creatures stopped while the scene runs,
// enabled again after ("Invalid input selected: %i" when it does not exist).
void GameCtrl::HandInputToScene(bool toScene)
{
    InputCtrl* input = GetInputCtrl(0);
    if (!input)
        return;
    if (toScene)
        input->Disable(true);
    else
        input->Enable();
}
