// VertexLayout: sizes and offsets inside one vertex, derived from a Direct3D 9 vertex format code.
#pragma once
#include <cstdint>

struct VertexLayout {
    uint32_t selector = 0;  // tested by the face count of a scene; FromFormat leaves it alone
    uint32_t vertexFormat = 0;
    uint32_t vertexStride = 0;
    uint32_t weightCount = 0;
    uint32_t texSetCount = 0;
    uint32_t normalOffset = 0;
    uint32_t texCoordOffset = 0;
    uint32_t blendWeightOffset = 0;
    uint32_t boneIndexOffset = 0;
    uint32_t pointSizeOffset = 0;
    uint32_t diffuseOffset = 0;
    uint32_t specularOffset = 0;

    void FromFormat(uint32_t format);
    // Where coordinate set n (below texSetCount) starts in a vertex, and how many floats it holds.
    uint32_t TexSetOffset(uint32_t n) const;
    uint32_t TexSetFloats(uint32_t n) const;
};

// Vertex layout part of a mesh.
class DXC_VertexListBase {
public:
    VertexLayout layout;
};
