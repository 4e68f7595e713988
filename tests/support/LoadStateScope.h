// LoadStateScope: the scene load state for one test, restored after it.
#pragma once
#include "engine/scene/SceneLoadState.h"

struct LoadStateScope {
    LoadStateScope() : m_Old(SceneLoadState::Current()) {}
    explicit LoadStateScope(int32_t version) : LoadStateScope() { SceneLoadState::Current().version = version; }
    ~LoadStateScope() { SceneLoadState::Current() = m_Old; }
    LoadStateScope(const LoadStateScope&) = delete;
    LoadStateScope& operator=(const LoadStateScope&) = delete;
    SceneLoadState m_Old;
};
