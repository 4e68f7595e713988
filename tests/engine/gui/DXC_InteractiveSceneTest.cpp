// DXC_InteractiveScene: without a graphics device a scene never loads, script calls are refused,
// and the frame step reports the exit its owner asked for.
#include "engine/gui/DXC_InteractiveScene.h"

#include "support/ErrorOf.h"

#include <gtest/gtest.h>

TEST(DXC_InteractiveSceneTest, UninitialisedSceneOnTheServer)
{
    DXC_InteractiveSceneHalvetor scene;
    EXPECT_STREQ(scene.GetClassName(), "DXC_InteractiveScene");
    EXPECT_FALSE(scene.IsInitialized());
    EXPECT_EQ(ErrorOf([&] { scene.Load("menu.3sc"); }), "Not initialized");
    EXPECT_TRUE(scene.GetFileName().IsEmpty());
    EXPECT_FALSE(scene.CallScriptFunction("OnExit", nullptr, 0, nullptr));
    EXPECT_FALSE(scene.Update(0.5f));
    EXPECT_EQ(scene.GetSceneTime(), 0.5f);
    scene.RequestExit();
    EXPECT_TRUE(scene.Update(0.5f));
    scene.Restart();
    EXPECT_FALSE(scene.Update(0.1f));
    EXPECT_EQ(scene.GetSceneTime(), 0.1f);
}
