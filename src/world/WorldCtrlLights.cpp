// WorldCtrl: the light grid (level lights entered into the blocks of their position), the effect
// table, and the flicker curve built at construction.
#include "world/WorldCtrl.h"

#include "base/Random.h"
#include "world/GameCtrlInterface.h"
#include "world/WorldElem.h"

void WorldCtrl::BuildFlickerCurve()
{
    m_FlickerCurve.SetNumKeys(kFlickerKeys);
    for (int32_t i = 0; i < kFlickerKeys; i++) {
        BezierSpline<float>::Key& key = m_FlickerCurve.GetKey(i);
        key.time = float(i);
        key.value = float(Random::Range(-1.0f, 1.0f));
    }
}

int32_t WorldCtrl::AddLightToGrid(const VSD_LightSource& source)
{
    if (m_Lights.FindFreeSlot() < 0) {
        Warning("Light buffer full");
        return -1;
    }
    const int32_t id = AddLight(source);
    VSD_LightIntern* light = m_Lights.GetBySlot(id);
    light->m_World = this;
    light->m_RandomPhase = Random::Float01() * 100.0;
    GameCtrlInterface* ctrl = FindCtrl();
    light->m_StartTime = ctrl ? ctrl->GetGameTime() : 0.0;
    light->UpdateIntensity();
    light->UpdateGridCell();  // a light outside the grid stays in no block
    return id;
}

void WorldCtrl::UpdateLightIntensity(WorldElem& light)
{
    if (VSD_LightIntern* placed = dynamic_cast<VSD_LightIntern*>(&light))
        placed->UpdateIntensity();
}

int32_t WorldCtrl::AddEffect(WorldElem* effect)
{
    if (!effect)
        return -1;
    const int32_t id = m_Effects.Add(effect);
    effect->m_ObjID = id;
    effect->m_TypeCode = ElemType::kEffect;
    effect->m_World = this;
    effect->UpdateGridCell();
    return id;
}

void WorldCtrl::DelEffect(int32_t id)
{
    WorldElem* effect = id >= 0 && id < m_Effects.GetCapacity() ? m_Effects.GetBySlot(id) : nullptr;
    if (!effect) {
        Warning("Invalid effect id in DelEffect: %i", id);
        return;
    }
    if (effect->m_CellListEntry >= 0)
        LeaveBlock(*effect);
    m_Effects.Delete(id);
    delete effect;
}
