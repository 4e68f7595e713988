// VSD_Viewer: making a wall of a wall entry: its kind's values, the properties of its kind's
// description entry (the wall's own property text consulted first), the child walls and child
// objects the properties ask for, and its insertion into the wall table.
#include "level/VSD_Viewer.h"

#include "base/TextFileReaderBase.h"
#include "level/Angle.h"
#include "level/LevelDescFiles.h"
#include "world/GameCtrlInterface.h"
#include "world/WorldElem.h"

#include <cmath>
#include <cstdint>

namespace {

// The keys of one wall: its description's entry with the property text linked in front. The
// link is taken away again however the reading ends.
class WallKeys {
public:
    WallKeys(ConfigFileReader& reader, const String& text, int32_t entry) : m_Reader(reader), m_Entry(entry)
    {
        if (!text.IsEmpty())
            m_Text.OpenMemory(text.c_str(), text.TextLength());
        m_HasText = !text.IsEmpty();
        Link();
    }
    ~WallKeys() { Unlink(); }
    WallKeys(const WallKeys&) = delete;
    WallKeys& operator=(const WallKeys&) = delete;

    void Link() { m_Reader.SetLinkedReader(m_HasText ? &m_Text : nullptr); }
    ConfigFileReader& Reader() { return m_Reader; }  // with the property text linked in front
    int32_t Entry() const { return m_Entry; }
    void Unlink() { m_Reader.SetLinkedReader(nullptr); }

