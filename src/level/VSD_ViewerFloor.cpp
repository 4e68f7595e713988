// VSD_Viewer: the floor heights derived from the corner heights.
#include "level/VSD_Viewer.h"

#include <cmath>

void VSD_Viewer::CalcCentreHeights()
{
    const size_t row = size_t(m_MapWidth) + 1;
    if (m_Heights.size() < row * (size_t(m_MapHeight) + 1) || m_CentreHeights.size() < m_Heights.size())
        return;
    for (size_t y = 0; y < size_t(m_MapHeight); y++) {
        for (size_t x = 0; x < size_t(m_MapWidth); x++) {
            const float h[4] = {m_Heights[y * row + x], m_Heights[y * row + x + 1], m_Heights[(y + 1) * row + x],
                                m_Heights[(y + 1) * row + x + 1]};
            const float a = (h[0] + h[1] + h[2] + h[3]) * 0.25f;
            float centre = a;
            if (m_TerrainCenterMode == 1) {
                float d[4];
                float sum = 0.0f;
                for (int i = 0; i < 4; i++) {
                    d[i] = std::fabs(a - h[i]);
                    sum += d[i];
                }
                if (sum > 0.0f) {  // a flat cell keeps the mean
                    const float scale = 1.0f / (0.25f * sum);
                    bool outlier = false;
                    for (float di : d)
                        outlier = outlier || di * scale > 1.5f;
                    if (outlier) {  // leave out the corner that deviates most
                        const int first = d[0] > d[1] ? 0 : 1;
                        const int second = d[2] > d[3] ? 2 : 3;
                        const int out = d[second] < d[first] ? first : second;
                        centre = (h[0] + h[1] + h[2] + h[3] - h[out]) * 0.33333334f;
                    }
                }
            }
            m_CentreHeights[y * row + x] = centre;
        }
    }
}
