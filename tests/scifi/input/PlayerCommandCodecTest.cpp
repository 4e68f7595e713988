// PlayerCommandCodec: golden units of the players' commands and the damage report (the bytes
// worked out apart with Python's struct), every decoder's refusals (a kind or button of 4 or more,
// a whole 32-bit kind, a float that is no number, a String past its unit, a unit cut short), and
// what it takes.
#include "scifi/input/PlayerCommandCodec.h"

#include "support/ByteBuilder.h"

#include <gtest/gtest.h>

#include <cstring>
#include <limits>
#include <vector>

namespace Codec = PlayerCommandCodec;
using Bytes = std::vector<uint8_t>;

TEST(PlayerCommandCodecTest, GoldenUnits)
{
    // struct.pack('<Iff', 1, 1.5, -2.0) + struct.pack('<I', 5) + b'melee'
    EXPECT_EQ(Codec::EncodePointOrder(1, 1.5f, -2.0f, String("melee")),
              (Bytes{0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0xc0, 0x3f, 0x00, 0x00, 0x00, 0xc0, 0x05, 0x00, 0x00, 0x00,
                     0x6d, 0x65, 0x6c, 0x65, 0x65}));
    // A walk carries no strategy; an attack without one carries the empty String.
    EXPECT_EQ(Codec::EncodePointOrder(0, 1.5f, -2.0f, String("melee")).size(), 12u);
    const Bytes attack = Codec::EncodePointOrder(2, 0.0f, 0.0f, String());
    ASSERT_EQ(attack.size(), 16u);
    EXPECT_EQ(Bytes(attack.end() - 4, attack.end()), (Bytes{0, 0, 0, 0}));
    // struct.pack('<Iii', 2, 17, 0x1234) + struct.pack('<I', 0)
    EXPECT_EQ(Codec::EncodeObjectOrder(2, ObjRef(17, 0x1234u), String()),
              (Bytes{0x02, 0, 0, 0, 0x11, 0, 0, 0, 0x34, 0x12, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(Codec::EncodeObjectOrder(0, ObjRef(17, 0x1234u), String("x")).size(), 12u);
    EXPECT_EQ(Codec::EncodeButtonReleased(2), (Bytes{0x02}));
    // struct.pack('<ff', -0.5, 8.0)
    EXPECT_EQ(Codec::EncodePoint(-0.5f, 8.0f), (Bytes{0x00, 0x00, 0x00, 0xbf, 0x00, 0x00, 0x00, 0x41}));
    EXPECT_EQ(Codec::EncodeSkillSlot(String()), (Bytes{0, 0, 0, 0}));
    EXPECT_EQ(Codec::SkillSlotMessage(1), 0xA300);
    EXPECT_EQ(Codec::SkillSlotMessage(3), 0xA302);
    EXPECT_EQ(Codec::SkillSlotMessage(4), 0);

    Codec::DamageReport report;
    report.damaged = ObjRef(5, 7u);
    report.attacker = ObjRef();
    report.x = 1.0f;
    report.y = 2.0f;
    report.damage.physical[1] = 3.0f;
    const Bytes unit = Codec::EncodeDamageReport(report);
    ASSERT_EQ(unit.size(), 96u);
    // struct.pack('<iIiIff', 5, 7, -1, 0xFFFFFFFF, 1.0, 2.0)
    EXPECT_EQ(Bytes(unit.begin(), unit.begin() + 24),
              (Bytes{5, 0, 0, 0, 7, 0, 0, 0, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0, 0, 0x80, 0x3f, 0, 0,
                     0, 0x40}));
    EXPECT_EQ(Bytes(unit.end() - 4, unit.end()), (Bytes{0, 0, 0x40, 0x40}));  // the second physical amount
}

TEST(PlayerCommandCodecTest, DecodersTakeWhatTheEncodersWrite)
{
    Codec::PlayerCommand command;
    const char* fault = nullptr;
    ASSERT_TRUE(Codec::Decode(0xA001, Codec::EncodePointOrder(1, 1.5f, -2.0f, String("melee")), command, &fault));
    EXPECT_EQ(command.kind, 1u);
    EXPECT_EQ(command.x, 1.5f);
    EXPECT_EQ(command.y, -2.0f);
    EXPECT_EQ(command.name, "melee");
    ASSERT_TRUE(Codec::Decode(0xA002, Codec::EncodeObjectOrder(2, ObjRef(17, 0x1234u), String("Slash")), command, &fault));
    EXPECT_EQ(command.target.objID, 17);
    EXPECT_EQ(command.target.myRnd, 0x1234u);
    EXPECT_EQ(command.name, "Slash");
    ASSERT_TRUE(Codec::Decode(0xA302, Codec::EncodeSkillSlot(String("Heal")), command, &fault));
    EXPECT_EQ(command.kind, 3u);
    EXPECT_EQ(command.name, "Heal");
    ASSERT_TRUE(Codec::Decode(0xA101, Bytes(), command, &fault));

    // Kind 3 names the switch button: no strategy follows. Bytes after the unit's message are
    // left unread.
    ASSERT_TRUE(Codec::Decode(0xA001, ByteBuilder().I32(3).F32(1.0f).F32(2.0f).I32(99).bytes, command, &fault));
    EXPECT_EQ(command.kind, 3u);
    EXPECT_TRUE(command.name.IsEmpty());

    Codec::DamageReport report;
    report.damaged = ObjRef(5, 7u);
    report.attacker = ObjRef(9, 1u);
    report.damage.damage[2] = 0.5f;
    report.damage.rulesValues[7] = 6.0f;
    Codec::DamageReport back;
    ASSERT_TRUE(Codec::DecodeDamageReport(Codec::EncodeDamageReport(report), back, &fault));
    EXPECT_EQ(back.attacker.objID, 9);
    EXPECT_EQ(back.damage.damage[2], 0.5f);
    EXPECT_EQ(back.damage.rulesValues[7], 6.0f);
}

TEST(PlayerCommandCodecTest, DecodersRefuseFaultyUnits)
{
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    const Bytes order = Codec::EncodePointOrder(1, 1.0f, 2.0f, String("melee"));
    struct Case {
        const char* what;
        uint16_t id;
        Bytes unit;
        const char* fault;
    } cases[] = {
        {"kind 4", 0xA001, Codec::EncodePointOrder(4, 1.0f, 2.0f, String()), "kind out of range"},
        {"kind 0x101 is no kind 1", 0xA001, ByteBuilder().I32(0x101).F32(1.0f).F32(2.0f).I32(0).bytes,
         "kind out of range"},
        {"object kind 4", 0xA002, Codec::EncodeObjectOrder(4, ObjRef(1, 1u), String()), "kind out of range"},
        {"button 4", 0xA003, Bytes{4}, "button out of range"},
        {"point x NaN", 0xA001, Codec::EncodePointOrder(0, nan, 2.0f, String()), "point not finite"},
        {"cursor y infinite", 0xA100, Codec::EncodePoint(1.0f, inf), "point not finite"},
        {"dodge NaN", 0xA200, Codec::EncodePoint(nan, 0.0f), "point not finite"},
        {"strategy one byte short", 0xA001, Bytes(order.begin(), order.end() - 1), "strategy name runs past the unit"},
        {"object strategy 2^31 long", 0xA002, ByteBuilder().I32(1).I32(1).I32(1).I32(INT32_MIN).bytes,
         "strategy name runs past the unit"},
        {"slot name 2^31 long", 0xA300, ByteBuilder().I32(INT32_MIN).bytes, "skill name runs past the unit"},
        {"point order cut short", 0xA001, Bytes(order.begin(), order.begin() + 11), "unit cut short"},
        {"object order cut short", 0xA002, ByteBuilder().I32(0).I32(1).bytes, "unit cut short"},
        {"release without button", 0xA003, Bytes(), "unit cut short"},
        {"cursor cut short", 0xA100, Bytes(7), "unit cut short"},
        {"no command", 0xA303, Bytes(4), "no command"},
    };
    for (const Case& c : cases) {
        Codec::PlayerCommand command;
        const char* fault = nullptr;
        EXPECT_FALSE(Codec::Decode(c.id, c.unit, command, &fault)) << c.what;
        EXPECT_STREQ(fault, c.fault) << c.what;
    }

    Codec::DamageReport report;
    const Bytes unit = Codec::EncodeDamageReport(report);
    const char* fault = nullptr;
    EXPECT_FALSE(Codec::DecodeDamageReport(Bytes(unit.begin(), unit.end() - 1), report, &fault));
    EXPECT_STREQ(fault, "unit cut short");
    Bytes poisoned = unit;
    std::memcpy(poisoned.data() + 24 + 4, &nan, 4);  // the first damage amount
    EXPECT_FALSE(Codec::DecodeDamageReport(poisoned, report, &fault));
    EXPECT_STREQ(fault, "value not finite");
}
