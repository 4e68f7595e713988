// KeyChainFileTest: key chains as stored in scene files: golden bytes, round trips, cut and lying chains.
#include "base/File.h"
#include "engine/scene/KeyTrack.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {

std::vector<uint8_t> Bytes(File& f)
{
    return std::vector<uint8_t>(f.GetMemoryBuffer(), f.GetMemoryBuffer() + f.GetSize());
}

void LoadBytes(File& f, const std::vector<uint8_t>& bytes)
{
    f.CreateMemoryFile(0);
    if (!bytes.empty())
        f.Write(bytes.data(), bytes.size());
    f.Seek(0);
}

TEST(KeyChainFile, GoldenBytesOfAPositionChain)
{
    DXC_PosKey* first = nullptr;
    DXC_PosKey k;
    k.time = 1.0f;  // 0x3F800000
    k.type = KEY_BEZIER;
    k.data.value = D3DXVECTOR3(2.0f, 0, 0);  // 0x40000000
    DXC_PosKey::InsertSorted(first, nullptr, k);
    k.time = 0.5f;  // 0x3F000000; inserted before
    k.type = KEY_HELD;
    k.data.value = D3DXVECTOR3(0, 0, -1.0f);  // 0xBF800000
    DXC_PosKey::InsertSorted(first, nullptr, k);

    File f;
    f.CreateMemoryFile(0);
    EXPECT_EQ(first->Write(f), 2);
    std::vector<uint8_t> expected;
    auto f32 = [&](uint32_t bits) {
        for (int i = 0; i < 4; i++)
            expected.push_back(uint8_t(bits >> (8 * i)));
    };
    f32(0x3F000000);
    expected.push_back(255);
    expected.push_back(0);
    for (int i = 0; i < 9; i++)
        f32(i == 2 ? 0xBF800000 : 0);
    expected.push_back(1);
    f32(0x3F800000);
    expected.push_back(1);
    expected.push_back(0);
    for (int i = 0; i < 9; i++)
        f32(i == 0 ? 0x40000000 : 0);
    expected.push_back(0);
    EXPECT_EQ(Bytes(f), expected);
    EXPECT_EQ(expected.size(), size_t(2 * 42 + 2));

    f.Seek(0);
    DXC_PosKey* read = new DXC_PosKey;
    EXPECT_EQ(read->Read(f), 2);
    EXPECT_EQ(read->time, 0.5f);
    EXPECT_EQ(read->type, KEY_HELD);
    EXPECT_EQ(read->data.value.z, -1.0f);
    ASSERT_NE(read->next, nullptr);
    EXPECT_EQ(read->next->prev, nullptr);  // chains from files carry no back links
    EXPECT_EQ(read->next->data.value.x, 2.0f);
    DXC_PosKey::FreeChain(read);
    DXC_PosKey::FreeChain(first);
}

TEST(KeyChainFile, RotationRoundTrip)
{
    DXC_RotKey* first = nullptr;
    DXC_RotKey k;
    for (int i = 0; i < 3; i++) {
        k.time = float(i);
        k.type = KEY_TCB;
        k.data.axis = D3DXVECTOR3(0, 0, 1);
        k.data.angle = 0.1f * i;
        k.data.easeOut = 0.25f;
        k.data.outControl = D3DXQUATERNION(0.1f, 0.2f, 0.3f, 0.9f);
        DXC_RotKey::InsertSorted(first, nullptr, k);
    }
    File f;
    f.CreateMemoryFile(0);
    EXPECT_EQ(first->Write(f), 3);
    EXPECT_EQ(f.GetSize(), 3 * (4 + 2 + 84) + 3);
    f.Seek(0);
    DXC_RotKey* read = new DXC_RotKey;
    EXPECT_EQ(read->Read(f), 3);
    const DXC_RotKey* a = first;
    for (const DXC_RotKey* b = read; b; b = b->next, a = a->next) {
        EXPECT_EQ(b->time, a->time);
        EXPECT_EQ(b->data.angle, a->data.angle);
        EXPECT_EQ(b->data.easeOut, 0.25f);
        EXPECT_EQ(b->data.outControl, a->data.outControl);
    }
    DXC_RotKey::FreeChain(read);
    DXC_RotKey::FreeChain(first);
}

TEST(KeyChainFile, CutAndLyingChains)
{
    DXC_ScaleKey* first = nullptr;
    DXC_ScaleKey k;
    k.time = 0;
    DXC_ScaleKey::InsertSorted(first, nullptr, k);
    k.time = 1;
    DXC_ScaleKey::InsertSorted(first, nullptr, k);
    File f;
    f.CreateMemoryFile(0);
    first->Write(f);
    std::vector<uint8_t> good = Bytes(f);
    DXC_ScaleKey::FreeChain(first);

    std::vector<std::vector<uint8_t>> bad;
    for (size_t cut : {size_t(0), size_t(3), size_t(41), size_t(42), size_t(43), good.size() - 1})
        bad.emplace_back(good.begin(), good.begin() + cut);
    std::vector<uint8_t> lying = good;
    lying.back() = 1;  // says another key follows, then the data ends
    bad.push_back(lying);
    for (const std::vector<uint8_t>& bytes : bad) {
        File in;
        LoadBytes(in, bytes);
        DXC_ScaleKey* read = new DXC_ScaleKey;
        EXPECT_THROW(read->Read(in), ErrorMsg) << bytes.size();
        DXC_ScaleKey::FreeChain(read);  // what was read stays linked and is freed by its owner
    }
}

}  // namespace
