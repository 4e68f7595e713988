// WorldCtrl: the action forces: an element pushes the elements around it for a frame, in a circle
// or in a strip along its facing, weakening with distance and stopped by walls that block forces;
// or it pushes elements that overlap it out of its circle.
#include "world/WorldCtrl.h"

#include "world/LightAttenuation.h"
#include "world/WorldElem.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr float kBlockUnits = float(WorldElemGridBase::kBlockSize);
constexpr int32_t kActForceWalls = WorldCtrl::kLineWalls | WorldCtrl::kLineActForceWalls;

// The blocks that a reach of so many units covers, at most the view's.
int32_t ReachInBlocks(float units, float viewLimit)
{
    const float blocks = std::min(units / kBlockUnits, viewLimit);
    return blocks > 0.0f ? int32_t(blocks) : 0;
}

}  // namespace

void WorldCtrl::ApplyActForce(WorldElem& elem, float t)
{
    const ActForce& force = elem.m_ActForce;
    if (force.strength == 0.0f || !(t > 0.0f))
        return;
    const D3DXVECTOR2 P = elem.GetPos();
    const D3DXVECTOR2 D = elem.GetDirection();
    const D3DXVECTOR2 side(-D.y, D.x);
    const float radius = elem.GetRadius();
    const float viewLimit = float(m_FloorSize[0]) * float(m_CellWidth) / kBlockUnits + 1.0f;
    const int32_t reach = force.pushOutside ? ReachInBlocks(radius + 1023.0f, viewLimit)
                                            : ReachInBlocks(force.maxDist + 511.0f, viewLimit);
    int32_t range[4];
    if (!ClampBlockRange(WorldElemGridBase::BlockOf(P.x + 256.0f), WorldElemGridBase::BlockOf(P.y + 256.0f), reach,
                         range))
        return;
    const LightAttenuation attenuation{force.strength, force.attenuation[0], force.attenuation[1]};
    SmartPtr<WorldElem> alive(&elem);
    for (int32_t column = range[0]; column <= range[2]; column++) {
        for (int32_t row = range[1]; row <= range[3]; row++) {
            WorldBlock* block = GetBlock(column, row);
            for (int32_t i = 0; block && i < block->objects.GetSize(); i++) {
                auto* other = dynamic_cast<WorldElem*>(block->objects.GetAt(i));
                if (!other || other->m_Mass == 0.0f || (other->IsCreature() && other->IsImmuneToForces()))
                    continue;
                const D3DXVECTOR2 offset = other->GetPos() - P;
                const float d = std::sqrt(offset.x * offset.x + offset.y * offset.y);
                const float overlap = radius + other->GetRadius() - d;
                const float u = offset.x * D.x + offset.y * D.y;
                const float v = offset.x * side.x + offset.y * side.y;
                if (force.pushOutside) {
                    if (!(overlap > 0.0f))
                        continue;
                } else if (force.directed) {
                    if (!(u >= 0.0f && u <= force.maxDist && std::fabs(v) <= force.maxSideDist))
                        continue;
                } else if (!(d <= force.maxDist)) {
                    continue;
                }
                if (other->SameTopParent(elem))
                    continue;
                const D3DXVECTOR2 n = d > 0.0f ? offset * (1.0f / d) : offset;
                const uint16_t type = other->m_TypeCode;
                const int32_t kind = other->IsCreature()                       ? ActForce::kCreatures
                                     : type == ElemType::kProjectile           ? ActForce::kProjectiles
                                                                               : ActForce::kOthers;
                if (!(force.flags & kind))
                    continue;
                const bool hostile = other->IsEnemyOf(&elem, true) == 1;
                const int32_t relation = hostile ? ActForce::kHostile : ActForce::kNotHostile;
                if (!(force.flags & relation))
                    continue;
                if (force.pushOutside) {
                    const float push =
                        std::sqrt(overlap) * other->m_Deceleration * other->m_Mass * force.strength * 0.1f;
                    const D3DXVECTOR2 along(-n.y, n.x);
                    other->ProjectVelocity(&along);
                    other->AddImpulse(n.x * push, n.y * push);
                    continue;
                }
                const D3DXVECTOR2 start = force.directed ? P + side * v : P;
                const D3DXVECTOR2 to = other->GetPos();
                D3DXVECTOR2 way = to - start;
                const float x = force.directed ? std::sqrt(way.x * way.x + way.y * way.y) : d;
                if (x > 0.0f)
                    way = way * (1.0f / x);
                if (!GetIntersection(start.x, start.y, to.x, to.y, nullptr, kActForceWalls, false, &elem, nullptr, -1,
                                     kNoMinHeight))
                    continue;
                const float push = attenuation.At(x) * t;
                other->AddImpulse(way.x * push, way.y * push);
                if (!alive.Get())
                    return;
            }
        }
    }
}
