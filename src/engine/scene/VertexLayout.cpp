// VertexLayout: sizes and offsets inside one vertex, derived from a Direct3D 9 vertex format code.
#include "engine/scene/VertexLayout.h"

namespace {
// Direct3D 9 flexible vertex format bits.
constexpr uint32_t kPositionMask = 0x00E;
constexpr uint32_t kXyz = 0x002;
constexpr uint32_t kXyzRhw = 0x004;
constexpr uint32_t kXyzB1 = 0x006;
constexpr uint32_t kXyzB4 = 0x00C;
constexpr uint32_t kNormal = 0x010;
constexpr uint32_t kPointSize = 0x020;
constexpr uint32_t kDiffuse = 0x040;
constexpr uint32_t kSpecular = 0x080;
constexpr uint32_t kTexCountMask = 0xF00;
constexpr uint32_t kLastBetaIndices = 0x1000;  // the last beta value is the packed bone indices
}  // namespace

void VertexLayout::FromFormat(uint32_t format)
{
    const uint32_t keep = selector;
    *this = VertexLayout();
    selector = keep;
    vertexFormat = format;

    uint32_t size = 0;
    const uint32_t pos = format & kPositionMask;
    if (pos == kXyz) {
        size = 12;
        blendWeightOffset = 12;
    } else if (pos == kXyzRhw) {
        size = 16;
        blendWeightOffset = 16;
    } else if (pos >= kXyzB1 && pos <= kXyzB4) {
        weightCount = (pos - kXyzB1) / 2 + 1;
        size = 12 + 4 * weightCount;
        blendWeightOffset = 12;
        if (format & kLastBetaIndices)
            boneIndexOffset = 12 + 4 * (weightCount - 1);
    }

    if (format & kNormal) {
        normalOffset = size;
        size += 12;
    }
    if (format & kPointSize) {
        pointSizeOffset = size;
        size += 4;
    }
    if (format & kDiffuse) {
        diffuseOffset = size;
        size += 4;
    }
    if (format & kSpecular) {
        specularOffset = size;
        size += 4;
    }

    const uint32_t sets = (format & kTexCountMask) >> 8;
    texSetCount = (sets >= 1 && sets <= 8) ? sets : 0;
    if (texSetCount > 0)
        texCoordOffset = size;
    for (uint32_t i = 0; i < texSetCount; i++)
        size += 4 * TexSetFloats(i);

    vertexStride = size;
}

uint32_t VertexLayout::TexSetFloats(uint32_t n) const
{
    static const uint32_t kSetFloats[4] = {2, 3, 4, 1};  // the format's two size bits of the set
    return kSetFloats[(vertexFormat >> (16 + 2 * n)) & 3];
}

uint32_t VertexLayout::TexSetOffset(uint32_t n) const
{
    uint32_t offset = texCoordOffset;
    for (uint32_t i = 0; i < n && i < texSetCount; i++)
        offset += 4 * TexSetFloats(i);
    return offset;
}
