// VSD_Viewer: the level's light table: placing a light made from a light type, preparing its
// range, limits and sample points, and removing it.
#include "level/VSD_Viewer.h"

#include "world/GameCtrlInterface.h"
#include "world/WorldCtrl.h"

#include <cmath>

namespace {

constexpr float kDegree = 0.017453292f;
constexpr float kMaxRangeCells = 100.0f;  // a light reaches at most this many cell widths
constexpr uint16_t kUpdateModeUnset = 0xFFFF;

}  // namespace

GameCtrlInterface* VSD_Viewer::FindCtrl() const { return m_GameCtrl ? m_GameCtrl : g_GameCtrl; }

int32_t VSD_Viewer::NewLightSlot() { return m_Lights.Add(); }

int32_t VSD_Viewer::AddLight(const VSD_LightSource& source)
{
    const int32_t slot = NewLightSlot();
    VSD_LightIntern* light = m_Lights.GetBySlot(slot);
    VSD_LightSource placed = source;
    if (placed.m_UpdateMode == kUpdateModeUnset && m_LightUpdates == 0)
        placed.m_UpdateMode = 0;  // nothing updates lights without a device
    *light = VSD_LightIntern(placed);
    light->m_ObjID = slot;
    SetupLight(slot);
    return slot;
}

void VSD_Viewer::SetupLight(int32_t id)
{
    VSD_LightIntern* light = m_Lights.GetBySlot(id);
    if (!light)
        return;
    light->m_Factor = 1.0f;
    float* dir = light->m_Direction;
    const float length = std::sqrt(dir[0] * dir[0] + dir[1] * dir[1] + dir[2] * dir[2]);
    if (length > 0.0f) {
        for (int32_t i = 0; i < 3; i++)
            dir[i] /= length;
    }
    light->m_IntensityCopy = light->m_Intensity;

    // d is where the light's brightness falls to what counts as its edge; black reaches nowhere
    // (k infinite, d squared 0).
    const float k = 3.75f / float(light->GetMaxColour()) + 0.25f;
    const float dSq = light->m_Intensity / k;
    const float size = light->m_Radius;
    if (light->m_Range == 0.0f) {
        const float q = dSq - light->m_Height * light->m_Height;
        light->m_Range = q >= 0.0f ? std::sqrt(q) + size : std::fmax(1.0f, size);
    }
    light->m_IntensityRadius = std::sqrt(dSq) + size;
    const float limit = kMaxRangeCells * m_CellWidthF;
    if (light->m_Range > limit) {
        Warning("Light radius too large: %f", double(light->m_Range));
        light->m_Range = limit;
    }
    light->m_RangeSq = light->m_Range * light->m_Range;

    int32_t n = light->m_SampleCount;
    if (n > VSD_LightIntern::kMaxSamples)
        n = VSD_LightIntern::kMaxSamples;
    if (n <= 1) {
        light->m_Samples[0][0] = 0.0f;
        light->m_Samples[0][1] = 0.0f;
        return;
    }
    const float a = float(90 / n) * kDegree;
    const float b = float(360 / n) * kDegree;
    light->m_Samples[0][0] = size * std::sin(a);
    light->m_Samples[0][1] = -size * std::cos(a);
    for (int32_t i = 1; i < n; i++) {
        const float x = light->m_Samples[i - 1][0];
        const float y = light->m_Samples[i - 1][1];
        light->m_Samples[i][0] = x * std::cos(b) - y * std::sin(b);
        light->m_Samples[i][1] = x * std::sin(b) + y * std::cos(b);
    }
}

void VSD_Viewer::DelLight(int32_t id)
{
    // Checked against the table's present capacity: lights placed after it grew are removable.
    VSD_LightIntern* light = id >= 0 && id < m_Lights.GetCapacity() ? m_Lights.GetBySlot(id) : nullptr;
    if (!light) {
        Warning("Invalid light id in DelLight: %i", id);
        return;
    }
    if (light->m_CellListEntry >= 0) {
        WorldCtrl* world = light->m_World ? light->m_World : GetWorldCtrl();
        if (world)
            world->LeaveBlock(*light);
    }
    m_Lights.Delete(id);
}
