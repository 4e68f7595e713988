// DXC_Camera: a camera node with its field of view.
#include "engine/scene/DXC_Camera.h"

DXC_Camera::DXC_Camera()
{
    DXC_Base::SetName("DXC_Camera");
    kind = OBJ_KIND_CAMERA;
}

void DXC_Camera::CopyTo(DXC_Camera& target) const
{
    target.CopyFrom(*this);
    target.fieldOfView = fieldOfView;
    DXC_3dObject::CopyTo(target, 1);
}
