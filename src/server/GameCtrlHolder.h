// GameCtrlHolder: the entry's owner of the one game controller of the run. The rest of the
// program reaches the controller through the world's controller pointer, which the controller
// sets itself.
#pragma once
#include <memory>

class SciFiGameCtrl;

class GameCtrlHolder {
public:
    GameCtrlHolder();
    ~GameCtrlHolder();
    GameCtrlHolder(const GameCtrlHolder&) = delete;
    GameCtrlHolder& operator=(const GameCtrlHolder&) = delete;

    // Destroys a held controller first, then makes the new one.
    SciFiGameCtrl& Create();
    // The controller's destructor stops the network threads, closes the sockets and ends the
    // world's script threads.
    void Release();
    SciFiGameCtrl* Get() const { return m_Ctrl.get(); }

private:
    std::unique_ptr<SciFiGameCtrl> m_Ctrl;
};
