// WorldCtrl: construction and destruction.
#include "world/WorldCtrl.h"

#include "world/WorldElem.h"

WorldCtrl::WorldCtrl() { CopyName32(this, "WorldCtrl"); }

WorldCtrl::~WorldCtrl()
{
    // Elements and walls leave their blocks as they go, so both go while the blocks exist.
    m_Elements.DeleteAll();
    m_Walls.DeleteAll();
}
