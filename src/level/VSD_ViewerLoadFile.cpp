// VSD_Viewer: the binary level file ("VSD file") reader.
//
// Little-endian throughout. A name is an i32 length n and n characters (n <= 0: empty); a name
// table an i32 count and that many names; a packed block a u32 length m and m bytes of one block
// of the packed file container.
//
// Header, version 0x0106 on (36 bytes):
//    0  3  "VSD"            14  2  not read
//    3  1  not read         16  i32 number of walls
//    4  u16 version         20  i32 number of objects
//    6  i16 map width       24  u32 position of the floor section
//    8  i16 map height      28  u32 position of the wall section
//   10  i16 cell width      32  u32 position of the object section
//   12  i16 cell height
// Header, older versions (700 bytes; the rest is not read):
//    0  "VSD", 4 u16 version, 16 i16 map width, 18 map height, 20 cell width, 22 cell height,
//   24 i32 walls, 28 i32 objects, 41/169/297 the floor texture, wall and object description file
//   names (128 bytes each, NUL-terminated), 684/688/692 u32 floor, wall and object section positions
// Then, from 0x0108: the active floor rectangle, four i32 (first column, first row, last column,
// last row, inclusive); from 0x0106: three name tables, the floor texture, object and wall
// description files.
// Floor section: floor texture name table (0x0105 on); parcels, map width x map height records of
// 6 bytes (VSD_Parcel) row by row: a packed block from 0x0107, plain from 0x0104, else 4 bytes per
// cell (i16 texture id, the two sub-tile bytes); heights (0x0101 on), one f32 per grid vertex in
// rows of map width + 1: a packed block from 0x0107, else plain.
// Object section: object name table (0x0105 on); per object i16 kind, x, y, angle (0.0001 rad),
// a name (0x0103 on, its property text), a u32 value (0x0109 on).
// Wall section: wall description name table (0x0105 on); per wall i16 description id, x1, y1, x2,
// y2; except in version 0x0101, 2 bytes not read, f32 two wall values and (0x0103 on) a name,
// the property text. Then the end marker u32 0x12345678.
#include "level/VSD_Viewer.h"

#include "base/ByteReader.h"
#include "base/File.h"
#include "level/IntRect.h"
#include "level/LevelErrorText.h"
#include "world/GameCtrlInterface.h"

#include <algorithm>
#include <cstring>
#include <memory>

namespace {

constexpr int32_t kNewHeaderSize = 36;
constexpr int32_t kOldHeaderSize = 700;
constexpr int32_t kOldNameSize = 128;

struct VSD_Header {
    uint16_t fileVersion = 0;  // as stored, for messages
    uint16_t version = 0;      // below 0x0101 read as 0x0100
    int16_t mapWidth = 0;
    int16_t mapHeight = 0;
    int16_t cellWidth = 0;
    int16_t cellHeight = 0;
    int32_t numWalls = 0;
    int32_t numObjects = 0;
    uint32_t floorPos = 0;
    uint32_t wallPos = 0;
    uint32_t objectPos = 0;
    String oldNames[3];  // floor texture, wall and object description file of the old header
};

// The level file's bytes with the viewer's error for every read past their end.
class LevelBytes {
    VSD_Viewer& m_Viewer;
    File& m_File;
    const bool m_OnDisk;  // a plain file, not unpacked from the packed container

public:
    LevelBytes(VSD_Viewer& viewer, File& file)
        : m_Viewer(viewer), m_File(file), m_OnDisk(file.GetCompression() == 0),
          in(file.GetMemoryBuffer(), size_t(std::max(file.GetSize(), 0)))
    {
    }

