// MakeFuzzSeeds: writes the small valid inputs the fuzz targets start from, each made by the
// system's own writers, into <directory>/<target>/. Inputs kept from found faults ("crash-*")
// and the seeds of the text formats (configuration files, constants, scripts) are written by
// hand and left alone. Run: build the target fuzz_seeds.
#include "MakeGameFuzzSeeds.h"

#include "base/BezierSpline.h"
#include "base/ConfigFileReader.h"
#include "base/File.h"
#include "base/Log.h"
#include "base/LzmaCoder.h"
#include "base/Random.h"
#include "engine/gfx/DXC_Gfx.h"
#include "engine/gfx/DXC_Material.h"
#include "engine/scene/DXC_3dScene.h"
#include "engine/scene/SceneFileHeader.h"
#include "engine/gfx/DXC_Texture.h"
#include "engine/scene/KeyTrack.h"
#include "game/objects/ItemBase.h"
#include "../tests/net/FakeGameTransport.h"
#include "../tests/support/ByteBuilder.h"
#include "../tests/support/GamePacketBytes.h"
#include "../tests/support/ScriptedPeer.h"
#include "base/ErrorClass.h"
#include "net/GamePacketFraming.h"
#include "net/GameValueCodec.h"
#include "net/TransportPacket.h"
#include "platform/D3D9MemoryTexture.h"
#include "platform/D3DXImage.h"
#include "platform/DdsFile.h"
#include "scifi/ctrl/SciFiGameCtrl.h"
#include "scifi/objects/CreatureObj_SF.h"
#include "scifi/input/PlayerCommandCodec.h"
#include "scifi/objects/Item_SF.h"
#include "scifi/save/PlayerSaveID.h"
#include "script/VariableStack.h"
#include "world/Inventory.h"
#include "world/KI_Strategy.h"

#include <cmath>
#include <cstring>
#include <cstdio>
#include <cstdlib>
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;

std::filesystem::path g_Root;

