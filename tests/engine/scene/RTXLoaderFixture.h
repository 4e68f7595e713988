// RTXLoaderFixture: the server's graphics object with its text importer, a scene to fill and a
// directory for the texts a test writes; the base of the importer's tests.
#pragma once
#include "engine/gfx/DXC_Gfx.h"
#include "engine/scene/DXC_3dScene.h"
#include "engine/scene/RTXLoader.h"
#include "support/FixtureRoot.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <string>

inline const std::string kRtxFixtures = std::string(SERVER_FIXTURES) + "/scene/rtx/";

// The helper object of that name, or null.
inline DXC_3dObject* Helper(DXC_3dScene& scene, const char* name)
{
    for (int32_t i = 0; i < scene.objects.GetSize(); i++)
        if (scene.objects.GetAt(i)->objectName == name)
            return scene.objects.GetAt(i);
    return nullptr;
}

// The mesh of that name (letter case counts), or null.
inline DXC_Mesh* Mesh(DXC_3dScene& scene, const char* name)
{
    return scene.FindMesh(name, false);
}

class RTXLoaderFixture : public testing::Test {
protected:
    RTXLoaderFixture() { gfx.SetDedicatedMode(1); }  // the server's graphics object

    // Loads a text written into the test's directory.
    void LoadText(const std::string& text, int32_t flags = 0)
    {
        dir.Write("model.rtx", text);
        loader.LoadSceneFile(&scene, dir("model.rtx").c_str(), flags);
    }

    DXC_Gfx gfx;
    RTXLoader loader{&gfx};
    DXC_3dScene scene;
    TempDir dir;
};