    void Truncated()
    {
        m_Viewer.Error("%s: Error reading from file (%s)", m_File.GetFileName().c_str(), "end of file");
    }
    // A read past the end of a plain file is the file's read error. Unpacked contents end
    // quietly: the caller goes on with the message of its section (none for the end marker).
    void ReadPastEnd()
    {
        if (m_OnDisk)
            Truncated();
    }
    void Check()
    {
        if (in.Failed())
            Truncated();
    }
    void SeekTo(uint32_t position)
    {
        in.Seek(position);
        Check();
    }
    bool FitsItems(int64_t count, int64_t itemSize) const { return count * itemSize <= int64_t(in.GetRemaining()); }

    // False (the reader failed) when the length claims more than is left.
    bool ReadName(String& name)
    {
        name = String();
        int32_t length = in.ReadI32();
        if (length <= 0)
            return !in.Failed();
        const uint8_t* p = in.ReadSpan(size_t(length));
        if (!p)
            return false;
        const char* text = reinterpret_cast<const char*>(p);
        name = String(text, int32_t(strnlen(text, size_t(length))));  // a text ends at its first NUL
        return true;
    }
    // A name table; every name takes at least its 4-byte length.
    template <class Add> void ReadNameTable(Add add)
    {
        int32_t count = in.ReadI32();
        Check();
        if (count > 0 && !FitsItems(count, 4))
            Truncated();
        String name;
        for (int32_t i = 0; i < count; i++) {
            if (!ReadName(name))
                Truncated();
            add(name);
        }
    }
    void ReadNames(std::vector<String>& names)
    {
        names.clear();
        ReadNameTable([&](const String& name) { names.push_back(name); });
    }
    void ReadFileNameList(FileList& list)
    {
        ReadNameTable([&](const String& name) { list.GetFileID(name); });
    }

    // One packed block that must unpack to exactly expected bytes, else the error message.
    std::unique_ptr<uint8_t[]> ReadPackedBlock(int64_t expected, const char* message)
    {
        ByteReader ahead = in;
        if (!ahead.Skip(ahead.ReadU32()))
            ReadPastEnd();  // in unpacked contents the container's block reader names the fault
        m_File.Seek(int32_t(in.GetPosition()));
        std::unique_ptr<uint8_t[]> unpacked;
        int32_t length = m_File.ReadPackedBlock(unpacked, 2);  // the block's id names its algorithm
        if (length != expected)
            m_Viewer.Error("%s", message);
        in.Seek(size_t(m_File.GetPos()));
        return unpacked;
    }

    ByteReader in;
};

VSD_Header ReadHeader(LevelBytes& bytes, uint16_t version)
{
    ByteReader& in = bytes.in;
    VSD_Header h;
    h.fileVersion = version;
    h.version = std::max<uint16_t>(version, 0x0100);
    if (version >= 0x0106) {
        in.Seek(6);
        h.mapWidth = in.ReadI16();
        h.mapHeight = in.ReadI16();
        h.cellWidth = in.ReadI16();
        h.cellHeight = in.ReadI16();
        in.Skip(2);
        h.numWalls = in.ReadI32();
        h.numObjects = in.ReadI32();
        h.floorPos = in.ReadU32();
        h.wallPos = in.ReadU32();
        h.objectPos = in.ReadU32();
        bytes.Check();
        return h;
    }
    if (in.GetLength() < size_t(kOldHeaderSize))
        bytes.Truncated();
    in.Seek(16);
    h.mapWidth = in.ReadI16();
    h.mapHeight = in.ReadI16();
    h.cellWidth = in.ReadI16();
    h.cellHeight = in.ReadI16();
    h.numWalls = in.ReadI32();
    h.numObjects = in.ReadI32();
    in.Seek(41);
    for (String& name : h.oldNames) {
        const char* text = reinterpret_cast<const char*>(in.ReadSpan(kOldNameSize));
        name = String(text, int32_t(strnlen(text, kOldNameSize)));  // a name without its NUL ends with the field
    }
    in.Seek(684);
    h.floorPos = in.ReadU32();
    h.wallPos = in.ReadU32();
    h.objectPos = in.ReadU32();
    in.Seek(kOldHeaderSize);
    bytes.Check();
    return h;
}

}  // namespace