void Put(const std::string& target, const std::string& name, const Bytes& bytes)
{
    std::filesystem::path dir = g_Root / target;
    std::filesystem::create_directories(dir);
    std::ofstream(dir / name, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

Bytes Contents(File& file)
{
    return Bytes(file.GetMemoryBuffer(), file.GetMemoryBuffer() + file.GetSize());
}

// A little of everything File reads: each width, both string forms, an empty string, a length
// that exceeds what follows.
Bytes TypedValues()
{
    File f;
    f.CreateMemoryFile(0);
    f.WriteInt8(0x7F);
    f.WriteInt16(-2);
    f.WriteInt32(0x12345678);
    f.WriteFloat(1.5f);
    f.WriteInt64(-3);
    f.WriteDouble(-0.25);
    f.WriteString("hello");
    f.WriteWString(wString(u"wide \u00e9"));
    f.WriteString("");
    f.WriteInt32(8);  // an offset the seek-from-file operation may take
    f.WriteInt32(1000);  // a string length beyond the end
    f.WriteString("end");
    return Contents(f);
}

void FileReads()
{
    const Bytes values = TypedValues();
    auto withProgram = [&](const Bytes& program) {
        Bytes b = {uint8_t(program.size())};
        b.insert(b.end(), program.begin(), program.end());
        b.insert(b.end(), values.begin(), values.end());
        return b;
    };
    Put("FileReads", "sweep.bin", withProgram({}));
    Bytes everyOp;
    for (uint8_t op = 0; op <= 20; op++)
        everyOp.push_back(op);
    Put("FileReads", "every-op.bin", withProgram(everyOp));
    // Reads of each width in file order, then seeks back and past the end and a read there.
    Put("FileReads", "in-order.bin", withProgram({0, 3, 5, 6, 8, 9, 10, 11, 10, 16, 12 | (3 << 5), 4, 14 | (2 << 5), 4,
                                                  15 | (7 << 5), 13 | (1 << 5), 0, 20}));
    // A packed block: length, then a stored block of three bytes.
    File f;
    f.CreateMemoryFile(0);
    f.WriteInt32(8);
    const uint8_t stored[8] = {0, 3, 0, 0, 0, 'a', 'b', 'c'};
    f.Write(stored, sizeof stored);
    Bytes packed = Contents(f);
    packed.insert(packed.begin(), {2, 19, 20});
    Put("FileReads", "packed-block.bin", packed);
}

// Text with runs, so that run-length packing has repeats, markers and a tail.
Bytes PlainSample()
{
    Bytes b;
    const char* text = "[Creature]\nName=Sentry Drone\nHealth=120\n";
    b.insert(b.end(), text, text + std::char_traits<char>::length(text));
    for (int i = 0; i < 40; i++)
        b.push_back(0);
    for (int i = 0; i < 3; i++)  // the run-length marker unit itself
        b.insert(b.end(), {10, 11, 12, 13});
    for (int i = 0; i < 64; i++)
        b.push_back(uint8_t(i * 7));
    b.push_back(0xAB);  // a tail of less than one unit
    return b;
}

void PackedOpen()
{
    const Bytes plain = PlainSample();
    Put("PackedOpen", "plain.bin", plain);
    for (int32_t method = 1; method <= 8; method++) {
        Random::Seed(1234);  // the scrambled LZMA methods draw their seed from it
        File f;
        f.CreateMemoryFile(0);
        f.Write(plain.data(), plain.size());
        f.SetCompression(method);
        f.Flush();
        Put("PackedOpen", "method-" + std::to_string(method) + ".bin", Contents(f));
    }
    File empty;
    empty.CreateMemoryFile(0);
    empty.SetCompression(1);
    empty.Flush();
    Put("PackedOpen", "method-1-empty.bin", Contents(empty));
    // Headers the container reads as plain data: another version, method 0, an unknown method.
    Put("PackedOpen", "other-version.bin", {0xA7, 0x51, 0x4D, 0xA7, 2, 1, 0, 0, 0, 0});
    Put("PackedOpen", "method-0.bin", {0xA7, 0x51, 0x4D, 0xA7, 1, 0, 0, 3, 0, 0, 0, 'x', 'y', 'z'});
    Put("PackedOpen", "method-unknown.bin", {0xA7, 0x51, 0x4D, 0xA7, 1, 9, 0, 3, 0, 0, 0, 'x', 'y', 'z'});
}

void Lzma()
{
    const Bytes plain = PlainSample();
    struct Setting {
        const char* name;
        LzmaProperties properties;
        Bytes input;
    };
    LzmaProperties best;
    LzmaProperties fast;
    fast.dictionaryBits = 16;
    fast.fastMode = 1;
    fast.fastBytes = 5;
    fast.matchFinder = 3;
    LzmaProperties contexts;
    contexts.dictionaryBits = 12;
    contexts.literalContextBits = 0;
    contexts.literalPosBits = 2;
    contexts.posBits = 0;
    Bytes repeated;
    for (int i = 0; i < 2000; i++)
        repeated.push_back(uint8_t("abcab"[i % 5]));
    const Setting settings[] = {{"best.bin", best, plain},
                                {"fast.bin", fast, plain},
                                {"contexts.bin", contexts, plain},
                                {"repeated.bin", best, repeated},
                                {"empty.bin", best, {}}};
    for (const Setting& s : settings) {
        std::unique_ptr<uint8_t[]> out;
        uint32_t length = 0;
        if (LzmaEncodeBuffer(s.input.data(), uint32_t(s.input.size()), out, length, &s.properties) != kLzmaOk) {
            std::fprintf(stderr, "LZMA encoding of %s failed\n", s.name);
            std::exit(1);
        }
        Put("Lzma", s.name, Bytes(out.get(), out.get() + length));
    }
}

void Bezier()
{
    struct Curve {
        const char* name;
        int32_t mode;
        bool loop;
        int32_t keys;
    };
    const Curve curves[] = {{"empty.bin", 1, false, 0},   {"one-key.bin", 0, false, 1},
                            {"step.bin", -1, false, 3},   {"linear.bin", 0, false, 4},
                            {"cubic-loop.bin", 1, true, 5}, {"equal-times.bin", 1, true, 2}};
    for (const Curve& c : curves) {
        BezierSpline<float> s;
        s.SetMode(c.mode);
        s.SetLoop(c.loop);
        s.SetSecondFlag(c.loop ? 1 : 0);
        s.SetNumKeys(c.keys);
        const bool equal = std::string(c.name) == "equal-times.bin";
        for (int32_t i = 0; i < c.keys; i++) {
            auto& k = s.GetKey(i);
            k.time = equal ? 1.0f : float(i) * 0.5f;
            k.value = float(i * i) - 1.0f;
            k.inTangent = 0.25f * float(i);
            k.outTangent = -0.5f;
        }
        s.SetLoopTime(float(c.keys) * 0.5f);
        File f;
        f.CreateMemoryFile(0);
        s.Save(f);
        Put("BezierSpline", c.name, Contents(f));
    }
}

template <class K, class Fill> void WriteChain(File& f, int32_t count, uint16_t type, Fill fill)
{
    K* first = nullptr;
    for (int32_t i = 0; i < count; i++) {
        K k;
        k.time = float(i) * 0.75f;
        k.type = type;
        fill(k.data, i);
        K::InsertSorted(first, nullptr, k);
    }
    first->Write(f);
    K::FreeChain(first);
}

void KeyChain()
{
    auto vector = [](auto& d, int32_t i) {
        d.value = D3DXVECTOR3(float(i), 2.0f * float(i), 1.0f);
        d.inTangent = D3DXVECTOR3(0.5f, 0, 0);
        d.outTangent = D3DXVECTOR3(0.5f, 0, 0);
    };
    auto rotation = [](DXC_RotKeyData& d, int32_t i) {
        d.axis = D3DXVECTOR3(0, 0, 1);
        d.angle = 0.3f * float(i);
        d.easeIn = i == 1 ? 0.5f : 0.0f;
        float h = 0.15f * float(i);
        d.quaternion = D3DXQUATERNION(0, 0, std::sin(h), std::cos(h));
        d.inControl = d.quaternion;
        d.outControl = d.quaternion;
    };
    struct Chains {
        const char* name;
        uint8_t flags;
        int32_t keys;
        uint16_t type;
    };
    const Chains all[] = {{"all-linear.bin", 1 | 2 | 4, 3, KEY_LINEAR},
                          {"all-bezier-loop-crop.bin", 1 | 2 | 4 | 8 | 16, 4, KEY_BEZIER},
                          {"tcb-reduce.bin", 1 | 2 | 4 | 32, 5, KEY_TCB},
                          {"held-one-key.bin", 1 | 2 | 4 | 8 | 16 | 32, 1, KEY_HELD},
                          {"position-only.bin", 1 | 32, 6, KEY_LINEAR}};
    for (const Chains& c : all) {
        File f;
        f.CreateMemoryFile(0);
        f.WriteInt8(c.flags);
        if (c.flags & 1)
            WriteChain<DXC_PosKey>(f, c.keys, c.type, vector);
        if (c.flags & 2)
            WriteChain<DXC_RotKey>(f, c.keys, c.type, rotation);
        if (c.flags & 4)
            WriteChain<DXC_ScaleKey>(f, c.keys, c.type, vector);
        Put("KeyChain", c.name, Contents(f));
    }
}

void SaveScope(const char* name, VariableStack& scope)
{
    File f;
    f.CreateMemoryFile(0);
    scope.Save(f);
    Put("VariableStack", name, Contents(f));
}

void Scopes()
{
    VariableStack empty;
    SaveScope("empty.bin", empty);

    VariableStack scalars;
    scalars.AddVariable("count", kScriptInt, 0)->m_Integer = -42;
    scalars.AddVariable("speed", kScriptFloat, 0)->m_Number = 2.5;
    scalars.AddVariable("name", kScriptString, 0)->m_Text = "Sentry Drone";
    scalars.AddVariable("nothing", kScriptVoid, 0);
    scalars.AddVariable("blank", kScriptString, 0);
    SaveScope("scalars.bin", scalars);

    VariableStack arrays;
    ScriptStackVariable* ints = arrays.AddVariable("list", kScriptInt, 4);
    for (int32_t i = 0; i < 4; i++)
        ints->m_Elements[i].m_Integer = i * 1000 - 1;
    ScriptStackVariable* floats = arrays.AddVariable("weights", kScriptFloat, 3);
    floats->m_Elements[2].m_Number = -0.125;
    ScriptStackVariable* texts = arrays.AddVariable("lines", kScriptString, 2);
    texts->m_Elements[0].m_Text = "first";
    texts->m_Elements[1].m_Text = "second line";
    arrays.AddVariable("voids", kScriptVoid, 2);
    SaveScope("arrays.bin", arrays);

    // Written by hand: a negative element count (read as a scalar) and names the scope cannot
    // hold (empty, a control character), whose records are passed over.
    File f;
    f.CreateMemoryFile(0);
    f.WriteInt32(3);
    f.WriteString("neg");
    f.WriteInt32(-5);
    f.WriteInt8(kScriptInt);
    f.WriteInt32(7);
    f.WriteString("");
    f.WriteInt32(0);
    f.WriteInt8(kScriptFloat);
    f.WriteDouble(1.0);
    f.WriteString("bad\x01name");
    f.WriteInt32(1);
    f.WriteInt8(kScriptString);
    f.WriteString("x");
    Put("VariableStack", "odd-records.bin", Contents(f));
}

// Selector byte, then records of the current version written by the system's writers.
void SceneRecords()
{
    DXC_Material material;
    material.colorCurves[1].SetNumKeys(2);
    material.colorCurves[1].GetKey(1).time = 1.0f;
    material.transparencyCurve.SetNumKeys(1);
    material.effectFileName = "fx\\a.fx";
    material.floatParams[3] = {2.0f, 1};
    material.vectorParams[0] = {{1.0f, 2.0f, 3.0f}, 1};
    DXC_Texture texture;
    texture.AllocSequence(3);
    texture.SetSequenceParams(0.25f, 0.0f, 1);
    texture.stages[0].mapType = 1;
    texture.stages[0].animation.curves[4].SetNumKeys(2);
    texture.stages[0].animation.curves[4].GetKey(1).time = 2.0f;
    texture.stageNames[0] = "tex\\a.tga";
    texture.stageNames[1] = "tex\\b.tga";
    auto write = [](uint8_t selector, auto body) {
        File f;
        f.CreateMemoryFile(0);
        f.WriteInt8(selector);
        body(f);
        return Contents(f);
    };
    Put("SceneRecords", "material-110.bin", write(0x0A, [&](File& f) { material.Save(f); }));
    Put("SceneRecords", "texture-110.bin", write(0x1A, [&](File& f) { texture.Save(f); }));
    Put("SceneRecords", "map-record.bin", write(0x2A, [&](File& f) { texture.stages[0].Write(f); }));
    Put("SceneRecords", "all-110.bin", write(0x3A, [&](File& f) {
            material.Save(f);
            texture.Save(f);
            texture.stages[0].Write(f);
        }));
    Put("SceneRecords", "texture-103.bin", write(0x13, [&](File& f) {
            f.WriteInt32(1);
            f.WriteFloat(0.0f);
            f.WriteFloat(0.2f);
            f.WriteInt32(0);
            f.WriteFloat(1.0f);
            f.WriteInt32(-1);
            for (int s = 0; s < 4; s++) {
                texture.stages[0].WriteAnimation(f);
                f.WriteString(s == 0 ? "a.tga" : "");
                f.WriteInt32(s == 0 ? 1 : 3);
                f.WriteInt32(0);
            }
            for (int block = 0; block < 4; block++) {
                for (int i = 0; i < 20; i++)
                    f.WriteInt32(0);
                f.WriteString("old");
                f.WriteInt32(0);
                f.WriteInt32(0);
            }
        }));
}

// Flags byte, then whole scene files: nodes with keys, a mesh with geometry, a clone, a camera
// and a light.
void SceneFiles()
{
    DXC_Gfx gfx;
    DXC_3dScene scene;
    scene.objectName = "seed";
    DXC_3dObject& root = *scene.objects.GetBySlot(scene.objects.Add());
    root.SetObjectName("root");
    for (int i = 0; i < 3; i++) {
        DXC_PosKey p;
        p.time = float(i);
        p.type = KEY_BEZIER;
        root.AddPosKey(p);
        DXC_RotKey r;
        r.time = float(i);
        r.data.axis = D3DXVECTOR3(0, 0, 1);
        r.data.angle = 0.5f;
        root.AddRotKey(r, 0);
    }
    DXC_Mesh& mesh = *scene.meshes.GetBySlot(scene.meshes.Add());
    mesh.SetObjectName("body");
    mesh.parentName = "root";
    mesh.boundsFlags = 3;
    mesh.AllocMaterials(1);
    mesh.textures[0].stageNames[0] = "skin.tga";
    gfx.CreateMesh(&mesh, 1, 3, 1, 0x1218, 0, 1, 0, 0, 0);
    mesh.LockAll(0);
    for (int n = 0; n < 3; n++)
        mesh.SetVertexPosition(n, D3DXVECTOR3(float(n), float(n % 2), 0));
    const uint16_t face[3] = {0, 1, 2};
    std::memcpy(mesh.lockedIndexData, face, sizeof face);
    mesh.UnlockAll();
    mesh.bones.GetBySlot(mesh.bones.Add())->boneName = "root";
    DXC_Mesh& clone = *scene.meshes.GetBySlot(scene.meshes.Add());
    clone.SetObjectName("copy");
    clone.cloneSourceName = "body";
    DXC_Camera& camera = *scene.cameras.GetBySlot(scene.cameras.Add());
    camera.SetObjectName("eye");
    camera.targetName = "root";
    scene.lights.GetBySlot(scene.lights.Add())->SetObjectName("sun");
    for (uint8_t flags : {0, 1, 3}) {
        File f;
        f.CreateMemoryFile(0);
        f.WriteInt8(flags);
        SceneFileHeader::Write(f, SceneInfoRecord());
        scene.Write(f);
        Put("SceneFile", "scene-" + std::to_string(flags) + ".bin", Contents(f));
    }
}

// Selector byte (bit 0 inventory, bits 1-2 item version, bit 3 replace-all), the stream version,
// then item and inventory records of the current version, of items the target's table knows.
void ItemRecords()
{
    ItemBase rifle;
    rifle.m_ItemName = "DB:rifle";
    rifle.m_Desc = "rifle";
    rifle.m_Class = ItemBase::kClassWeapon;
    rifle.m_Value.SetValue(120.0f).functionName = "price";
    rifle.m_DimX = 3;
    rifle.m_DimY = 1;
    ItemAbility key;
    key.type = ItemAbility::kKey;
    key.subtype = 42;
    key.text1 = "first";
    key.text2 = "second";
    key.level = 2;
    rifle.AddAbility(key, false);
    ItemAbility speed;
    speed.type = ItemAbility::kCombatSpeed;
    speed.value = 1.25f;
    rifle.AddAbility(speed, false);
    EffectEmitterInfo& spark = rifle.AddEmitter();
    spark.effectName = "spark";
    spark.dummyName = "muzzle";
    spark.lifeTime = 2.0f;
    rifle.m_Combine = 1;
    rifle.m_BaseItem = "gun";

    ItemBase* bolts = new ItemBase;
    bolts->m_Desc = "bolts";
    bolts->m_Count = 7;
    bolts->m_Pile = 20;
    ItemBase* letter = new ItemBase;
    letter->m_Desc = "letter";
    letter->m_QuestItem = 1;
    ItemBase* gold = new ItemBase;
    gold->m_Desc = "gold";
    gold->m_Count = 250;
    gold->m_Pile = 1000;
    ItemAbility money;
    money.type = ItemAbility::kMoney;
    money.subtype = 1;
    gold->AddAbility(money, false);
    Inventory inventory;
    inventory.SetLoadLimits(100.0f, -1.0f);
    inventory.SetType(Inventory::kFreeEntryType);
    inventory.AddItem(new ItemBase(rifle));
    inventory.AddItem(bolts);
    inventory.AddItem(letter);
    inventory.AddItem(gold);

    auto write = [](uint8_t selector, auto& record) {
        File f;
        f.CreateMemoryFile(0);
        f.WriteInt8(selector);
        f.WriteInt16Value(ItemBase::kRecordVersion);
        record.Save(f, 0);
        return Contents(f);
    };
    ItemBase plain;
    Put("ItemRecords", "item-default.bin", write(0x00, plain));
    Put("ItemRecords", "item-rifle.bin", write(0x00, rifle));
    Put("ItemRecords", "item-rifle-i16.bin", write(0x04, rifle));
    Put("ItemRecords", "inventory-replace.bin", write(0x09, inventory));
    Put("ItemRecords", "inventory-keep.bin", write(0x01, inventory));
}

// The game's item and creature records as their writers make them: the stream version, then the
// record (the creature's with the character flag, as a joining client sends it).
void SciFiRecords()
{
    static const char kConfig[] = "langdir = \"lang\\english\"\n";
    GetGameConfig().OpenMemory(kConfig, int32_t(sizeof(kConfig) - 1));
    SciFiGameCtrl ctrl;  // the factories of the creature's damage values and items
    ctrl.GetWorld().GetStrategyTree().Insert(String("Slash"))->name = "Slash";
    auto written = [](auto& record, auto save) {
        File f;
        f.CreateMemoryFile(0);
        f.WriteInt16Value(275);
        save(record, f);
        return Contents(f);
    };
    auto saveItem = [](Item_SF& item, File& f) { item.Save(f, 0); };
    Item_SF plain;
    Put("SciFiItemRecord", "item-default.bin", written(plain, saveItem));
    Item_SF socketed;
    socketed.m_Desc = "rifle";
    *socketed.GetSocketedNames().GetBySlot(socketed.GetSocketedNames().Add()) = "ruby";
    socketed.GetStrategies().Add(ctrl.GetWorld().FindStrategyEntry("Slash", false));
    socketed.m_Tier = 7;
    Put("SciFiItemRecord", "item-socketed.bin", written(socketed, saveItem));

    auto saveCharacter = [](CreatureObj_SF& creature, File& f) { creature.Save(f, true); };
    CreatureObj_SF fresh;
    Put("SciFiCreatureRecord", "creature-default.bin", written(fresh, saveCharacter));
    CreatureObj_SF hero;
    hero.m_Stats.canEquip = 1;
    hero.m_CreatureTextA = "soldier";
    hero.m_PairTextA = "gain";
    hero.m_BaseValues.maxHealth = 80.0f;
    hero.m_LastText = "last";
    hero.CreateInventory(-1);
    auto* rifle = new Item_SF;
    rifle->m_Desc = "rifle";
    rifle->m_EquipmentType = 0;
    hero.PutIntoInventory(rifle, 1);
    auto* medkit = new Item_SF;
    medkit->m_Desc = "medkit";
    hero.PutIntoInventory(medkit, 0);
    Put("SciFiCreatureRecord", "creature-hero.bin", written(hero, saveCharacter));
}

// The mission log's block after its two version bytes: a new block with entries of each kind, an
// empty one, and an old one without its leading word.
void MissionLogBlocks()
{
    auto block = [](uint16_t version, const MissionLogGui& log, bool leadingWord) {
        File f;
        f.CreateMemoryFile(0);
        f.WriteInt16Value(version);
        log.Save(f);
        Bytes bytes = Contents(f);
        if (!leadingWord)
            bytes.erase(bytes.begin() + 2, bytes.begin() + 6);
        return bytes;
    };
    MissionLogGui log;
    log.AddEntry(MissionLogGui::kNews, String("q_news"));
    log.AddEntry(MissionLogGui::kMission, String("q_first"));
    log.AddEntry(MissionLogGui::kItem, String("Medkit"));
    log.AddEntry(MissionLogGui::kBook, String("book1"));
    Put("MissionLogBlock", "entries.bin", block(275, log, true));
    Put("MissionLogBlock", "old.bin", block(252, log, false));
    Put("MissionLogBlock", "empty.bin", block(275, MissionLogGui(), true));
}

// "player.sv" as the writer makes it: a single player and a multiplayer character, and one with
// an empty name and class.
void PlayerFiles()
{
    const std::filesystem::path scratch = std::filesystem::temp_directory_path() / "fuzz-seed-player.sv";
    const auto written = [&](const char16_t* name, uint32_t id, const char* classEntry, bool multiplayer) {
        PlayerSaveID player;
        player.name = wString(name);
        player.playerID = id;
        player.characterConfigID = classEntry;
        player.WritePlayerFile(String(scratch.string().c_str()), multiplayer);
        std::ifstream in(scratch, std::ios::binary);
        return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    };
    Put("PlayerFile", "single.bin", written(u"Ann", 0xABCD, "ch_soldier", false));
    Put("PlayerFile", "multi.bin", written(u"Zo\u00e9 K", 0xFFFFFFFF, "ch_x", true));
    Put("PlayerFile", "empty.bin", written(u"", 1, "", false));
    std::filesystem::remove(scratch);
}

// "game.sv" and "character.sv" as the game's writers make them: a game with script values, a
// story, a global and a mission log entry, and the same as a version 265 file without the
// difficulty; a character with points and an item, packed as saved and unpacked.
void SaveFiles()
{
    static const char kConfig[] = "langdir = \"lang\\english\"\n";
    GetGameConfig().OpenMemory(kConfig, int32_t(sizeof(kConfig) - 1));
    SciFiGameCtrl ctrl;
    *ctrl.GetScriptTempInt(3) = 7;
    *ctrl.GetScriptTempFloat(3) = 1.5f;
    ctrl.GetObjScriptText(0)->Format("text");
    ctrl.GetStories().Insert(String("Crate"))->SetValue(2);
    ctrl.AddGameVariable("gold", kScriptInt, 0)->SetInt(77);
    ctrl.GetMissionLog().AddEntry(MissionLogGui::kMission, String("m_first"));
    File game;
    game.CreateMemoryFile(0);
    ctrl.WriteGameSave(game, false);
    const Bytes bytes = Contents(game);
    Put("GameSave", "game.sv", bytes);
    Bytes old = bytes;
    old[0] = 265 & 0xFF;
    old[1] = 265 >> 8;
    old.erase(old.begin() + 6, old.begin() + 10);  // after the empty level name
    Put("GameSave", "game-265.sv", old);

    CreatureObj_SF hero;
    hero.SetPoints(3, 5);
    hero.m_LevelProgress = -1;
    hero.m_HighestDifficulty = 2;
    hero.CreateInventory(-1);
    auto* medkit = new Item_SF;
    medkit->m_Desc = "medkit";
    hero.PutIntoInventory(medkit, 0);
    File character;
    character.CreateMemoryFile(0);
    ctrl.WriteCharacterSave(character, hero);
    const Bytes plain = Contents(character);
    Put("CharacterSave", "character-plain.sv", plain);
    Random::Seed(1234);
    File packed;
    packed.CreateMemoryFile(0);
    packed.Write(plain.data(), plain.size());
    packed.SetCompression(8);
    packed.Flush();
    Put("CharacterSave", "character.sv", Contents(packed));
}

// Control byte (bit 0 datagrams), then what a peer sends: a handshake with a message, a message
// and a goodbye, a message that the chunks split, and datagrams each cut exactly to one packet.
void TransportStream()
{
    auto hello = [] {
        Bytes packet(TransportPacket::kHelloSize);
        TransportPacket::WriteHello(packet.data(), 1, 0);
        return packet;
    };
    auto data = [](uint32_t sequence, const std::string& payload) {
        Bytes packet(TransportPacket::kHeaderSize);
        TransportPacket::WriteHeader(packet.data(), TransportPacket::kData, sequence, uint32_t(payload.size()));
        packet.insert(packet.end(), payload.begin(), payload.end());
        return packet;
    };
    auto goodbye = [](uint32_t sequence) {
        Bytes packet(TransportPacket::kGoodbyeSize);
        TransportPacket::WriteGoodbye(packet.data(), sequence);
        return packet;
    };
    auto stream = [](uint8_t control, std::initializer_list<Bytes> packets) {
        Bytes bytes{control};
        for (const Bytes& packet : packets)
            bytes.insert(bytes.end(), packet.begin(), packet.end());
        return bytes;
    };
    Put("TransportStream", "handshake.bin", stream(0x00, {hello(), data(2, "after the handshake")}));
    Put("TransportStream", "data.bin", stream(0x00, {data(1, "one message")}));
    Put("TransportStream", "goodbye.bin", stream(0x00, {data(1, "last words"), goodbye(2)}));
    Put("TransportStream", "split.bin", stream(0x5A, {hello(), data(2, std::string(200, 's')), data(3, "tail")}));

    // The target cuts a datagram of 1 + (first byte ^ control) % 53 bytes, and with bit 2 reports
    // it first byte % 3 longer: pick a control that gives this packet whole.
    const Bytes datagram = data(1, "dgram");
    for (int control = 1; control < 256; control += 2) {
        const bool whole = (control & 4) == 0 || datagram[0] % 3 == 0;
        if (whole && 1 + (datagram[0] ^ control) % 53 == int(datagram.size())) {
            Put("TransportStream", "datagram.bin", stream(uint8_t(control), {datagram, datagram}));
            break;
        }
    }
}

// Control byte, then messages as a u16 (bit 15 UDP, the rest the length) and the bytes, each
// written by the framing's sending side: a batched position packet over UDP and a chat message;
// a player-information message of free length read in pieces; a size-0 message replayed.
void GameFrames()
{
    class Writer : public ErrorClass, public GamePacketFraming {
    public:
        explicit Writer(FakeGameTransport& transport) : GamePacketFraming(*this, transport) {}
        bool IsConnected() override { return true; }
        void OnSendFailed(int32_t) override {}
    };
    FakeGameTransport transport;
    transport.Add(1);
    transport.Add(2);
    Writer writer(transport);
    writer.SetConnections(1, 2);
    auto take = [&](Bytes& input, int32_t connection, uint16_t udpBit) {
        for (const Bytes& message : transport.TakeSent(connection)) {
            const uint16_t word = uint16_t(message.size()) | udpBit;
            input.push_back(uint8_t(word));
            input.push_back(uint8_t(word >> 8));
            input.insert(input.end(), message.begin(), message.end());
        }
    };

    Bytes positions{0x00};
    for (int32_t id : {4, 9}) {
        NetObjPos pos;
        pos.ref = ObjRef(id, 0x1234u + uint32_t(id));
        pos.x = 100.0f * float(id);
        pos.y = -50.0f;
        pos.angle = 1.5f;
        uint8_t unit[NetObjPos::kSize];
        ByteWriter unitWriter(unit, sizeof unit);
        GameValueCodec::WriteNetObjPos(unitWriter, pos);
        writer.BeginPacketUDP(0x0100, NetObjPos::kSize);
        writer.WriteData(unit, NetObjPos::kSize, false);
    }
    uint8_t chat[16];
    ByteWriter chatWriter(chat, sizeof chat);
    GameValueCodec::WriteWideTerminated(chatWriter, wString(u"Kim"));
    GameValueCodec::WriteWideTerminated(chatWriter, wString(u"hi!"));
    writer.BeginPacketTCP(0x0200, int32_t(chatWriter.GetPosition()));
    writer.WriteData(chat, int32_t(chatWriter.GetPosition()), true);
    take(positions, 2, 0x8000);
    take(positions, 1, 0);
    Put("GameFrames", "positions.bin", positions);

    Bytes playerInfo{0x02};
    Bytes info(259, 0);
    ByteWriter infoWriter(info.data(), info.size());
    infoWriter.WriteU16(0x0100);
    const char cfgID[128] = "Soldier";
    infoWriter.WriteBytes(cfgID, sizeof cfgID);
    GameValueCodec::WriteWideFixed(infoWriter, wString(u"Player"), 64);
    writer.BeginPacketTCP(0x0300, -1);
    writer.WriteData(info.data(), int32_t(info.size()), false);
    writer.FinishPacket();
    writer.BeginPacketTCP(0x1700, -1);
    writer.WriteString("SetGameHost");
    writer.FinishPacket();
    take(playerInfo, 1, 0);
    Put("GameFrames", "variable.bin", playerInfo);

    Bytes empty{0x01};
    writer.BeginPacketTCP(0x0500, 0);
    writer.FinishPacket();
    take(empty, 1, 0);
    Put("GameFrames", "size-zero.bin", empty);
}

// The state byte, then messages as for GameFrames: a join in state 6 with a position and a world
// event deferred around the checksums' end, a UDP position dropped and SetMainChar replaying them;
// and 60 requested syncs in state 7, more than one frame takes.
void ClientDispatch()
{
    auto message = [](Bytes& input, uint16_t id, int32_t unitSize, bool udp) {
        const Bytes packet = GamePacketBytes(id, 1, unitSize);
        const uint16_t word = uint16_t(packet.size()) | (udp ? 0x8000 : 0);
        input.push_back(uint8_t(word));
        input.push_back(uint8_t(word >> 8));
        input.insert(input.end(), packet.begin(), packet.end());
    };
    Bytes join{6};
    message(join, 0x0100, NetObjPos::kSize, false);
    message(join, 0x0F01, 0, false);
    message(join, 0x0D00, 9, false);
    message(join, 0x0100, NetObjPos::kSize, true);
    message(join, 0x0700, 22, false);
    message(join, 0x0B00, 4, false);
    Put("ClientDispatch", "join.bin", join);

    Bytes syncs{7};
    for (int32_t i = 0; i < 60; i++)
        message(syncs, 0x1101, 8, false);
    Put("ClientDispatch", "syncs.bin", syncs);

    // A running client (state 10): one message of every id the client handles, each well formed
    // but naming elements the fuzz world may not have.
    Bytes running{10};
    const auto unit = [&](uint16_t id, int32_t size, const ByteBuilder& bytes) {
        const Bytes packet = GamePacketBytes(id, 1, size, bytes.bytes);
        const uint16_t word = uint16_t(packet.size());
        running.push_back(uint8_t(word));
        running.push_back(uint8_t(word >> 8));
        running.insert(running.end(), packet.begin(), packet.end());
    };
    const auto whole = [&](uint16_t id, const ByteBuilder& bytes) { unit(id, int32_t(bytes.bytes.size()), bytes); };
    const auto ref = [] { return ByteBuilder().I32(1).I32(0); };
    const auto ref3 = [] { return ByteBuilder().I32(1).I32(0).I32(10); };
    unit(0x0100, 18, ref().F32s({10, 20}).U16(0));
    unit(0x0200, 8, ByteBuilder().U16('a').U16(0).U16('b').U16(0));
    whole(0x0600, ref().F32s({10, 20}).U16(0).Append({'C', 'r', 'a', 't', 'e'}).Zeros(128 - 5).I32(0).U8(0));
    unit(0x0900, 12, ByteBuilder().I32(1).U16(0x8000).U16(0).U16(0x8000).U16(0));
    unit(0x0A00, 14, ref3().U8(1).U8(1));
    unit(0x0B00, 4, ByteBuilder().Zeros(4));
    unit(0x0D00, 22, ByteBuilder().U16(5).Append(ref().bytes).Append(ref().bytes).I32(0));
    whole(0x0E00, ref().U16(0).U16(275).Zeros(8));
    unit(0x1500, 21, ref3().Append(ref().bytes).U8(0));
    whole(0x1600, ByteBuilder().Zeros(32).Str("iTmp[0] = 1;"));
    whole(0x1700, ByteBuilder().Str("Message").Append(ref3().bytes).F64(0).U8(1).U8(3).Str("hi"));
    unit(0x1800, 13, ref3().U8(1));
    whole(0x2001, ByteBuilder().Str("Shoot").Append(ref().bytes).I32(0).F32s({0, 0, 0}));
    whole(0x2003, ByteBuilder().Str("Shoot").Append(ref().bytes).I32(0).F32(0).I32(0));
    unit(0x2100, 12, ref().F32(50));
    unit(0x2300, 8, ref());
    unit(0x2400, 12, ref().F32(5));
    unit(0x2600, 12, ref().I32(1));
    unit(0x2700, 16, ref().Append(ref().bytes));
    unit(0x2800, 8, ByteBuilder().F64(1));
    unit(0x2900, 12, ref().F32(5));
    unit(0x3000, 0, ByteBuilder());
    unit(0x4000, 12, ByteBuilder().I32(0x0100).F32s({10, 30}));
    unit(0x4100, 12, ref().I32(2));
    whole(0x4400, ByteBuilder().I32(1).Str("Shoot"));
    unit(0x4500, 5, ByteBuilder().I32(1).U8(255));
    unit(0x4001, 4, ByteBuilder().I32(3));
    Put("ClientDispatch", "running.bin", running);

    // A client after PlayerInfo (state 2) takes the join's steps out of turn: the server's
    // information, a level that is not there, the game's basics, checksums, an unrequested sync
    // and an element the server does not have.
    running = {2};
    unit(0x4000, 12, ByteBuilder().I32(0x0100).F32s({10, 30}));
    const char level[128] = "levels\\none\\none.cfg";
    unit(0x0400, 144, ByteBuilder().Append(Bytes(level, level + sizeof level)).I32(7).F64(2.5).I32(1));
    unit(0x1400, 10, ByteBuilder().F64(3.0).U16(2));
    unit(0x0F00, 20, ref3().I32(0x1234).F32(1));
    unit(0x0F01, 0, ByteBuilder());
    whole(0x1100, ByteBuilder().U8(1).Append(ref3().bytes).U16(0x0113).Str("Crate"));
    unit(0x1102, 12, ref3());
    Put("ClientDispatch", "joinsteps.bin", running);
}

// The state byte, then messages as for ClientDispatch: a joined client's position over UDP, a
// hosting announcement, an unknown id and a PlayerInfo too short for its header; a client's
// sync requests; and every message of the running game.
void ServerDispatch()
{
    Bytes joined{10};
    auto message = [](Bytes& input, const Bytes& packet, bool udp) {
        const uint16_t word = uint16_t(packet.size()) | (udp ? 0x8000 : 0);
        input.push_back(uint8_t(word));
        input.push_back(uint8_t(word >> 8));
        input.insert(input.end(), packet.begin(), packet.end());
    };
    message(joined, GamePacketBytes(0x0100, 1, NetObjPos::kSize), true);
    message(joined, GamePacketBytes(0x0701, 1, 0), false);
    message(joined, GamePacketBytes(0x7777, 1, 4), false);
    Bytes shortInfo = GamePacketBytes(0x0300, 1, 8);
    shortInfo.resize(10);
    message(joined, shortInfo, false);
    Put("ServerDispatch", "joined.bin", joined);

    // A client after its checksums (state 7): sync requests for a wall and an object, one of a
    // unit size that is not the protocol's, and the end of its requests.
    Bytes syncing{7};
    Bytes requests = GamePacketBytes(0x1000, 2, 13);
    const uint8_t units[26] = {0, 3, 0, 0, 0, 9, 0, 0, 0, 7, 0, 0, 0,  // a wall: ID 3, check value 9
                               1, 5, 0, 0, 0, 1, 0, 0, 0, 10, 0, 0, 0};  // a missing object
    std::copy(units, units + 26, requests.begin() + GamePacketHeader::kSize);
    message(syncing, requests, false);
    message(syncing, GamePacketBytes(0x1000, 1, 12), false);
    message(syncing, GamePacketBytes(0x1001, 1, 0), false);
    Put("ServerDispatch", "syncing.bin", syncing);

    // A new client (state 2): PlayerInfo with a character block, a second one of an old version,
    // the level loaded out of turn, and the hosting request of a peer that is not on this machine.
    const auto playerInfo = [](const PlayerInfoOptions& options) {
        const Bytes unit = ScriptedPeer::PlayerInfoUnit(options);
        Bytes packet = GamePacketBytes(0x0300, 1, int32_t(unit.size()));
        std::copy(unit.begin(), unit.end(), packet.begin() + GamePacketHeader::kSize);
        return packet;
    };
    Bytes joining{2};
    PlayerInfoOptions info;
    info.characterID = "Hero";
    info.playerName = u"Fuzz";
    info.block = {0x13, 0x01, 0, 0, 0x20, 0x42, 1, 0};
    message(joining, playerInfo(info), false);
    info.version = 0x00FF;
    info.block.clear();
    message(joining, playerInfo(info), false);
    message(joining, GamePacketBytes(0x0500, 1, 0), false);
    message(joining, GamePacketBytes(0x0701, 1, 0), false);
    Put("ServerDispatch", "joining.bin", joining);

    // A client sent the level (state 5): level loaded twice, then the end of its requests and the
    // synchronised report, which makes its character (none in the fuzz world: the client goes).
    Bytes loading{5};
    message(loading, GamePacketBytes(0x0500, 1, 0), false);
    message(loading, GamePacketBytes(0x0500, 1, 0), false);
    message(loading, GamePacketBytes(0x1200, 1, 0), false);
    message(loading, GamePacketBytes(0x1001, 1, 0), false);
    message(loading, GamePacketBytes(0x1200, 1, 0), false);
    Put("ServerDispatch", "loading.bin", loading);

    // A joined client (state 10) sends one message of every row of the running game, each unit
    // naming object 0 with check value 0: positions, chat, movement, rotation value, an object
    // action, a pick-up, equipment, a drop, a use, a script, an action with its name, a death,
    // a dialogue answer, a revival, a level, a checkpoint and one of the game's own ids.
    Bytes running{10};
    const auto packet = [](uint16_t id, const Bytes& unit) {
        Bytes bytes = GamePacketBytes(id, 1, int32_t(unit.size()));
        std::copy(unit.begin(), unit.end(), bytes.begin() + GamePacketHeader::kSize);
        return bytes;
    };
    const Bytes item = {0x13, 0x01, 0, 0, 0, 0};  // record version 275, then a record cut short
    Bytes withItem = Bytes(10, 0);
    withItem.insert(withItem.end(), item.begin(), item.end());
    Bytes action(24, 0);
    const Bytes name = {5, 0, 0, 0, 'M', 'e', 'l', 'e', 'e'};
    action.insert(action.end(), name.begin(), name.end());
    const Bytes chat = {'A', 0, 0, 0, 'h', 0, 'i', 0, 0, 0};
    Bytes pickup(22, 0);
    pickup[0] = 5;
    message(running, GamePacketBytes(0x0100, 2, NetObjPos::kSize), false);
    message(running, packet(0x0200, chat), false);
    message(running, GamePacketBytes(0x0800, 1, 29), false);
    message(running, GamePacketBytes(0x0801, 1, 12), false);
    message(running, GamePacketBytes(0x0C00, 1, 10), false);
    message(running, packet(0x0D00, pickup), false);
    message(running, packet(0x0E00, withItem), false);
    message(running, packet(0x1300, Bytes(withItem.begin() + 2, withItem.end())), false);
    message(running, GamePacketBytes(0x1500, 1, 21), false);
    message(running, packet(0x1600, Bytes(36, 0)), false);
    message(running, packet(0x1900, action), false);
    message(running, GamePacketBytes(0x2300, 1, 8), false);
    message(running, GamePacketBytes(0x2500, 1, 4), false);
    message(running, GamePacketBytes(0x2600, 1, 12), false);
    message(running, GamePacketBytes(0x4100, 1, 12), false);
    message(running, GamePacketBytes(0x4200, 1, 4), false);
    message(running, GamePacketBytes(0x0B00, 1, 4), false);
    message(running, GamePacketBytes(0x4300, 1, 0), false);
    message(running, GamePacketBytes(0xA001, 1, 8), false);
    Put("ServerDispatch", "running.bin", running);
}

// Small DDS files of a plain and the compressed formats (two levels), and one PNG, each written
// by the image writer; the truncated one is refused by its header check.
void DdsImage()
{
    const std::filesystem::path dir = g_Root / "DdsImage";
    std::filesystem::create_directories(dir);
    for (D3DFORMAT format : {D3DFMT_A8R8G8B8, D3DFMT_R5G6B5}) {
        IDirect3DSurface9* surface = nullptr;
        if (CreateMemorySurface(8, 4, format, D3DPOOL_SCRATCH, &surface) != D3D_OK)
            continue;
        for (size_t i = 0; i < surface->GetImage().pixels.size(); i++)
            surface->GetImage().pixels[i] = uint8_t(i * 37);
        const std::string name = format == D3DFMT_A8R8G8B8 ? "argb" : "r5g6b5";
        D3DXSaveSurfaceToFileA((dir / (name + ".dds")).string().c_str(), D3DXIFF_DDS, surface, nullptr, nullptr);
        if (format == D3DFMT_A8R8G8B8)
            D3DXSaveSurfaceToFileA((dir / "argb.png").string().c_str(), D3DXIFF_PNG, surface, nullptr, nullptr);
        surface->Release();
    }
    for (D3DFORMAT format : {D3DFMT_DXT1, D3DFMT_DXT5}) {
        const DdsHeader header{8, 8, 2, format};
        Bytes bytes = WriteDdsHeader(header);
        const uint64_t pixels = DdsLevelBytes(format, 8, 8) + DdsLevelBytes(format, 4, 4);
        for (uint64_t i = 0; i < pixels; i++)
            bytes.push_back(uint8_t(i * 13 + 5));
        Put("DdsImage", format == D3DFMT_DXT1 ? "dxt1.dds" : "dxt5.dds", bytes);
        bytes.resize(bytes.size() - 1);
        if (format == D3DFMT_DXT5)
            Put("DdsImage", "truncated.dds", bytes);
    }
}

// The u16 id, then one unit: every command of the players as the client writes it, and a damage
// report with a named attacker.
void PlayerCommands()
{
    namespace Codec = PlayerCommandCodec;
    auto put = [](const char* name, uint16_t id, const Bytes& unit) {
        Bytes input{uint8_t(id), uint8_t(id >> 8)};
        input.insert(input.end(), unit.begin(), unit.end());
        Put("PlayerCommands", name, input);
    };
    put("walk.bin", Codec::kMsgPointOrder, Codec::EncodePointOrder(0, 120.5f, -40.0f, String()));
    put("attack-point.bin", Codec::kMsgPointOrder, Codec::EncodePointOrder(1, 1.5f, -2.0f, String("melee")));
    put("attack-object.bin", Codec::kMsgObjectOrder, Codec::EncodeObjectOrder(2, ObjRef(17, 0x1234u), String("Slash")));
    put("release.bin", Codec::kMsgButtonReleased, Codec::EncodeButtonReleased(3));
    put("cursor.bin", Codec::kMsgCursor, Codec::EncodePoint(300.0f, 200.0f));
    put("no-cursor.bin", Codec::kMsgNoCursor, Bytes());
    put("dodge.bin", Codec::kMsgDodge, Codec::EncodePoint(-1.0f, 0.5f));
    put("slot2.bin", Codec::SkillSlotMessage(2), Codec::EncodeSkillSlot(String("Heal")));
    Codec::DamageReport report;
    report.damaged = ObjRef(5, 77u);
    report.attacker = ObjRef(9, 3u);
    report.x = 10.0f;
    report.y = 20.0f;
    report.damage.damage[0] = 4.0f;
    report.damage.physical[0] = 12.0f;
    report.damage.rulesValues[0] = 2.0f;
    put("damage-report.bin", Codec::kMsgDamageReport, Codec::EncodeDamageReport(report));
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <fuzz fixture directory>\n", argv[0]);
        return 2;
    }
    Log::SetFileName("/dev/null");
    g_Root = argv[1];
    FileReads();
    PackedOpen();
    Lzma();
    Bezier();
    KeyChain();
    Scopes();
    SceneRecords();
    SceneFiles();
    ItemRecords();
    SciFiRecords();
    MissionLogBlocks();
    PlayerFiles();
    SaveFiles();
    TransportStream();
    GameFrames();
    ClientDispatch();
    ServerDispatch();
    PlayerCommands();
    DdsImage();
    MakeGameFuzzSeeds(Put);
    return 0;
}
