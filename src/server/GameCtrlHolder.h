// GameCtrlHolder: the entry's owner of the one game controller of the run. The rest of the
// program reaches the controller through the world's controller pointer, which the controller
// sets itself.
#pragma once
#include <memory>

class SciFiGameServer;

class GameCtrlHolder {
public:
    GameCtrlHolder();
    ~GameCtrlHolder();
    GameCtrlHolder(const GameCtrlHolder&) = delete;
    GameCtrlHolder& operator=(const GameCtrlHolder&) = delete;

    // Destroys a held controller first, then makes the new one.
    SciFiGameServer& Create();
    // The controller's destructor stops the network threads, closes the sockets and ends the
    // world's script threads.
    void Release();
    SciFiGameServer* Get() const { return m_Ctrl.get(); }

private:
    std::unique_ptr<SciFiGameServer> m_Ctrl;
};