    bool FindText(const char* key, String& text, int32_t index)
    {
        return m_Reader.GetString(key, text, m_Entry, index) == ConfigFileReader::kFound;
    }
    bool Has(const char* key, int32_t index)
    {
        String text;
        return FindText(key, text, index);
    }
    double Number(const char* key, double fallback, int32_t index = -1)
    {
        double value = fallback;
        m_Reader.GetDouble(key, value, m_Entry, index);  // written only when found
        return value;
    }
    bool Found(const char* key, double& value, int32_t index = -1)
    {
        return m_Reader.GetDouble(key, value, m_Entry, index) == ConfigFileReader::kFound;
    }
    float Float(const char* key, float fallback, int32_t index = -1)
    {
        return TextFileReaderBase::ToFloat(Number(key, fallback, index));
    }
    // A flag: the number rounded half away from zero is not 0.
    uint8_t Flag(const char* key, bool fallback) { return std::round(Number(key, fallback ? 1.0 : 0.0)) != 0.0; }
    // A flag of the truncated number.
    uint8_t TruncFlag(const char* key, bool fallback)
    {
        return TextFileReaderBase::TruncToInt32(Number(key, fallback ? 1.0 : 0.0)) != 0;
    }
    int16_t Short(const char* key, int32_t fallback) { return LevelDescFiles::Low16(Number(key, fallback)); }
    uint8_t Byte(const char* key, int32_t fallback)
    {
        return uint8_t(TextFileReaderBase::TruncToInt32(Number(key, fallback)));
    }
    int32_t Int(const char* key, int32_t fallback) { return TextFileReaderBase::TruncToInt32(Number(key, fallback)); }
    String Text(const char* key, int32_t index = -1)
    {
        String text;
        m_Reader.GetString(key, text, m_Entry, index);
        return text;
    }
    // Parts of a list; each part that is missing stays 0.
    void Floats(const char* key, float* values, int32_t count, int32_t index)
    {
        for (int32_t i = 0; i < count; i++)
            values[i] = 0.0f;
        if (count == 2)
            m_Reader.GetFloatPair(key, values, m_Entry, index);
        else
            m_Reader.GetVector3(key, values, m_Entry, index);
    }

private:
    ConfigFileReader& m_Reader;
    ConfigFileReader m_Text;
    bool m_HasText = false;
    int32_t m_Entry;
};

// A float world coordinate as a wall entry holds it: truncated, within 16 bits.
int16_t EntryCoordinate(float value)
{
    const float t = std::trunc(value);
    if (!(t > -32768.0f))
        return -32768;
    return t < 32767.0f ? int16_t(t) : int16_t(32767);
}

void ReadProperties(VSD_WallIntern& wall, WallKeys& keys, const WallDesc& desc, int32_t fadeFromBack,
                    GameCtrlInterface& ctrl)
{
    wall.m_ScaleU = keys.Float("scaleU", 1.0f);
    wall.m_OnUse = keys.Text("onUse");
    wall.m_SndUse = keys.Text("sndUse");
    wall.m_OnFailedUse = keys.Text("onFailedUse");
    wall.m_OnCollision = keys.Text("onCollision");
    wall.m_OnLeave = keys.Text("onLeave");
    wall.m_MirrorX = keys.Flag("mirrorX", false);
    wall.m_CanReachThrough = keys.Flag("CanReachThrough", false);
    wall.m_Bridge = keys.Short("bridge", 0);
    wall.m_SemiPerm = keys.Short("semiperm", 0);
    wall.m_Solid = keys.Flag("solid", desc.solid == 1);
    wall.m_BlocksActForce = keys.Flag("blocksActForce", wall.m_Solid != 0);
    wall.m_WallOpacity = keys.Float("opacity", desc.opacity);
    wall.m_TwoSided = keys.Flag("TwoSided", desc.twoSided == 1);
    wall.m_ObstructFadeOut = keys.Flag("ObstructFadeOut", true);
    wall.m_Door = uint16_t(keys.Short("door", desc.door));
    wall.m_UseSize = keys.Float("UseSize", 0.0f);
    wall.m_UseState = keys.Short("UseState", 0);
    wall.m_AlphaThreshold = keys.Byte("AlphaThreshold", 1);
    wall.m_LightingType = keys.Short("LightingType", 1);
    wall.m_LightingVSize3DFactor = keys.Float("LightingVSize3DFactor", 1.0f);
    wall.m_LightFalloffApprox = keys.Flag("LightFalloffApprox", true);
    wall.m_WorldID = keys.Text("worldID");
    wall.m_NetSync = keys.Byte("NetSync", wall.m_NetSync);
    if (wall.m_NetSync == 1 && !wall.m_WorldID.IsEmpty())
        wall.m_NetSync = 2;
    for (int32_t k = 1; k <= WorldElemBase::kScriptTemps; k++) {
        double value = 0.0;
        if (keys.Found("ScriptFloat", value, k))
            wall.m_ScriptTemp[k - 1] = TextFileReaderBase::ToFloat(value);
    }
    wall.m_ScriptString = keys.Text("ScriptString");
    wall.m_CanSeeThrough = keys.TruncFlag("CanSeeThrough", wall.m_Solid == 0);
    wall.m_FadeOutIfViewedFromBack = keys.Flag("FadeOutIfViewedFromBack", fadeFromBack != 0);
    float box[3];
    keys.Floats("BoundBoxAdd", box, 3, -1);
    for (int32_t i = 0; i < 3; i++)
        wall.m_BoundBoxAdd[i] = box[i];
    wall.m_VisibilityObstruct = keys.TruncFlag("VisibilityObstruct", wall.m_WallOpacity > 0.99f);
    ctrl.ReadIllumination(keys.Reader(), wall.m_Illumination, keys.Entry());
    wall.m_NeedKey = uint16_t(keys.Short("NeedKey", desc.needKey));
    wall.m_CollisionMask = keys.Int("EffBy", wall.m_CollisionMask);
    wall.m_EffByID = keys.Text("EffByID");
    for (int32_t k = 1; k <= VSD_WallIntern::kParties; k++) {
        double value = 0.0;
        if (!keys.Found("EffByParty", value, k))
            break;
        wall.m_EffByParty[k - 1] = TextFileReaderBase::TruncToInt32(value);
    }
    wall.m_Height1 = keys.Float("Height1", desc.height1);
    wall.m_Height2 = keys.Float("Height2", desc.height2);
    wall.m_HeightOffset1 = keys.Float("HeightOffset", 0.0f);
    wall.m_HeightOffset2 = keys.Float("HeightOffsetEnd", wall.m_HeightOffset1);
}

}  // namespace

