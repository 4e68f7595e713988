// SciFiGameStateManager: the server's main loop states and what each call of the loop does in
// them, always through the one controller: 100 the running game, 101 the end of the game (which
// quits at once), 1 quit. Also StateManagerHolder, the entry's owner of the one state manager.
#pragma once
#include "game/ctrl/GameStateManager.h"

#include <cstdint>
#include <memory>

class SciFiGameServer;

class SciFiGameStateManager : public GameStateManager {
public:
    static constexpr int32_t kStateGame = 100;
    static constexpr int32_t kStateEndOfGame = 101;

    explicit SciFiGameStateManager(SciFiGameServer& ctrl);

    // The controller's own skipped-time work, then, while a peer is connected, the game time runs
    // on by the skipped time, so that the server's clock keeps pace with its clients'.
    void OnSkippedTime(double seconds) override;
    void OnDeactivate() override;
    void OnActivate() override;
    void EnterState(int32_t state) override;
    void LeaveState(int32_t state) override;
    void Update(double step) override;
    void Draw() override;

    // A counted run: after that many updates the state becomes 1, as ESC does (-1: no limit).
    void SetUpdateLimit(int32_t updates) { m_UpdatesLeft = updates; }
    int32_t GetUpdateCount() const { return m_UpdateCount; }

    // A stop asked from outside the loop (a signal handler): the next update sets state 1.
    static void RequestStop();
    static bool IsStopRequested();
    static void ClearStopRequest();

private:
    SciFiGameServer& m_Ctrl;
    int32_t m_UpdatesLeft = -1;
    int32_t m_UpdateCount = 0;
};

// Owns the one state manager of the run; Create releases the old one first.
class StateManagerHolder {
public:
    SciFiGameStateManager& Create(SciFiGameServer& ctrl);
    void Release() { m_StateManager.reset(); }
    SciFiGameStateManager* Get() const { return m_StateManager.get(); }

private:
    std::unique_ptr<SciFiGameStateManager> m_StateManager;
};
