// DXC_Target3dObject: a node that looks at a target node or along a direction (cameras, lights).
#pragma once
#include "engine/scene/DXC_3dObject.h"

class DXC_Target3dObject : public DXC_3dObject {
public:
    DXC_Target3dObject();

    void UpdateVectors(int withTarget) override;
    int Write(File& file) override;
    int Read(File& file) override;
    int SetAniTime(double time, int withParent, int force) override;
    virtual void UpdateView(const D3DXMATRIX* matrix);

    void Reset();
    void CopyFrom(const DXC_Target3dObject& other);
    int SetDirection(float x, float y, float z, int update);
    int SetUpVector(float x, float y, float z, int update);
    int SetPositionNow(float x, float y, float z, int update);
    void OrientFromVectors();

    String targetName;
    DXC_3dObject* target = nullptr;  // not owned
    D3DXVECTOR3 worldPosition;
    D3DXVECTOR3 direction{0.0f, 1.0f, 0.0f};
    D3DXVECTOR3 upVector{0.0f, 0.0f, 1.0f};
};
