// Tests of the shared value encodings: golden bytes of the fixed records, texts with lying lengths
// and missing terminators, and script values of each type.
#include "net/GameValueCodec.h"

#include "script/ScriptValue.h"
#include "support/ByteBuilder.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;

template <class Write> Bytes Written(Write write)
{
    Bytes buffer(256);
    ByteWriter writer(buffer.data(), buffer.size());
    EXPECT_TRUE(write(writer));
    buffer.resize(writer.GetPosition());
    return buffer;
}

TEST(GameValueCodecTest, FixedRecordsGoldenBytes)
{
    NetObjPos pos;
    pos.ref = ObjRef(7, 0x01020304u);
    pos.x = 1.0f;
    pos.y = -2.0f;
    pos.angle = 100.0f;
    const Bytes posBytes = Written([&](ByteWriter& w) { return GameValueCodec::WriteNetObjPos(w, pos); });
    EXPECT_EQ(posBytes, ByteBuilder().I32(7).I32(0x01020304).F32(1.0f).F32(-2.0f).U16(0x4B20).bytes);
    ASSERT_EQ(posBytes.size(), size_t(NetObjPos::kSize));
    ByteReader posReader(posBytes.data(), posBytes.size());
    const NetObjPos back = GameValueCodec::ReadNetObjPos(posReader);
    EXPECT_EQ(back.ref.objID, 7);
    EXPECT_EQ(back.ref.myRnd, 0x01020304u);
    EXPECT_EQ(back.y, -2.0f);
    EXPECT_EQ(back.angle, 100.0f);

    // None is -1, -1 on the wire; ObjRef3 adds the type as an i32.
    EXPECT_EQ(Written([](ByteWriter& w) { return GameValueCodec::WriteObjRef(w, ObjRef()); }),
              ByteBuilder().I32(-1).I32(-1).bytes);
    ObjRef3 wall;
    wall.objID = 3;
    wall.myRnd = 9;
    wall.type = 7;
    const Bytes wallBytes = Written([&](ByteWriter& w) { return GameValueCodec::WriteObjRef3(w, wall); });
    EXPECT_EQ(wallBytes, ByteBuilder().I32(3).I32(9).I32(7).bytes);

    AnicycleUnit unit;
    unit.objID = 12;
    unit.moveCycle = 0x4005;
    unit.moveValue = 0x3E00;
    const Bytes unitBytes = Written([&](ByteWriter& w) { return GameValueCodec::WriteAnicycleUnit(w, unit); });
    EXPECT_EQ(unitBytes, ByteBuilder().I32(12).U16(0x4005).U16(0x3E00).U16(0x8000).U16(0).bytes);
    ByteReader unitReader(unitBytes.data(), unitBytes.size());
    const AnicycleUnit unitBack = GameValueCodec::ReadAnicycleUnit(unitReader);
    EXPECT_EQ(AnicycleUnit::CycleID(unitBack.moveCycle), 5);
    EXPECT_TRUE(AnicycleUnit::CycleFlag(unitBack.moveCycle));
    EXPECT_EQ(AnicycleUnit::CycleID(unitBack.actionCycle), -1);
}

TEST(GameValueCodecTest, ObjRef3TypeCodes)
{
    const struct {
        int32_t wire;
        bool ok;
        uint16_t type;
    } kCases[] = {{4, true, 4}, {65535, true, 65535}, {-1, true, 65535}, {65536, false, 65535}, {-2, false, 65535}};
    for (const auto& c : kCases) {
        const Bytes bytes = ByteBuilder().I32(1).I32(2).I32(c.wire).bytes;
        ByteReader reader(bytes.data(), bytes.size());
        const ObjRef3 ref = GameValueCodec::ReadObjRef3(reader);
        EXPECT_EQ(!reader.Failed(), c.ok) << c.wire;
        EXPECT_EQ(ref.type, c.type) << c.wire;
    }
}

