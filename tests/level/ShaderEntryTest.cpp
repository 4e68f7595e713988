// ShaderEntry: the parameter lookup by name with the enable flags cleared and the device-state
// switch passed on; applying only enabled parameters the effect has, then the commit; the game time.
#include "level/ShaderEntry.h"

#include <gtest/gtest.h>

namespace {

struct ShaderEntryTest : ::testing::Test {
    ShaderEntry entry;
    ID3DXEffect* made = nullptr;

    // An effect that the test fills, as the shader loader's effect file would.
    void Load(std::initializer_list<const char*> names)
    {
        CreateMemoryEffect(&made);
        for (const char* name : names)
            made->SetFloat(made->AddParameter(name, ""), -1.0f);
        ASSERT_TRUE(entry.Initialise(nullptr, made, "entry.fx"));
        entry.inDrawing = 1;  // applied while an element is drawn
    }
    float Value(const char* name)
    {
        float value = 0.0f;
        made->GetFloat(made->GetParameterByName(nullptr, name), &value);
        return value;
    }
};

}  // namespace

TEST_F(ShaderEntryTest, OnlyTheParametersTheEffectHas)
{
    Load({"fParam2", "OPACITY"});
    entry.m_FloatEnabled[0] = entry.m_VectorEnabled[4] = 1;
    entry.m_RestoreStates = 0;
    entry.LookupParams();
    EXPECT_EQ(entry.m_FloatEnabled[0], 0);  // cleared by the lookup
    EXPECT_EQ(entry.m_VectorEnabled[4], 0);
    EXPECT_FALSE(entry.GetSaveState());
    for (int32_t n = 0; n < ShaderEntry::kParams; n++) {
        EXPECT_EQ(entry.m_FloatHandles[n] != nullptr, n == 1) << n;
        EXPECT_EQ(entry.m_VectorHandles[n], nullptr) << n;
    }
    EXPECT_EQ(entry.m_OpacityHandle, made->GetParameterByName(nullptr, "OPACITY"));
    EXPECT_EQ(entry.m_GameTimeHandle, nullptr);
    entry.SetGameTime(12.5);  // no such parameter: nothing

    entry.m_FloatEnabled[0] = entry.m_FloatEnabled[1] = 1;
    entry.m_FloatValues[0] = 3.0f;
    entry.m_FloatValues[1] = 4.0f;
    entry.m_VectorEnabled[0] = 1;
    entry.ApplyParams();
    EXPECT_EQ(Value("fParam2"), 4.0f);
    EXPECT_EQ(Value("OPACITY"), -1.0f);
    EXPECT_EQ(made->GetCommitCount(), 1u);
}

TEST_F(ShaderEntryTest, DisabledParametersChangeNothingButTheCommit)
{
    Load({"fParam1", "vParam8", "GAMETIME"});
    entry.LookupParams();
    EXPECT_TRUE(entry.GetSaveState());  // "RestoreStates" 3
    entry.m_FloatValues[0] = 7.0f;
    entry.ApplyParams();
    EXPECT_EQ(Value("fParam1"), -1.0f);
    EXPECT_EQ(made->GetCommitCount(), 1u);

    entry.m_VectorEnabled[7] = 1;
    entry.m_VectorValues[7][0] = 1.0f;
    entry.m_VectorValues[7][2] = 3.0f;
    entry.ApplyParams();
    D3DXVECTOR4 vector;
    made->GetVector(made->GetParameterByName(nullptr, "vParam8"), &vector);
    EXPECT_EQ(vector, D3DXVECTOR4(1, 0, 3, 0));
    entry.SetGameTime(12.5);
    EXPECT_EQ(Value("GAMETIME"), 12.5f);
}
