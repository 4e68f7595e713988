// VSD_Viewer: the level file of every version and packing, the active rectangle and its walls,
// the id translation, the reload rule, the load sequence's description files, damaged files, and the
// child walls and long walls that a level file makes.
#include "level/VSD_Viewer.h"

#include "base/File.h"
#include "engine/gfx/DXC_Gfx.h"
#include "level/LevelTestSupport.h"

#include "support/ErrorOf.h"
#include "support/LogCapture.h"

#include <gtest/gtest.h>

#include <cctype>
#include <string>
#include <vector>

namespace {

struct ViewerTest : ::testing::Test {
    LevelFixtureDir dir;
    LevelTestCtrl ctrl;
    DXC_Gfx gfx;  // a client's: ids are translated, not flattened
    VSD_Viewer viewer{&gfx};

    int32_t Load(const std::string& name, int32_t skipTextures = 0) { return viewer.LoadLevel(name.c_str(), 1, skipTextures); }
    std::string LoadError(const std::string& name)
    {
        return ErrorOf([&] { Load(name); });
    }
    // Loads a copy of a fixture changed by edit.
    template <class Edit> std::string DamagedError(const std::string& fixture, Edit edit)
    {
        std::vector<uint8_t> bytes = dir.Bytes(fixture);
        edit(bytes, dir.Layout(fixture));
        dir.Write("damaged.vsd", bytes);
        return LoadError("damaged.vsd");
    }
    int16_t TextureAt(int32_t x, int32_t y) const
    {
        return viewer.GetParcels().at(size_t(y * viewer.GetMapWidth() + x)).textureId;
    }
};

// The reference level as the given version can hold it.
void ExpectReference(const VSD_Viewer& viewer, uint16_t version, const std::string& label)
{
    SCOPED_TRACE(label);
    ASSERT_EQ(viewer.GetMapWidth(), Reference::kWidth);
    ASSERT_EQ(viewer.GetMapHeight(), Reference::kHeight);
    EXPECT_EQ(viewer.GetCellWidth(), 64);
    EXPECT_EQ(viewer.GetCellHeightF(), 64.0f);
    int32_t rect[4];
    viewer.GetActiveRect(rect);
    EXPECT_EQ(rect[0], 0);
    EXPECT_EQ(rect[3], Reference::kHeight - 1);
    EXPECT_EQ(viewer.GetBlockColumns(), 2);
    EXPECT_EQ(viewer.GetBlockRows(), 3);

    const std::vector<VSD_Parcel>& parcels = viewer.GetParcels();
    ASSERT_EQ(parcels.size(), size_t(Reference::kWidth * Reference::kHeight));
    int32_t wrong = 0;
    for (int32_t y = 0; y < Reference::kHeight; y++)
        for (int32_t x = 0; x < Reference::kWidth; x++) {
            VSD_Parcel want = Reference::Parcel(x, y);
            const VSD_Parcel& got = parcels[size_t(y * Reference::kWidth + x)];
            wrong += got.textureId != want.textureId || got.placement != (version >= 0x0104 ? want.placement : 0) ||
                     got.subX != want.subX || got.subY != want.subY;
        }
    EXPECT_EQ(wrong, 0);

    const std::vector<float>& heights = viewer.GetHeights();
    if (version < 0x0101) {
        EXPECT_TRUE(heights.empty());
    } else {
        ASSERT_EQ(heights.size(), size_t((Reference::kWidth + 1) * (Reference::kHeight + 1)));
        int32_t wrongHeights = 0;
        for (int32_t y = 0; y <= Reference::kHeight; y++)
            for (int32_t x = 0; x <= Reference::kWidth; x++)
                wrongHeights += heights[size_t(y * (Reference::kWidth + 1) + x)] != Reference::Height(x, y);
        EXPECT_EQ(wrongHeights, 0);
        // the mean of the corners, as no terrain centre mode is set
        EXPECT_EQ(viewer.GetCentreHeights()[0], (0.0f + 5.0f - 1.5f + 3.5f) * 0.25f);
    }

    const std::vector<VSD_ObjectEntry>& objects = viewer.GetObjects();
    ASSERT_EQ(objects.size(), 3u);
    for (size_t i = 0; i < 3; i++) {
        const Reference::Object& want = Reference::kObjects[i];
        EXPECT_EQ(objects[i].kind, want.kind);
        EXPECT_EQ(objects[i].x, want.x);
        EXPECT_EQ(objects[i].y, want.y);
        EXPECT_EQ(objects[i].angle, want.angle);
        EXPECT_STREQ(objects[i].text.c_str(), version >= 0x0103 ? want.text : "");
        EXPECT_EQ(objects[i].value, version >= 0x0109 ? want.value : 0u);
    }

    // The second wall, 768 long on cells of 64, is split half-way into two pieces.
    struct Piece {
        int32_t wall;
        float y1, y2;
        float value1, value2;  // fractions of the way from the wall's first value to its second
    };
    const Piece pieces[4] = {{0, 128, 128, 0.0f, 1.0f}, {1, 128, 512, 0.0f, 0.5f}, {1, 512, 896, 0.5f, 1.0f},
                             {2, 1408, 1408, 0.0f, 1.0f}};
    ASSERT_EQ(viewer.GetNumWalls(), 4);
    for (int32_t i = 0; i < 4; i++) {
        const Reference::Wall& want = Reference::kWalls[pieces[i].wall];
        const VSD_WallIntern* wall = viewer.GetWallSafe(i);
        ASSERT_NE(wall, nullptr);
        const float value1 = version == 0x0101 ? 0.0f : want.value1;
        const float value2 = version == 0x0101 ? 1.0f : want.value2;
        EXPECT_EQ(wall->m_ObjID, i);
        EXPECT_EQ(wall->m_DescID, want.desc);
        EXPECT_EQ(wall->m_X1, want.x1);
        EXPECT_EQ(wall->m_Y1, pieces[i].y1);
        EXPECT_EQ(wall->m_Y2, pieces[i].y2);
        EXPECT_EQ(wall->m_WallValue1, value1 + (value2 - value1) * pieces[i].value1);
        EXPECT_EQ(wall->m_WallValue2, value1 + (value2 - value1) * pieces[i].value2);
    }
    EXPECT_EQ(viewer.GetNumFloorTextures(), 4);
    EXPECT_EQ(viewer.GetWallDescs().size(), 3u);
}

TEST_F(ViewerTest, EveryVersionAndPackingLoadsTheSameLevel)
{
    struct Case {
        uint16_t version;
        const char* file;
    };
    const Case cases[] = {
        {0x0100, "level_0100.vsd"},        {0x0101, "level_0101.vsd"},        {0x0102, "level_0102.vsd"},
        {0x0103, "level_0103.vsd"},        {0x0104, "level_0104.vsd"},        {0x0105, "level_0105.vsd"},
        {0x0106, "level_0106.vsd"},        {0x0107, "level_0107_stored.vsd"}, {0x0107, "level_0107_lzma.vsd"},
        {0x0108, "level_0108_stored.vsd"}, {0x0108, "level_0108_lzma.vsd"},   {0x0109, "level_0109_stored.vsd"},
        {0x0109, "level_0109_lzma.vsd"},   {0x0109, "level_0109_container.vsd"},
    };
    for (const Case& c : cases) {
        LogCapture log;
        ctrl.consoleUsed = 0;
        ASSERT_EQ(ErrorOf([&] { EXPECT_EQ(Load(c.file), 0); }), "no error") << c.file;
        ExpectReference(viewer, c.version, c.file);
        EXPECT_EQ(log.Count("Warning"), 0) << c.file;
        // a file stored in the packed container cannot have been edited by hand
        EXPECT_EQ(ctrl.consoleUsed, std::string(c.file).find("container") == std::string::npos ? 1 : 0) << c.file;
    }
}

TEST_F(ViewerTest, DescriptionFileListsByHeaderKind)
{
    ctrl.objectCfgFiles.AddFile("desc\\more_objects.cfg");  // the game's own; never opened by the viewer
    Load("level_0105.vsd");  // old header: one name of each kind, nothing of the game's
    ASSERT_EQ(viewer.GetObjectFiles().GetCount(), 1);
    EXPECT_STREQ(viewer.GetObjectFiles().GetName(0).c_str(), "desc\\objects.cfg");
    EXPECT_EQ(viewer.GetFloorTexFiles().GetCount(), 1);
    EXPECT_EQ(viewer.GetWallFiles().GetCount(), 1);

    Load("level_0106.vsd");  // the level's names, then the game's that it lacks
    ASSERT_EQ(viewer.GetObjectFiles().GetCount(), 2);
    EXPECT_STREQ(viewer.GetObjectFiles().GetName(0).c_str(), "desc\\objects.cfg");
    EXPECT_STREQ(viewer.GetObjectFiles().GetName(1).c_str(), "desc\\more_objects.cfg");
    EXPECT_EQ(viewer.GetWallFiles().GetCount(), 1);
    EXPECT_EQ(ctrl.objectLoads, 2);
    EXPECT_EQ(ctrl.wallLoads, 2);
    EXPECT_EQ(viewer.GetObjectReader(), &ctrl.objectReader);
}

TEST_F(ViewerTest, LoadSequenceLogsAndReportsProgress)
{
    LogCapture log;
    Load("level_0109_lzma.vsd");
    for (const char* line : {"Try to load vsd file level_0109_lzma.vsd", "LevelStuff freed", "LoadFile() done",
                             "Vsd textures loaded", "Floor init", "texture TexList created", "AllocLevelStuff() done"})
        EXPECT_EQ(log.Count(line), 1) << line;
    EXPECT_EQ(ctrl.progress, (std::vector<float>{4.0f, 6.0f, 8.0f, 10.0f, 15.0f, 17.0f}));
    EXPECT_EQ(viewer.GetFloorSize()[0], 50);
    EXPECT_EQ(viewer.GetFloorSize()[1], 50);
    EXPECT_EQ(viewer.GetLastFileSize(), int32_t(dir.Bytes("level_0109_lzma.vsd").size()));
}

TEST_F(ViewerTest, DedicatedServerFlattensTexturesOfNamedTables)
{
    VSD_Viewer server;  // no graphics object: the server
    server.LoadLevel("level_0109_lzma.vsd", 1, 0);
    int32_t wrong = 0;
    for (int32_t y = 0; y < Reference::kHeight; y++)
        for (int32_t x = 0; x < Reference::kWidth; x++) {
            int16_t want = Reference::Parcel(x, y).textureId;
            wrong += server.GetParcels()[size_t(y * Reference::kWidth + x)].textureId != (want > 0 ? 1 : want);
        }
    EXPECT_EQ(wrong, 0);

    gfx.SetDedicatedMode(true);  // the flag of a graphics object counts as well
    Load("level_0109_stored.vsd");
    EXPECT_EQ(TextureAt(2, 0), 1);  // record 3, sand

    // Without a name table the ids are the records' own, on the server too.
    server.LoadLevel("level_0104.vsd", 1, 0);
    EXPECT_EQ(server.GetParcels()[2].textureId, 3);
}

TEST_F(ViewerTest, SkipTexturesLeavesIdsAsTheFileHasThem)
{
    EXPECT_EQ(Load("level_0109_lzma.vsd", 1), 0);
    EXPECT_EQ(viewer.GetNumFloorTextures(), 0);
    EXPECT_EQ(TextureAt(1, 0), 3);  // rock: the file's fourth texture name
    EXPECT_EQ(TextureAt(2, 0), 1);  // sand: its second
    EXPECT_EQ(TextureAt(4, 0), 2);  // grass
    EXPECT_EQ(viewer.GetObjects()[0].kind, 2);  // crate is the file's third object name
    for (const VSD_FloorVertex& vertex : viewer.GetFloorVertices())
        ASSERT_EQ(vertex.exploration, 0.0f);
}

TEST_F(ViewerTest, ActiveRectangleMasksTheFloorAndKeepsWallsNearIt)
{
    LogCapture log;
    Load("rect.vsd");
    int32_t rect[4];
    viewer.GetActiveRect(rect);
    EXPECT_EQ(std::vector<int32_t>(rect, rect + 4), (std::vector<int32_t>{2, 3, 10, 20}));
    int32_t wrong = 0;
    for (int32_t y = 0; y < Reference::kHeight; y++)
        for (int32_t x = 0; x < Reference::kWidth; x++) {
            bool inside = x >= 2 && x <= 10 && y >= 3 && y <= 20;
            wrong += TextureAt(x, y) != (inside ? Reference::Parcel(x, y).textureId : -1);
        }
    EXPECT_EQ(wrong, 0);

    // Kept: the wall inside, the one touching the widened rectangle, the one named by its text and
    // the door whose own description gives a worldID. The stone wall outside is dropped although
    // the file's number of its name is the door's entry.
    ASSERT_EQ(viewer.GetNumWalls(), 4);
    const int16_t descs[4] = {0, 1, 2, 2};
    const float x1[4] = {200, 64, 900, 700};
    for (int32_t i = 0; i < 4; i++) {
        EXPECT_EQ(viewer.GetWallSafe(i)->m_DescID, descs[i]) << i;
        EXPECT_EQ(viewer.GetWallSafe(i)->m_X1, x1[i]) << i;
    }
    EXPECT_EQ(log.Count("Not all walls found in cfg"), 1);
    EXPECT_EQ(log.Count("Invalid wall ID in VSD file 'rect.vsd'"), 1);
    EXPECT_EQ(log.Count("Not all objects found in cfg"), 1);
    EXPECT_EQ(viewer.GetObjects().back().kind, -1);  // "ghost" has no entry: skipped by the game
}

TEST_F(ViewerTest, RectangleIsOrderedOrReplacedByTheWholeMap)
{
    auto loadWithRect = [&](std::vector<int32_t> r) {
        std::vector<uint8_t> bytes = dir.Bytes("level_0109_lzma.vsd");
        int32_t at = dir.Layout("level_0109_lzma.vsd").at("rect");
        for (size_t i = 0; i < 4; i++)
            PutU32(bytes, size_t(at) + 4 * i, uint32_t(r[i]));
        dir.Write("rect_edit.vsd", bytes);
        Load("rect_edit.vsd");
        int32_t rect[4];
        viewer.GetActiveRect(rect);
        return std::vector<int32_t>(rect, rect + 4);
    };
    LogCapture log;
    EXPECT_EQ(loadWithRect({10, 20, 2, 3}), (std::vector<int32_t>{2, 3, 10, 20}));
    EXPECT_EQ(TextureAt(1, 5), -1);
    EXPECT_EQ(log.Count("Invalid acitve floor rectangle"), 0);
    EXPECT_EQ(loadWithRect({0, 0, 16, 20}), (std::vector<int32_t>{0, 0, 15, 23}));
    EXPECT_EQ(loadWithRect({-1, 0, 5, 5}), (std::vector<int32_t>{0, 0, 15, 23}));
    EXPECT_EQ(log.Count("Invalid acitve floor rectangle in VSD file 'rect_edit.vsd'"), 2);
}

TEST_F(ViewerTest, BlockGridCoversTheMapIn512UnitBlocks)
{
    Load("blocks.vsd");  // 100 x 60 cells of 64
    EXPECT_EQ(viewer.GetBlockColumns(), 13);
    EXPECT_EQ(viewer.GetBlockRows(), 8);
}

TEST_F(ViewerTest, SameFileIsReloadedOnlyInPart)
{
    EXPECT_EQ(Load("level_0109_lzma.vsd"), 0);
    EXPECT_EQ(Load("level_0109_lzma.vsd"), 1);
    EXPECT_EQ(Load("LEVEL_0109_LZMA.VSD"), 1);  // names compare without regard to case
    ExpectReference(viewer, 0x0109, "reloaded");
    EXPECT_EQ(ctrl.objectLoads, 1);  // descriptions and heights stay from the full load
    std::vector<uint8_t> bytes = dir.Bytes("level_0109_lzma.vsd");
    bytes.push_back(0);
    dir.Write("level_0109_lzma.vsd", bytes);
    EXPECT_EQ(Load("level_0109_lzma.vsd"), 0);
    EXPECT_EQ(Load("level_0109_stored.vsd"), 0);
}

TEST_F(ViewerTest, DebugModeReloadsInFullWhenADescriptionFileChanged)
{
    ctrl.debugMode = 1;
    EXPECT_EQ(Load("level_0109_lzma.vsd"), 0);
    EXPECT_EQ(Load("level_0109_lzma.vsd"), 1);
    std::vector<uint8_t> walls = dir.Bytes("desc/walls.cfg");
    walls.push_back('\n');
    dir.Write("desc/walls.cfg", walls);
    EXPECT_EQ(Load("level_0109_lzma.vsd"), 0);
    EXPECT_EQ(Load("level_0109_lzma.vsd"), 1);

    ctrl.debugMode = 0;  // sizes stored while debug mode was off count as changed
    Load("level_0109_stored.vsd");
    ctrl.debugMode = 1;
    EXPECT_EQ(Load("level_0109_stored.vsd"), 0);
}

TEST_F(ViewerTest, DescriptionFileFaultsEndTheLoad)
{
    struct Case {
        const char* file;
        const char* text;
        const char* error;
    };
    const Case cases[] = {
        {"desc/floor.cfg", "#a\ndesc = \"a\"\n#b\ndesc = \"b\"\nfile = \"b.dds\"\n",
         "FILE 1 errors: No 'file' entry in texture 'a'"},
        {"desc/floor.cfg", "; nothing\n", "FILE No entry found"},
        {"desc/walls.cfg", "#a\ndesc = \"a\"\n#b\ntyp = 1\n",
         "Error in wall cfg file:2 errors: No 'type' entry in wall 'a'"},
        {"desc/walls.cfg", "", "Error in wall cfg file:No entry found"},
    };
    for (const Case& c : cases) {
        LevelFixtureDir fresh;  // a clean copy for each case
        VSD_Viewer freshViewer;
        fresh.Dir().Write(c.file, c.text);
        EXPECT_EQ(ErrorOf([&] { freshViewer.LoadLevel("level_0109_lzma.vsd", 1, 0); }), c.error) << c.file;
    }
    std::filesystem::remove(dir("desc/walls.cfg"));
    EXPECT_EQ(LoadError("level_0109_lzma.vsd"), "Error in wall cfg file:Can not open file 'desc\\walls.cfg'");
}

TEST_F(ViewerTest, InvalidIdsOfTheFile)
{
    const auto& layout = dir.Layout("level_0106.vsd");
    const size_t parcels = size_t(layout.at("parcels"));
    const size_t objects = size_t(layout.at("object_entries"));
    struct Case {
        size_t at;
        uint16_t value;
        const char* error;
    };
    const Case cases[] = {
        {parcels, 4, "Invalid parcel texture ID in VSD file 'damaged.vsd'"},  // as many as there are names
        {parcels, uint16_t(-2), "Invalid parcel texture ID in VSD file 'damaged.vsd'"},
        {parcels, uint16_t(-1), "no error"},
        {objects, 3, "Invalid object ID in VSD file 'damaged.vsd'"},
        {objects, uint16_t(-1), "Invalid object ID in VSD file 'damaged.vsd'"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(DamagedError("level_0106.vsd", [&](auto& b, const auto&) { PutU16(b, c.at, c.value); }), c.error)
            << c.at << " " << c.value;

    // Without floor texture names the parcels name the records; objects are checked all the same.
    EXPECT_EQ(LoadError("no_texture_names.vsd"), "Invalid object ID in VSD file 'no_texture_names.vsd'");
}

TEST_F(ViewerTest, FormatAndVersionChecks)
{
    EXPECT_EQ(DamagedError("level_0109_lzma.vsd", [](auto& b, const auto&) { PutU16(b, 4, 0x010A); }),
              "Wrong file version: 10A, file 'damaged.vsd'");
    EXPECT_EQ(DamagedError("level_0109_lzma.vsd", [](auto& b, const auto&) { b[2] = 'X'; }), "Wrong file format");
    EXPECT_EQ(DamagedError("level_0109_lzma.vsd", [](auto& b, const auto&) { b.resize(5); }),
              "damaged.vsd: Error reading from file (end of file)");
    EXPECT_EQ(LoadError("missing.vsd"), "Can not open file: missing.vsd");
    EXPECT_EQ(LoadError("short_parcels.vsd"), "Error reading compressed parcel data");
    EXPECT_EQ(LoadError("short_heights.vsd"), "Error reading compressed height data");

    LogCapture log;
    EXPECT_EQ(DamagedError("level_0109_lzma.vsd", [](auto& b, const auto& l) { PutU32(b, size_t(l.at("end")), 7); }),
              "no error");
    EXPECT_EQ(log.Count("Invalid VSD file: wrong end ID"), 1);
}

TEST_F(ViewerTest, LyingSizesAndCountsGiveLoadErrors)
{
    // Counts and lengths that run past the end are reads past the end of the plain file.
    const std::string truncated = "damaged.vsd: Error reading from file (end of file)";
    struct Case {
        const char* fixture;
        const char* field;  // a layout entry
        int32_t offset;     // added to it
        uint32_t value;
        bool sixteenBits;
        std::string error;
    };
    const Case cases[] = {
        {"level_0109_lzma.vsd", "map_size", 0, 32767, true, "Map too large: 32767x24"},
        {"level_0109_lzma.vsd", "map_size", 2, 40000, true, "Invalid map size: 16x-25536"},
        {"level_0109_lzma.vsd", "map_size", 0, 0, true, "Invalid map size: 0x24"},
        {"level_0109_lzma.vsd", "cell_size", 2, 0, true, "Invalid cell size: 64x0"},
        {"level_0109_lzma.vsd", "cell_size", 0, 0x7FFF7FFF, false, "Map too large: 16x24"},  // 1024 x 1536 blocks
        {"level_0106.vsd", "map_size", 0, 30000, true, truncated},  // more parcels than the file holds
        {"level_0105.vsd", "map_size", 0, 30000, true, truncated},
        {"level_0109_lzma.vsd", "map_size", 0, 30000, true, "Error reading compressed parcel data"},
        {"level_0109_lzma.vsd", "num_objects", 0, 0x7FFFFFFF, false, truncated},
        {"level_0109_lzma.vsd", "num_walls", 0, 0x7FFFFFFF, false, truncated},
        {"level_0105.vsd", "num_walls", 0, 4, false, truncated},
        {"level_0109_lzma.vsd", "lists", 0, 0x7FFFFFFF, false, truncated},
        {"level_0109_lzma.vsd", "lists", 4, 0x40000000, false, truncated},  // the first name's length
        {"level_0109_lzma.vsd", "floor", 0, 1000, false, truncated},
        {"level_0109_lzma.vsd", "objects", 0, 0x7FFFFFFF, false, truncated},
        {"level_0109_lzma.vsd", "walls", 0, 0x7FFFFFFF, false, truncated},
        {"level_0109_lzma.vsd", "positions", 0, 0xFFFFFFF0, false, truncated},
        {"level_0109_lzma.vsd", "positions", 4, 0x7FFFFFFF, false, truncated},
        {"level_0109_lzma.vsd", "parcels", 0, 0x7FFFFFFF, false, truncated},
        {"level_0109_stored.vsd", "heights", 0, 1, false, "Invalid input buffer"},
        {"level_0109_lzma.vsd", "object_entries", 8, 0x10000, false, truncated},
        {"level_0109_lzma.vsd", "wall_entries", 20, 0x10000, false, truncated},
    };
    for (const Case& c : cases) {
        std::string error = DamagedError(c.fixture, [&](auto& b, const auto& layout) {
            size_t at = size_t(layout.at(c.field) + c.offset);
            if (c.sixteenBits)
                PutU16(b, at, uint16_t(c.value));
            else
                PutU32(b, at, c.value);
        });
        EXPECT_EQ(error, c.error) << c.fixture << " " << c.field << "+" << c.offset;
    }
}

TEST_F(ViewerTest, FilesCutAtEverySectionGiveCleanErrors)
{
    for (const char* fixture : {"level_0100.vsd", "level_0105.vsd", "level_0106.vsd", "level_0109_lzma.vsd",
                                "level_0109_stored.vsd", "rect.vsd"}) {
        const auto layout = dir.Layout(fixture);
        for (const auto& [field, offset] : layout) {
            for (int32_t cut : {offset - 1, offset, offset + 1, offset + 3}) {
                if (cut < 0 || cut >= layout.at("size"))
                    continue;
                std::string error = DamagedError(fixture, [&](auto& b, const auto&) { b.resize(size_t(cut)); });
                // a plain file that ends early, even in its end marker, is refused
                EXPECT_EQ(error, "damaged.vsd: Error reading from file (end of file)")
                    << fixture << " cut at " << field << " " << cut;
            }
        }
    }
}

// The same cut contents plain on disk and inside the packed container. A read past the end of a
// plain file is the file's read error; unpacked contents end quietly and each section names what
// it misses, so that only a lost end marker leaves a level that loads, with a warning.
TEST_F(ViewerTest, CutLevelsOnDiskAndInsideTheContainer)
{
    const std::string truncated = "damaged.vsd: Error reading from file (end of file)";
    const struct {
        const char* field;  // where the cut is, in the layout of the fixture
        int32_t offset;
        bool packed;
        std::string error;  // its beginning; "no error" when the level loads
    } kCases[] = {
        {"end", 0, false, truncated},
        {"end", 2, false, truncated},
        {"end", 0, true, "no error"},
        {"end", 2, true, "no error"},
        {"wall_entries", 10, false, truncated},
        {"wall_entries", 10, true, "Can't read walls"},
        {"object_entries", 4, false, truncated},
        {"object_entries", 4, true, "Can not read from file damaged.vsd"},
        {"parcels", 6, false, truncated},
        {"parcels", 6, true, "damaged.vsd: Packed block of "},
        {"map_size", -4, false, truncated},
        {"map_size", -4, true, "Wrong file format"},
    };
    const auto layout = dir.Layout("level_0109_lzma.vsd");
    for (const auto& c : kCases) {
        const std::string label = std::string(c.field) + "+" + std::to_string(c.offset) + (c.packed ? " packed" : " plain");
        SCOPED_TRACE(label);
        std::vector<uint8_t> bytes = dir.Bytes("level_0109_lzma.vsd");
        bytes.resize(size_t(layout.at(c.field) + c.offset));
        if (c.packed) {
            File file;
            ASSERT_TRUE(file.Create(String("damaged.vsd")));
            file.Write(bytes.data(), bytes.size());
            file.SetCompression(2);  // LZMA, as the level tools store a level
            file.Close();
        } else {
            dir.Write("damaged.vsd", bytes);
        }
        LogCapture log;
        const std::string error = LoadError("damaged.vsd");
        EXPECT_EQ(error.substr(0, c.error.size()), c.error) << error;
        if (c.error == "no error") {
            EXPECT_EQ(log.Count("Invalid VSD file: wrong end ID"), 1);
            ExpectReference(viewer, 0x0109, label);
        }
    }
}

TEST_F(ViewerTest, ChildWallsAndLongWallsOfALevel)
{
    // The level's wall files are the reference ones and a kind that names itself as its child.
    ctrl.wallReaderFiles = FileList();
    ctrl.wallReaderFiles.AddFile("desc\\walls.cfg");
    ctrl.wallReaderFiles.AddFile("desc\\children.cfg");
    LogCapture log;
    Load("children.vsd");
    EXPECT_EQ(viewer.GetNumWalls(), 1 + VSD_Viewer::kMaxWallChildDepth);  // the wall and eight generations
    EXPECT_EQ(log.Count("Child walls nested deeper than 8"), 1);
    for (int32_t i = 0; i < viewer.GetNumWalls(); i++)
        EXPECT_STREQ(viewer.GetWall(i)->m_CfgID.c_str(), "loop");

    // Cells of 600: the pieces are halves of halves, never longer than 512.
    Load("large_cells.vsd");
    ASSERT_EQ(viewer.GetNumWalls(), 12);
    for (int32_t i = 0; i < 12; i++)
        EXPECT_FLOAT_EQ(2.0f * viewer.GetWall(i)->m_HalfLength, i < 4 ? 300.0f : 275.0f) << i;
    EXPECT_EQ(log.Count("too small"), 0);
}

}  // namespace
