// WorldEventPayloads: the script event's bytes where the event step reads them, texts cut to
// their fields, each record read back as written, and every record refused one byte short; the
// damage event with its image.
#include "world/WorldEventPayloads.h"

#include "world/WorldTestSupport.h"
#include "support/ByteBuilder.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

TEST(WorldEventPayloadsTest, ScriptEventBytes)
{
    ScriptEventRecord record;
    std::strcpy(record.text, "abc");
    std::strcpy(record.label, "L");
    record.objVariables[0] = 1;
    record.objVariables[255] = -2;
    record.currentObj = 1;
    record.runFlags = 2;
    WorldEvent event;
    event.time = 2.5;
    record.Write(event);
    ASSERT_EQ(event.size, 1552);
    EXPECT_EQ(event.type, WorldEventType::kScript);
    EXPECT_EQ(event.time, 2.5);
    const uint8_t* p = event.payload.get();
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(p)), "abc");
    EXPECT_EQ(p[256], 'L');
    EXPECT_EQ(p[512], 1);
    const uint8_t last[] = {0xFE, 0xFF, 0xFF, 0xFF};
    EXPECT_EQ(std::memcmp(p + 1532, last, 4), 0);
    for (int i = 1536; i < 1546; i++)
        EXPECT_EQ(p[i], 0xFF) << i;  // no element
    EXPECT_EQ(p[1546] | p[1547] | p[1550] | p[1551], 0);
    EXPECT_EQ(p[1548], 1);
    EXPECT_EQ(p[1549], 2);

    ScriptEventRecord back;
    ASSERT_TRUE(back.Read(event));
    EXPECT_STREQ(back.text, "abc");
    EXPECT_STREQ(back.label, "L");
    EXPECT_EQ(back.objVariables[255], -2);
    EXPECT_EQ(back.elem.objID, -1);
    EXPECT_EQ(back.elem.type, 0xFFFF);
    EXPECT_EQ(back.runFlags, 2);

    // an element's reference: its ID, check value and type code; texts keep 254 characters
    TestElem elem(ElemType::kCreature);
    elem.m_ObjID = 0x010203;
    elem.m_MyRnd = 0x0A0B0C0D;
    record.elem.Set(&elem);
    std::memset(record.text, 'x', sizeof record.text - 1);
    record.Write(event);
    p = event.payload.get();
    const uint8_t ref[] = {0x03, 0x02, 0x01, 0x00, 0x0D, 0x0C, 0x0B, 0x0A, 0x04, 0x00};
    EXPECT_EQ(std::memcmp(p + 1536, ref, sizeof ref), 0);
    ASSERT_TRUE(back.Read(event));
    EXPECT_EQ(std::strlen(back.text), 254u);
}

// Each record reads what it wrote; a payload one byte short fails, and a short text field is
// still terminated.
TEST(WorldEventPayloadsTest, RecordsRoundTripAndShortPayloads)
{
    const struct {
        const char* name;
        std::function<void(WorldEvent&)> write;
        std::function<bool(const WorldEvent&)> check;  // reads and compares
    } kCases[] = {
        {"kill", [](WorldEvent& e) { KillEventRecord{ObjRef(3, 4), ObjRef(5, 6)}.Write(e); },
         [](const WorldEvent& e) {
             KillEventRecord r;
             return r.Read(e) && r.victim.objID == 3 && r.victim.myRnd == 4 && r.killer.objID == 5;
         }},
        {"use", [](WorldEvent& e) { UseEventRecord{9, 7, -3}.Write(e); },
         [](const WorldEvent& e) {
             UseEventRecord r;
             return r.Read(e) && r.objID == 9 && r.typeCode == 7 && r.value == -3;
         }},
        {"pickup", [](WorldEvent& e) { PickupRecord{ObjRef(1, 2), ObjRef(3, 4), 5}.Write(e); },
         [](const WorldEvent& e) {
             PickupRecord r;
             return r.Read(e) && r.picker.objID == 1 && r.item.myRnd == 4 && r.amount == 5;
         }},
        {"level",
         [](WorldEvent& e) {
             LevelChangeRecord r;
             std::strcpy(r.levelName, "levels\\two.cfg");
             std::strcpy(r.startName, "gate");
             r.startNumber = -1;
             r.Write(e);
         },
         [](const WorldEvent& e) {
             LevelChangeRecord r;
             return r.Read(e) && std::string(r.levelName) == "levels\\two.cfg" && std::string(r.startName) == "gate" &&
                    r.startNumber == -1;
         }},
        {"reenter", [](WorldEvent& e) { IDEventRecord{12}.Write(e, WorldEventType::kReenter); },
         [](const WorldEvent& e) {
             IDEventRecord r;
             return r.Read(e) && r.id == 12 && e.type == WorldEventType::kReenter;
         }},
        {"sound",
         [](WorldEvent& e) {
             SoundEventRecord r;
             std::strcpy(r.name, "door");
             r.x = 1.5f;
             r.positional = 1;
             r.sourceID = 4;
             r.Write(e);
         },
         [](const WorldEvent& e) {
             SoundEventRecord r;
             return r.Read(e) && std::string(r.name) == "door" && r.x == 1.5f && r.positional == 1 && r.sourceID == 4;
         }},
        {"music",
         [](WorldEvent& e) {
             MusicEventRecord r;
             std::strcpy(r.name, "battle");
             r.mode = -1;
             r.fade = 2.0f;
             r.Write(e);
         },
         [](const WorldEvent& e) {
             MusicEventRecord r;
             return r.Read(e) && std::string(r.name) == "battle" && r.mode == -1 && r.fade == 2.0f;
         }},
        {"sequence",
         [](WorldEvent& e) {
             SequenceEventRecord r;
             std::strcpy(r.name, "sequences\\seq2.vid");
             r.Write(e);
         },
         [](const WorldEvent& e) {
             SequenceEventRecord r;
             return r.Read(e) && std::string(r.name) == "sequences\\seq2.vid";
         }},
        {"use request",
         [](WorldEvent& e) {
             UseRequestRecord r;
             std::strcpy(r.itemName, "it_key");
             r.scriptID = 3;
             std::strcpy(r.handler, "OnKey();");
             r.Write(e);
         },
         [](const WorldEvent& e) {
             UseRequestRecord r;
             return r.Read(e) && e.type == WorldEventType::kUseRequest && std::string(r.itemName) == "it_key" &&
                    r.scriptID == 3 && r.keyNumber == -1 && std::string(r.handler) == "OnKey();";
         }},
        {"byte", [](WorldEvent& e) { ByteEventRecord{2}.Write(e, WorldEventType::kGameEnd); },
         [](const WorldEvent& e) {
             ByteEventRecord r;
             return r.Read(e) && r.value == 2;
         }},
    };
    for (const auto& c : kCases) {
        WorldEvent event;
        c.write(event);
        EXPECT_TRUE(c.check(event)) << c.name;
        WorldEvent copy;
        CopyEvent(copy, event);
        EXPECT_TRUE(c.check(copy)) << c.name;
        event.size--;  // one byte short
        EXPECT_FALSE(c.check(event)) << c.name;
    }

    // a text field without its terminator reads as a terminated text
    WorldEvent event;
    uint8_t bytes[SequenceEventRecord::kSize];
    std::memset(bytes, 'a', sizeof bytes);
    SetEventPayload(event, WorldEventType::kSequence, bytes, sizeof bytes, 0.0);
    SequenceEventRecord sequence;
    ASSERT_TRUE(sequence.Read(event));
    EXPECT_EQ(std::strlen(sequence.name), 127u);
}