TEST(GameValueCodecTest, TextsStayWithinTheirBytes)
{
    const Bytes ok = ByteBuilder().I32(3).U8('a').U8('b').U8('c').U8(0xEE).bytes;
    ByteReader reader(ok.data(), ok.size());
    EXPECT_EQ(GameValueCodec::ReadString(reader), "abc");
    EXPECT_EQ(reader.GetRemaining(), 1u);

    for (uint32_t lying : {5u, 0x80000000u, 0xFFFFFFFFu}) {
        const Bytes bytes = ByteBuilder().I32(int32_t(lying)).U8('a').U8('b').U8('c').U8('d').bytes;
        ByteReader lyingReader(bytes.data(), bytes.size());
        EXPECT_EQ(GameValueCodec::ReadString(lyingReader), "") << lying;
        EXPECT_TRUE(lyingReader.Failed()) << lying;
    }

    // Wide texts: a fixed field keeps units - 1 and zero-fills; a terminated one needs its 0.
    const Bytes fixed = Written([](ByteWriter& w) { return GameValueCodec::WriteWideFixed(w, wString(u"Kira"), 3); });
    EXPECT_EQ(fixed, ByteBuilder().U16('K').U16('i').U16(0).bytes);
    ByteReader fixedReader(fixed.data(), fixed.size());
    EXPECT_EQ(GameValueCodec::ReadWideFixed(fixedReader, 3), wString(u"Ki"));
    // 8-bit fixed fields likewise; a field without a 0 reads whole, one past the end fails.
    const Bytes cfg = Written([](ByteWriter& w) { return GameValueCodec::WriteCharFixed(w, String("Robot"), 4); });
    EXPECT_EQ(cfg, ByteBuilder().U8('R').U8('o').U8('b').U8(0).bytes);
    ByteReader cfgReader(cfg.data(), cfg.size());
    EXPECT_EQ(GameValueCodec::ReadCharFixed(cfgReader, 4), "Rob");
    const Bytes full = ByteBuilder().U8('a').U8('b').bytes;
    ByteReader fullReader(full.data(), full.size());
    EXPECT_EQ(GameValueCodec::ReadCharFixed(fullReader, 2), "ab");
    ByteReader shortReader(full.data(), full.size());
    EXPECT_EQ(GameValueCodec::ReadCharFixed(shortReader, 3), "");
    EXPECT_TRUE(shortReader.Failed());
    const Bytes chat = Written([](ByteWriter& w) { return GameValueCodec::WriteWideTerminated(w, wString(u"hi")); });
    EXPECT_EQ(chat, ByteBuilder().U16('h').U16('i').U16(0).bytes);
    ByteReader chatReader(chat.data(), chat.size());
    EXPECT_EQ(GameValueCodec::ReadWideTerminated(chatReader), wString(u"hi"));
    ByteReader unterminated(chat.data(), chat.size() - 2);
    EXPECT_EQ(GameValueCodec::ReadWideTerminated(unterminated), wString());
    EXPECT_TRUE(unterminated.Failed());
}

TEST(GameValueCodecTest, ScriptValuesOfEachType)
{
    ScriptValue values[4];
    values[0].SetVoid();
    values[1].SetInt(-42);
    values[2].SetFloat(2.5);
    values[3].SetString("Hero");
    const Bytes expected[4] = {
        ByteBuilder().U8(0).bytes,
        ByteBuilder().U8(1).I32(-42).bytes,
        ByteBuilder().U8(2).I32(0).I32(0x40040000).bytes,
        ByteBuilder().U8(3).I32(4).U8('H').U8('e').U8('r').U8('o').bytes,
    };
    for (int i = 0; i < 4; i++) {
        const Bytes bytes = Written([&](ByteWriter& w) { return GameValueCodec::WriteScriptValue(w, values[i]); });
        EXPECT_EQ(bytes, expected[i]) << i;
        EXPECT_EQ(GameValueCodec::ScriptValueSize(values[i]), int32_t(bytes.size())) << i;
        ByteReader reader(bytes.data(), bytes.size());
        ScriptValue back;
        back.SetInt(99);
        ASSERT_TRUE(GameValueCodec::ReadScriptValue(reader, back)) << i;
        EXPECT_TRUE(back.Equals(values[i])) << i;
        EXPECT_EQ(reader.GetRemaining(), 0u) << i;

        ByteReader cut(bytes.data(), bytes.size() - 1);  // one byte short
        EXPECT_FALSE(GameValueCodec::ReadScriptValue(cut, back)) << i;
        EXPECT_EQ(back.m_Type, kScriptVoid) << i;
    }
    // Types without a body, the unknown ones among them, are read as Void.
    const Bytes unknown = ByteBuilder().U8(254).U8(7).bytes;
    ByteReader reader(unknown.data(), unknown.size());
    ScriptValue back;
    ASSERT_TRUE(GameValueCodec::ReadScriptValue(reader, back));
    EXPECT_EQ(back.m_Type, kScriptVoid);
    EXPECT_EQ(reader.GetRemaining(), 1u);
}

}  // namespace
