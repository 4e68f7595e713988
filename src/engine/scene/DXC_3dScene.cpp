// DXC_3dScene: construction, reset and defaults of the scene.
#include "engine/scene/DXC_3dScene.h"

#include "engine/gfx/DXC_Texture.h"

SceneParams DXC_3dScene::DefaultSceneParams()
{
    SceneParams p;
    const int32_t ints[13] = {0, 0, 0, -2, -2, 0, 1, 0, 1, 0, 0, 1, 1};
    for (int i = 0; i < 13; i++)
        p.SetInt(i, ints[i]);
    p.SetFloat(13, 0.0f);
    p.SetFloat(14, 1.0f);
    p.SetFloat(15, 0.5f);
    p.SetInt(16, 1);
    p.SetInt(17, 0);
    p.SetInt(18, 1);
    return p;
}

DXC_3dScene::DXC_3dScene()
{
    DXC_Base::SetName("DXC_3dScene");
    for (int i = 0; i < 12; i++)
        colorBlock.SetFloat(i, 1.0f);
    for (int i = 12; i < 18; i++)
        colorBlock.SetFloat(i, 0.0f);
    colorBlock.SetInt(18, 1);
    colorBlock.SetInt(19, 0);
    Reset();
}

DXC_3dScene::~DXC_3dScene()
{
    Clear();
}

void DXC_3dScene::Clear()
{
    delete environmentTexture;
    environmentTexture = nullptr;
    meshes.DeleteAll();
    cameras.DeleteAll();
    objects.DeleteAll();
    lights.DeleteAll();
    opaqueMeshCount = 0;
    DXC_3dObject::Reset();
}

void DXC_3dScene::Reset()
{
    DXC_3dObject::Reset();
    ResetBounds();
    sceneParams = DefaultSceneParams();
    activeCamera = -1;
    for (int i = 0; i < 12; i++)
        colorBlock.SetFloat(i, 1.0f);
    for (int i = 12; i < 16; i++)
        colorBlock.SetFloat(i, 0.0f);
}
