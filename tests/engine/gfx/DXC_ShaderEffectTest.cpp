// DXC_ShaderEffect: an effect taken over with its numbered parameters and their load-time values,
// the numbered setters and their limits, the setter failure, the commit only while drawing, and
// sharing through the effect manager until the last reference.
#include "engine/gfx/DXC_ShaderEffect.h"

#include "engine/gfx/DXC_Gfx.h"
#include "support/ErrorOf.h"

#include <gtest/gtest.h>

namespace {

ID3DXEffect* MakeEffect()
{
    ID3DXEffect* made = nullptr;
    CreateMemoryEffect(&made);
    made->AddParameter("fParam1", "");
    made->SetFloat(made->AddParameter("fParam8", ""), 0.25f);
    made->AddParameter("vParam3", "");
    made->AddParameter("lightColour", "AmbientColor");
    return made;
}

float FloatOf(const DXC_ShaderEffect& effect, const char* name)
{
    float value = -1.0f;
    effect.effect->effect->GetFloat(effect.GetParameterByName(name), &value);
    return value;
}

}  // namespace

TEST(DXC_ShaderEffect, NumberedParametersAndSetters)
{
    DXC_ShaderEffect effect;
    EXPECT_FALSE(effect.IsValid());
    EXPECT_FALSE(effect.SetFloatParam(1.0f, 1));  // no effect: nothing to set
    ID3DXEffect* made = MakeEffect();
    ASSERT_TRUE(effect.Initialise(nullptr, made, "test.fx"));
    EXPECT_TRUE(effect.IsValid());
    EXPECT_EQ(effect.effect->parameterCount, 4);
    EXPECT_EQ(effect.effect->floatDefaults[7], 0.25f);
    EXPECT_EQ(effect.GetParameterBySemantic("ambientcolor"), effect.GetParameterByName("lightColour"));
    EXPECT_EQ(effect.GetParameterByName("fParam2"), nullptr);

    const struct {
        int32_t n;
        bool set;
    } kFloats[] = {{0, false}, {1, true}, {2, false}, {8, true}, {9, false}};
    for (const auto& c : kFloats)
        EXPECT_EQ(effect.SetFloatParam(2.5f, c.n), c.set) << c.n;
    EXPECT_EQ(FloatOf(effect, "fParam1"), 2.5f);
    EXPECT_EQ(FloatOf(effect, "fParam8"), 2.5f);
    EXPECT_TRUE(effect.SetVectorParam(1, 2, 3, 3));
    EXPECT_FALSE(effect.SetVectorParam(1, 2, 3, 1));
    D3DXVECTOR4 vector;
    made->GetVector(effect.GetParameterByName("vParam3"), &vector);
    EXPECT_EQ(vector, D3DXVECTOR4(1, 2, 3, 0));
    effect.SetVector3(effect.GetParameterByName("vParam3"), 4, 5, 6);
    made->GetVector(effect.GetParameterByName("vParam3"), &vector);
    EXPECT_EQ(vector, D3DXVECTOR4(4, 5, 6, 6));
    EXPECT_EQ(DxcErrorOf([&] { effect.SetFloat(nullptr, 1.0f); }), "Can not SetParameter :D3DERR_INVALIDCALL");

    effect.CommitChanges();
    EXPECT_EQ(made->GetCommitCount(), 0u);  // only while drawing
    effect.inDrawing = 1;
    effect.CommitChanges();
    EXPECT_EQ(made->GetCommitCount(), 1u);

    ID3DXEffect* none = nullptr;
    CreateMemoryEffect(&none);
    none->SetTechniqueCount(0);
    EXPECT_FALSE(effect.Initialise(nullptr, none, "none.fx"));  // loaded, but nothing can run
    EXPECT_FALSE(effect.IsValid());
}

TEST(DXC_ShaderEffect, SharedUntilTheLastReference)
{
    DXC_Gfx gfx;
    ID3DXEffect* made = MakeEffect();
    made->AddRef();  // the test's own look at it
    {
        DXC_ShaderEffect first;
        ASSERT_TRUE(first.Initialise(&gfx, made, "shared.fx"));
        DXC_ShaderEffect second;
        EXPECT_TRUE(first.CopyTo(second));
        EXPECT_EQ(second.effect, first.effect);
        EXPECT_EQ(gfx.GetEffectManager().GetReferenceCount(first.resourceId), 2);
        first.Release();
        EXPECT_TRUE(second.IsValid());
        EXPECT_TRUE(second.SetFloatParam(1.0f, 1));
    }
    EXPECT_EQ(gfx.GetEffectManager().GetCount(), 0);
    EXPECT_EQ(made->Release(), 0u);  // the record gave its reference back

    DXC_ShaderEffect alone, other;  // without a manager nothing can be shared
    ASSERT_TRUE(alone.Initialise(nullptr, MakeEffect(), "alone.fx"));
    EXPECT_FALSE(alone.CopyTo(other));
    EXPECT_EQ(other.effect, nullptr);
}
