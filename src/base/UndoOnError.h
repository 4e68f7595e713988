// UndoOnError: runs an action when its scope is left before Done, as by an error thrown half-way
// through a loader, so that no half-filled table stays reachable.
#pragma once
#include <utility>

template <class Undo> class UndoOnError {
public:
    explicit UndoOnError(Undo undo) : m_Undo(std::move(undo)) {}
    ~UndoOnError()
    {
        if (!m_Done)
            m_Undo();
    }
    UndoOnError(const UndoOnError&) = delete;
    UndoOnError& operator=(const UndoOnError&) = delete;

    void Done() { m_Done = true; }

private:
    Undo m_Undo;
    bool m_Done = false;
};