// The use request's fields where the game reads them; texts of 255 characters keep their
// terminator.
TEST(WorldEventPayloadsTest, UseRequestBytes)
{
    UseRequestRecord record;
    std::memset(record.itemName, 'i', sizeof record.itemName);  // no terminator of its own
    record.scriptID = 0x01020304;
    record.keyNumber = 7;
    std::memset(record.handler, 'h', sizeof record.handler);
    WorldEvent event;
    record.Write(event);
    ASSERT_EQ(event.size, 520);
    const uint8_t* p = event.payload.get();
    EXPECT_EQ(p[254], 'i');
    EXPECT_EQ(p[255], 0);
    const uint8_t ids[] = {0x04, 0x03, 0x02, 0x01, 0x07, 0x00, 0x00, 0x00};
    EXPECT_EQ(std::memcmp(p + 256, ids, sizeof ids), 0);
    EXPECT_EQ(p[264], 'h');
    EXPECT_EQ(p[518], 'h');
    EXPECT_EQ(p[519], 0);
}

// The damage event's fields at their offsets, the damage as its 72-byte image; one byte short is
// refused.
TEST(WorldEventPayloadsTest, DamageEventBytes)
{
    DamageEventRecord record;
    record.target = ObjRef(3, 0x0A0B0C0D);
    record.damage.damage[0] = 1.0f;
    record.damage.enabled = 0;
    record.damage.extraFlag = 1;
    record.damage.valueB = 2.0f;
    record.damage.rulesValues[7] = 3.0f;
    record.damage.physical[1] = 4.0f;
    record.causerID = 1000000;
    record.origin[1] = 5.0f;
    record.direction[0] = -1.0f;
    record.values[1] = -7;
    WorldEvent event;
    record.Write(event);
    ASSERT_EQ(event.size, DamageEventRecord::kSize);
    EXPECT_EQ(event.type, WorldEventType::kDamage);
    const std::vector<uint8_t> expected = ByteBuilder()
                                              .I32(3)
                                              .I32(0x0A0B0C0D)
                                              .I32(0)  // the image: the sender's class word
                                              .F32s({1.0f, 0.0f, 0.0f, 0.0f})
                                              .U8(0)
                                              .U8(1)
                                              .U16(0)
                                              .F32s({0.0f, 2.0f, 0, 0, 0, 0, 0, 0, 0, 3.0f, 0.0f, 4.0f})
                                              .I32(1000000)
                                              .I32(-1)
                                              .I32(-1)  // no causer element
                                              .F32s({0.0f, 5.0f, -1.0f, 0.0f})
                                              .I32(0)
                                              .I32(-7)
                                              .bytes;
    EXPECT_EQ(std::vector<uint8_t>(event.payload.get(), event.payload.get() + event.size), expected);

    DamageEventRecord back;
    ASSERT_TRUE(back.Read(event));
    EXPECT_EQ(back.target.myRnd, 0x0A0B0C0Du);
    EXPECT_EQ(back.damage.extraFlag, 1);
    EXPECT_EQ(back.damage.rulesValues[7], 3.0f);
    EXPECT_EQ(back.damage.physical[1], 4.0f);
    EXPECT_EQ(back.causerID, 1000000);
    EXPECT_EQ(back.causer.objID, -1);
    EXPECT_EQ(back.origin[1], 5.0f);
    EXPECT_EQ(back.values[1], -7);
    event.size--;
    EXPECT_FALSE(back.Read(event));
}
