// VertexLayoutTest: vertex sizes and offsets from Direct3D 9 vertex format codes.
#include "engine/scene/VertexLayout.h"

#include <gtest/gtest.h>

namespace {

TEST(VertexLayout, FromFormat)
{
    struct Case {
        uint32_t format;
        uint32_t stride, weights, texSets, normal, tex, blend, bones, pointSize, diffuse, specular;
    } cases[] = {
        // position, normal, one set of two floats
        {0x112, 32, 0, 1, 12, 24, 12, 0, 0, 0, 0},
        // two betas of which the last is the packed bone indices, normal, one set
        {0x1118, 40, 2, 1, 20, 32, 12, 16, 0, 0, 0},
        // four betas, all weights
        {0x00C, 28, 4, 0, 0, 0, 12, 0, 0, 0, 0},
        // transformed position with diffuse and specular
        {0x0C4, 24, 0, 0, 0, 0, 16, 0, 0, 16, 20},
        // position, normal, point size, diffuse, specular, three sets of 3, 1 and 4 floats
        {0x3F2 | (1u << 16) | (3u << 18) | (2u << 20), 36 + 12 + 4 + 16, 0, 3, 12, 36, 12, 0, 24, 28, 32},
        // no usable position part; a set count above 8 counts as none
        {0x00E | 0x900, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0},
    };
    for (const Case& c : cases) {
        VertexLayout v;
        v.selector = 77;
        v.FromFormat(c.format);
        SCOPED_TRACE(c.format);
        EXPECT_EQ(v.selector, 77u);
        EXPECT_EQ(v.vertexFormat, c.format);
        EXPECT_EQ(v.vertexStride, c.stride);
        EXPECT_EQ(v.weightCount, c.weights);
        EXPECT_EQ(v.texSetCount, c.texSets);
        EXPECT_EQ(v.normalOffset, c.normal);
        EXPECT_EQ(v.texCoordOffset, c.tex);
        EXPECT_EQ(v.blendWeightOffset, c.blend);
        EXPECT_EQ(v.boneIndexOffset, c.bones);
        EXPECT_EQ(v.pointSizeOffset, c.pointSize);
        EXPECT_EQ(v.diffuseOffset, c.diffuse);
        EXPECT_EQ(v.specularOffset, c.specular);
    }
}

}  // namespace
