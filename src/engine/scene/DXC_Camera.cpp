// DXC_Camera: a camera node with its field of view.
#include "engine/scene/DXC_Camera.h"

DXC_Camera::DXC_Camera()
{
    DXC_Base::SetName("DXC_Camera");
    kind = OBJ_KIND_CAMERA;
}
