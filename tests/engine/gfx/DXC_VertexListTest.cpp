// DXC_VertexListTest: the primitive count of every kind, the buffer's locks through the device,
// the release, and the graphics object's six lists.
#include "engine/gfx/DXC_VertexList.h"

#include "support/DeviceGfx.h"
#include "support/ErrorOf.h"

#include <gtest/gtest.h>

TEST(DXC_VertexList, PrimitiveCountByKind)
{
    struct Case {
        int32_t kind, vertices, primitives;
    } cases[] = {
        {1, 5, 5}, {2, 5, 2}, {3, 5, 4}, {4, 7, 2}, {5, 5, 3}, {6, 5, 3},
        {3, 0, 0}, {5, 2, 0}, {5, 1, 0}, {6, 2, 0}, {6, 0, 0},  // too short for one: none, never negative
    };
    for (const Case& c : cases) {
        DXC_VertexList list;
        list.primitiveKind = c.kind;
        list.SetVertexCount(c.vertices);
        EXPECT_EQ(list.primitiveCount, c.primitives) << c.kind << " " << c.vertices;
    }
    DXC_VertexList bad;
    bad.primitiveKind = 9;
    EXPECT_EQ(DxcErrorOf([&] { bad.UpdatePrimitiveCount(); }), "Invalid PointList mode selected! (9)");
}

TEST(DXC_VertexList, BufferLocksAndRelease)
{
    DeviceGfx client;
    DXC_VertexListTemp<DXC_LVertex> list;
    EXPECT_EQ(list.pointSprite.size, 4.0f);
    EXPECT_EQ(list.pointSprite.maxSize, 64.0f);
    EXPECT_EQ(DxcErrorOf([&] { list.Lock(0, 1, 0); }), "Lock failed: D3DERR_INVALIDCALL");  // no buffer yet
    EXPECT_FALSE(list.IsLocked());
    ASSERT_EQ(list.Create(&client.Device(), 6, DXC_VertexList::kTriangleStrip), 1);
    EXPECT_EQ(list.layout.vertexStride, 28u);
    EXPECT_EQ(list.primitiveCount, 4);
    ASSERT_EQ(list.Lock(2, 3, 0), 1);
    EXPECT_TRUE(list.IsLocked());
    const D3D9Call* lock = client.Journal().Last(D3D9Op::Lock);
    EXPECT_EQ(lock->Arg(1), 56u);  // from the third vertex
    EXPECT_EQ(lock->Arg(2), 84u);  // three vertices
    list.Vertices()[0].diffuse = 0xFF00FF00u;
    client.Journal().FailNext(D3D9Op::Unlock, 1, D3DERR_INVALIDCALL);
    EXPECT_EQ(DxcErrorOf([&] { list.Unlock(); }), "Unlock failed: D3DERR_INVALIDCALL");
    ASSERT_EQ(list.Unlock(), 1);
    EXPECT_FALSE(list.IsLocked());
    list.SetObjectName("quad");
    list.ReleaseBuffer();
    EXPECT_EQ(list.GetBuffer(), nullptr);
    EXPECT_EQ(list.vertexCount, 0);
    EXPECT_STRNE(list.GetObjectName(), "quad");  // the node part is cleared with it

    ASSERT_EQ(client.Gfx().GetVertexLists().points.Create(&client.Device(), 8, DXC_VertexList::kPointList), 1);
    // the graphics object gives its lists' buffers back with the device; DeviceGfx checks nothing is left
}