int32_t VSD_Viewer::ReadWallProperties(VSD_WallEntry& entry, int32_t gridInsert, int32_t splitLong,
                                       int32_t withChildren)
{
    VSD_WallIntern wall;
    if (!std::isfinite(entry.value1))
        entry.value1 = 0.0f;
    if (!std::isfinite(entry.value2))
        entry.value2 = 1.0f;

    const float right = m_CellWidthF * float(m_MapWidth);
    const float bottom = m_CellHeightF * float(m_MapHeight);
    auto outside = [&](float x, float y) { return x < 0.0f || x > right || y < 0.0f || y > bottom; };
    if ((outside(entry.x1, entry.y1) || outside(entry.x2, entry.y2)) && (gridInsert || splitLong || withChildren))
        Warning("Wall out of range!");
    wall.m_X1 = entry.x1;
    wall.m_Y1 = entry.y1;
    wall.m_X2 = entry.x2;
    wall.m_Y2 = entry.y2;
    wall.m_WallValue1 = entry.value1;
    wall.m_WallValue2 = entry.value2;

    if (entry.descId < 0 || entry.descId >= m_NumWallDescs) {
        Warning("Invalid wall ID: %i changed to 0", entry.descId);
        entry.descId = 0;
    }
    if (m_WallDescs.empty())
        Error("No wall kinds for wall ID %i", entry.descId);  // no level loaded
    const WallDesc& desc = m_WallDescs[size_t(entry.descId)];
    wall.m_DescID = entry.descId;
    wall.m_CfgID = desc.desc;
    wall.m_LightSemiPerm = desc.lightSemiPerm != 0;
    wall.m_DescObjID = desc.objID;
    wall.m_WallType = desc.type;
    wall.m_UseSide = desc.useSide;

    WallKeys keys(m_WallDescReader, entry.text, entry.descId);
    ReadProperties(wall, keys, desc, m_FadeWallsFromBack, GetCtrl());

    if (withChildren) {
        wall.CalcDirection();
        const float length = 2.0f * wall.m_HalfLength;
        // A point along the wall (a fraction of its length from end point 1) and across it.
        auto placeAlong = [&](const float* at, float& x, float& y) {
            const float along = (wall.m_MirrorX ? 1.0f - at[0] : at[0]) * length;
            x = wall.m_X1 + wall.m_DirX * along + wall.m_NormalX * at[1];
            y = wall.m_Y1 + wall.m_DirY * along + wall.m_NormalY * at[1];
        };
        if (keys.Has("wallChild", 1) && m_WallChildDepth >= kMaxWallChildDepth)
            Warning("Child walls nested deeper than %i: children of '%s' not made", kMaxWallChildDepth,
                    desc.desc);
        for (int32_t k = 1; m_WallChildDepth < kMaxWallChildDepth && keys.Has("wallChild", k); k++) {
            const String kind = keys.Text("wallChild", k);
            float start[2];
            float end[2];
            keys.Floats("wallChildStart", start, 2, k);
            keys.Floats("wallChildEnd", end, 2, k);
            float x = 0.0f;
            float y = 0.0f;
            VSD_WallEntry child;
            placeAlong(start, x, y);
            child.x1 = EntryCoordinate(x);
            child.y1 = EntryCoordinate(y);
            placeAlong(end, x, y);
            child.x2 = EntryCoordinate(x);
            child.y2 = EntryCoordinate(y);
            const int32_t kindIndex = GetCtrl().FindWallTypeIndex(kind.c_str());
            child.descId = int16_t(kindIndex <= INT16_MAX ? kindIndex : -1);  // -1: warned and taken as 0
            child.value1 = 0.0f;
            child.value2 = 1.0f;
            int32_t childID;
            {
                struct Depth {
                    int32_t& depth;
                    explicit Depth(int32_t& d) : depth(d) { depth++; }
                    ~Depth() { depth--; }
                } depth(m_WallChildDepth);
                childID = ReadWallProperties(child, 0, 1, 1);
            }
            keys.Link();  // the child took the reader's link away
            VSD_WallIntern* made = GetWall(childID);
            made->m_NetSync = 0;
            if (wall.m_MirrorX)
                made->m_MirrorX = !made->m_MirrorX;
            String childWorldID;
            if (keys.FindText("wallChildWorldID", childWorldID, k)) {
                made->m_WorldID = childWorldID;
                if (GetCtrl().IsMultiplayerGame())
                    Warning("wallChildWorldID not allowed in multiplayer game");
            }
        }
    }

    keys.Unlink();
    const int32_t id = InsertWall(wall, gridInsert, splitLong);
    VSD_WallIntern* placed = GetWall(id);
    keys.Link();

    if (withChildren) {
        for (int32_t k = 1; keys.Has("child", k); k++) {
            const String kind = keys.Text("child", k);
            float pos[3];
            keys.Floats("childpos", pos, 3, k);
            const float childAngle = keys.Float("childAngle", 0.0f, k) * Angle::kDegToRad;
            if (placed->m_MirrorX)
                pos[0] = -pos[0];
            const float x = placed->m_X1 + placed->m_DirX * pos[0] + placed->m_NormalX * pos[1];
            const float y = placed->m_Y1 + placed->m_DirY * pos[0] + placed->m_NormalY * pos[1];
            const float angle = std::atan2(placed->m_DirY, placed->m_DirX) + childAngle;
            WorldElemGridBase* made = GetCtrl().CreateWorldObject(kind.c_str(), x, y, angle, pos[2]);
            WorldElemBase* elem = dynamic_cast<WorldElemBase*>(made);
            if (!elem || !WorldElem::IsValidType(elem->m_TypeCode))
                continue;
            String childWorldID;
            if (keys.FindText("ChildWorldID", childWorldID, k))
                elem->m_WorldID = childWorldID;
            if (elem->m_TypeCode == ElemType::kItem)
                if (WorldElem* item = dynamic_cast<WorldElem*>(elem))
                    item->SetWallLink(placed);
        }
    }
    return id;
}
