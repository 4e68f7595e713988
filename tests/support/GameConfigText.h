// GameConfigText: the game configuration that every program making a world needs ("langdir"),
// loaded into the global reader before the tests run; a test may load another and restore it.
#pragma once
#include "base/ConfigFileReader.h"

#include <gtest/gtest.h>

#include <string>

inline void LoadGameConfigText(const std::string& text)
{
    GetGameConfig().OpenMemory(text.data(), int32_t(text.size()));
}

inline const char* DefaultGameConfigText() { return "langdir = \"lang\\english\"\nLogObjIDs = 0\n"; }

class GameConfigEnvironment : public ::testing::Environment {
public:
    void SetUp() override { LoadGameConfigText(DefaultGameConfigText()); }
};