int32_t VSD_Viewer::LoadFile(int32_t reload, int32_t insertWalls)
{
    File file;
    if (!file.Open(m_FileName, true, File::kVirtualFile, true))
        Error("Can not open file: %s", m_FileName.c_str());
    if (file.GetCompression() == 0)
        GetCtrl().SetSplitValueToOne();  // a plain level file may have been edited
    LevelBytes bytes(*this, file);
    ByteReader& in = bytes.in;

    const uint8_t* magic = in.ReadSpan(3);
    in.Skip(1);
    const uint16_t fileVersion = in.ReadU16();
    if (in.Failed())
        bytes.ReadPastEnd();
    if (!magic || std::memcmp(magic, "VSD", 3) != 0 || in.Failed())
        Error("Wrong file format");
    if (fileVersion > kNewestVersion)
        Error("Wrong file version: %X, file '%s'", fileVersion, m_FileName.c_str());
    in.Seek(0);
    const VSD_Header h = ReadHeader(bytes, fileVersion);
    const uint16_t version = h.version;

    int32_t rect[4] = {0, 0, h.mapWidth - 1, h.mapHeight - 1};
    if (version >= 0x0106) {
        if (version >= 0x0108) {
            for (int32_t& r : rect)
                r = in.ReadI32();
            bytes.Check();
        }
        bytes.ReadFileNameList(m_FloorTexFiles);
        bytes.ReadFileNameList(m_ObjectFiles);
        m_ObjectFiles.AddMissing(GetCtrl().GetObjectCfgFiles());
        bytes.ReadFileNameList(m_WallFiles);
        m_WallFiles.AddMissing(GetCtrl().GetWallCfgFiles());
    } else {
        FileList* lists[3] = {&m_FloorTexFiles, &m_WallFiles, &m_ObjectFiles};
        for (int32_t i = 0; i < 3; i++)
            if (!h.oldNames[i].IsEmpty())  // an unnamed file is no file
                lists[i]->GetFileID(h.oldNames[i]);
    }

    m_MapWidth = h.mapWidth;
    m_MapHeight = h.mapHeight;
    if (m_MapWidth > kMaxMapSide || m_MapHeight > kMaxMapSide)
        Error("Map too large: %ix%i", m_MapWidth, m_MapHeight);
    if (m_MapWidth < 1 || m_MapHeight < 1)
        Error("Invalid map size: %ix%i", m_MapWidth, m_MapHeight);
    if (h.cellWidth < 1 || h.cellHeight < 1)
        Error("Invalid cell size: %ix%i", h.cellWidth, h.cellHeight);
    SetCellSize(h.cellWidth, h.cellHeight);
    const int64_t cells = int64_t(m_MapWidth) * m_MapHeight;
    const int64_t vertices = int64_t(m_MapWidth + 1) * (m_MapHeight + 1);

    auto isCell = [&](int32_t x, int32_t y) { return x >= 0 && x < m_MapWidth && y >= 0 && y < m_MapHeight; };
    if (!isCell(rect[0], rect[1]) || !isCell(rect[2], rect[3])) {
        Warning("Invalid acitve floor rectangle in VSD file '%s'", m_FileName.c_str());
        rect[0] = 0;
        rect[1] = 0;
        rect[2] = m_MapWidth - 1;
        rect[3] = m_MapHeight - 1;
    }
    IntRect active{rect[0], rect[1], rect[2], rect[3]};
    active.Normalise();
    m_ActiveX1 = active.x1;
    m_ActiveY1 = active.y1;
    m_ActiveX2 = active.x2;
    m_ActiveY2 = active.y2;

    m_Parcels.clear();
    if (!reload)
        m_Heights.clear();

    const int64_t blockSize = kBlockSize;
    const int64_t blockColumns = (int64_t(m_CellWidth) * m_MapWidth + blockSize - 1) / blockSize;
    const int64_t blockRows = (int64_t(m_CellHeight) * m_MapHeight + blockSize - 1) / blockSize;
    if (blockColumns * blockRows > kMaxBlocks)  // huge cells on a large map
        Error("Map too large: %ix%i", m_MapWidth, m_MapHeight);
    m_BlockColumns = int32_t(blockColumns);
    m_BlockRows = int32_t(blockRows);
    m_ActiveBlocks.assign(size_t(m_BlockColumns) * size_t(m_BlockRows), 0);
    OnBlockGridChanged();

    // Floor section.
    bytes.SeekTo(h.floorPos);
    if (version >= 0x0105)
        bytes.ReadNames(m_FloorTexNames);
    if (version >= 0x0107) {
        std::unique_ptr<uint8_t[]> block = bytes.ReadPackedBlock(cells * VSD_Parcel::kFileSize,
                                                                 "Error reading compressed parcel data");
        ByteReader packed(block.get(), size_t(cells) * VSD_Parcel::kFileSize);
        m_Parcels.resize(size_t(cells));
        for (VSD_Parcel& p : m_Parcels) {
            p.textureId = packed.ReadI16();
            p.placement = packed.ReadU16();
            p.subX = packed.ReadU8();
            p.subY = packed.ReadU8();
        }
    } else {
        const bool full = version >= 0x0104;  // older cells have no placement word
        if (!bytes.FitsItems(cells, full ? VSD_Parcel::kFileSize : 4))
            bytes.Truncated();
        m_Parcels.resize(size_t(cells));
        for (VSD_Parcel& p : m_Parcels) {
            p.textureId = in.ReadI16();
            p.placement = full ? in.ReadU16() : 0;
            p.subX = in.ReadU8();
            p.subY = in.ReadU8();
        }
    }
    for (int32_t y = 0; y < m_MapHeight; y++)
        for (int32_t x = 0; x < m_MapWidth; x++)
            if (x < m_ActiveX1 || x > m_ActiveX2 || y < m_ActiveY1 || y > m_ActiveY2)
                m_Parcels[size_t(y) * size_t(m_MapWidth) + size_t(x)].textureId = -1;

    if (!reload) {
        if (version >= 0x0107) {
            std::unique_ptr<uint8_t[]> block = bytes.ReadPackedBlock(vertices * 4, "Error reading compressed height data");
            m_Heights.resize(size_t(vertices));
            for (int64_t i = 0; i < vertices; i++)
                m_Heights[size_t(i)] = ByteReader::DecodeFloat(block.get() + i * 4);
        } else if (version >= 0x0101) {
            if (!bytes.FitsItems(vertices, 4))
                bytes.Truncated();
            m_Heights.resize(size_t(vertices));
            for (float& height : m_Heights)
                height = in.ReadFloat();
        }
        // Allocated once the floor data is known to be there, so a header that lies about the
        // map size costs no memory.
        m_FloorVertices.assign(size_t(vertices), VSD_FloorVertex());
        m_CornerFrames.assign(size_t(vertices) * kFrameFloats, 0.0f);
        m_CellFrames.assign(size_t(vertices) * kFrameFloats, 0.0f);
        m_CentreHeights.assign(size_t(vertices), 0.0f);
        if (!m_Heights.empty())
            CalcCentreHeights();
    }

    m_WallDescReader.SetIndexKey("desc");
    if (!reload) {
        m_NumWallDescs = ReadWallDescFiles(m_WallDescs, m_WallFiles, nullptr, &m_WallDescReader, false);
        if (m_NumWallDescs <= 0)
            Error("Error in wall cfg file:%s", LevelErrorText::Get());
        m_ObjectReader = GetCtrl().LoadWorldObjectFiles();
        GetCtrl().OpenWallFiles();
    }

    // Object section.
    m_Objects.clear();
    m_ObjectNames.clear();
    if (h.numObjects > 0) {
        auto cutShort = [&] {
            bytes.ReadPastEnd();
            Error("Can not read from file %s", m_FileName.c_str());
        };
        bytes.SeekTo(h.objectPos);
        if (version >= 0x0105)
            bytes.ReadNames(m_ObjectNames);
        const int32_t entrySize = 8 + (version >= 0x0103 ? 4 : 0) + (version >= 0x0109 ? 4 : 0);
        if (!bytes.FitsItems(h.numObjects, entrySize))
            cutShort();
        m_Objects.resize(size_t(h.numObjects));
        for (VSD_ObjectEntry& o : m_Objects) {
            o.kind = in.ReadI16();
            o.x = in.ReadI16();
            o.y = in.ReadI16();
            o.angle = in.ReadI16();
            if (version >= 0x0103)
                bytes.ReadName(o.text);
            o.value = version >= 0x0109 ? in.ReadU32() : 0;
            if (in.Failed())
                cutShort();
        }
    }

    // Wall section.
    std::vector<int32_t> wallIds;  // per name: the entry of the wall description reader, -1 when none
    m_WallDescNames.clear();
    if (m_WallFiles.GetCount() > 0) {
        bytes.SeekTo(h.wallPos);
        if (version >= 0x0105)
            bytes.ReadNames(m_WallDescNames);
        if (insertWalls) {
            bool allFound = true;
            for (const String& name : m_WallDescNames) {
                wallIds.push_back(m_WallDescReader.FindEntryByDesc(name.c_str()));
                allFound = allFound && wallIds.back() >= 0;
            }
            if (!allFound)
                Warning("Not all walls found in cfg");
        }
    }
    m_Walls.DeleteAll();
    m_LongestWallHalf = 0.0f;
    if (m_WallFiles.GetCount() > 0 && h.numWalls > 0) {
        const bool shortEntries = version == 0x0101;
        const int32_t entrySize = shortEntries ? 10 : 20 + (version >= 0x0103 ? 4 : 0);
        auto cutShort = [&] {
            bytes.ReadPastEnd();
            Error("Can't read walls");
        };
        if (!bytes.FitsItems(h.numWalls, entrySize))
            cutShort();
        const bool partial = !IsWholeMap();
        for (int32_t i = 0; i < h.numWalls; i++) {
            VSD_WallEntry wall;
            wall.descId = in.ReadI16();
            wall.x1 = in.ReadI16();
            wall.y1 = in.ReadI16();
            wall.x2 = in.ReadI16();
            wall.y2 = in.ReadI16();
            if (!shortEntries) {
                in.Skip(2);
                wall.value1 = in.ReadFloat();
                wall.value2 = in.ReadFloat();
                if (version >= 0x0103)
                    bytes.ReadName(wall.text);
            }
            if (in.Failed())
                cutShort();
            if (!insertWalls)
                continue;
            // Which description the wall has: through the name table when the file has one.
            const bool hasTable = !m_WallDescNames.empty();
            const bool inTable = wall.descId >= 0 && wall.descId < int32_t(wallIds.size());
            const int32_t entry = !hasTable ? wall.descId : inTable ? wallIds[size_t(wall.descId)] : -1;
            if (partial && !IsWallNearActiveArea(wall) && !(entry >= 0 && HasWorldID(wall.text, entry)))
                continue;  // outside the floor and not named for scripts
            if (hasTable) {
                if (!inTable) {
                    Warning("Invalid wall ID in VSD file '%s'", m_FileName.c_str());
                    continue;
                }
                if (entry < 0)
                    continue;  // its description was not found
                wall.descId = int16_t(entry);
            }
            ReadWallProperties(wall, 0, 1, 1);
        }
    }

    const uint32_t endMarker = in.ReadU32();
    if (in.Failed())
        bytes.ReadPastEnd();  // a level cut short on disk is no level
    if (endMarker != kEndMarker)
        Warning("Invalid VSD file: wrong end ID");
    return 1;
}
