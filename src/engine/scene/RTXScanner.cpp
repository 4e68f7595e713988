// RTXScanner: the keyword table, the keyword scanner and the argument reads of the text model export.
#include "engine/scene/RTXScanner.h"

#include "base/TextDataFileReader.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>

namespace {

struct Spelling {
    const char* word;
    int32_t id;
};

// The exporter's keyword table, in its own order.
constexpr Spelling kTable[RTXScanner::kTableSize] = {
    {"SCENE", RTX_SCENE},
    {"MATERIAL_LIST", RTX_MATERIAL_LIST},
    {"GEOMOBJECT", RTX_GEOMOBJECT},
    {"SCENE_SOUNDFILE", RTX_SCENE_SOUNDFILE},
    {"SCENE_SCRIPTFILE", RTX_SCENE_SCRIPTFILE},
    {"SCENE_BACKGROUND_STATIC", RTX_SCENE_BACKGROUND_STATIC},
    {"SCENE_AMBIENT_STATIC", RTX_SCENE_AMBIENT_STATIC},
    {"SCENE_FIRSTFRAME", RTX_SCENE_FIRSTFRAME},
    {"SCENE_LASTFRAME", RTX_SCENE_LASTFRAME},
    {"SCENE_FRAMESPEED", RTX_SCENE_FRAMESPEED},
    {"SCENE_TICKSPERFRAME", RTX_SCENE_TICKSPERFRAME},
    {"SCENE_ENVMAP", RTX_SCENE_ENVMAP},
    {"MATERIAL_COUNT", RTX_MATERIAL_COUNT},
    {"MATERIAL", RTX_MATERIAL},
    {"MATERIAL_NAME", RTX_MATERIAL_NAME},
    {"MAP_DIFFUSE", RTX_MAP_DIFFUSE},
    {"MAP_REFLECT", RTX_MAP_REFLECT},
    {"MAP_SELFILLUM", RTX_MAP_SELFILLUM},
    {"MAP_SPECULAR", RTX_MAP_SPECULAR},
    {"MAP_OPACITY", RTX_MAP_OPACITY},
    {"MAP_BUMP", RTX_MAP_BUMP},
    {"MAP_GENERIC", RTX_MAP_GENERIC},
    {"MAP_ANIMATION", RTX_MAP_ANIMATION},
    {"MAP_ATTRIBUTE", RTX_MAP_ATTRIBUTE},
    {"MAP_CLASS", RTX_MAP_CLASS},
    {"MAP_SUBNO", RTX_MAP_SUBNO},
    {"MAP_CHANNEL", RTX_MAP_CHANNEL},
    {"UVW_U_OFFSET", RTX_UVW_U_OFFSET},
    {"UVW_V_OFFSET", RTX_UVW_V_OFFSET},
    {"UVW_U_TILING", RTX_UVW_U_TILING},
    {"UVW_V_TILING", RTX_UVW_V_TILING},
    {"UVW_U_ANGLE", RTX_UVW_U_ANGLE},
    {"UVW_V_ANGLE", RTX_UVW_V_ANGLE},
    {"UVW_W_ANGLE", RTX_UVW_W_ANGLE},
    {"TIME_STARTFRAME", RTX_TIME_STARTFRAME},
    {"TIME_PLAYBACKRATE", RTX_TIME_PLAYBACKRATE},
    {"TIME_ENDCONDITION", RTX_TIME_ENDCONDITION},
    {"MAP_AMOUNT", RTX_MAP_AMOUNT},
    {"BITMAP", RTX_BITMAP},
    {"NODE_NAME", RTX_NODE_NAME},
    {"NODE_VISIBLE", RTX_NODE_VISIBLE},
    {"NODE_VISIBILITY", RTX_NODE_VISIBILITY},
    {"NODE_INHERIT_VISIBILITY", RTX_NODE_INHERIT_VISIBILITY},
    {"NODE_PARENT", RTX_NODE_PARENT},
    {"MESH", RTX_MESH},
    {"CLONE", RTX_CLONE},
    {"MESH_NUMVERTEX", RTX_MESH_NUMVERTEX},
    {"MESH_NUMFACES", RTX_MESH_NUMFACES},
    {"BOUNDINGBOX_MIN", RTX_BOUNDINGBOX_MIN},
    {"BOUNDINGBOX_MAX", RTX_BOUNDINGBOX_MAX},
    {"MESH_VERTEX_LIST", RTX_MESH_VERTEX_LIST},
    {"MESH_VERTEX", RTX_MESH_VERTEX},
    {"MESH_FACE_LIST", RTX_MESH_FACE_LIST},
    {"MESH_FACE", RTX_MESH_FACE},
    {"MESH_NUMTVERTEX", RTX_MESH_NUMTVERTEX},
    {"MESH_TVERTLIST", RTX_MESH_TVERTLIST},
    {"MESH_TVERT", RTX_MESH_TVERT},
    {"MESH_NUMTVFACES", RTX_MESH_NUMTVFACES},
    {"MESH_TFACELIST", RTX_MESH_TFACELIST},
    {"MESH_TFACE", RTX_MESH_TFACE},
    {"MESH_SMOOTHING", RTX_MESH_SMOOTHING},
    {"MESH_MTLID", RTX_MESH_MTLID},
    {"MESH_WEIGHTS", RTX_MESH_WEIGHTS},
    {"MESH_MAPPINGCHANNEL", RTX_MESH_MAPPINGCHANNEL},
    {"MATERIAL_REF", RTX_MATERIAL_REF},
    {"MATERIAL_DIFFUSE", RTX_MATERIAL_DIFFUSE},
    {"MATERIAL_AMBIENT", RTX_MATERIAL_AMBIENT},
    {"MATERIAL_SPECULAR", RTX_MATERIAL_SPECULAR},
    {"MATERIAL_SHINESTRENGTH", RTX_MATERIAL_SHINESTRENGTH},
    {"MATERIAL_SHINE", RTX_MATERIAL_SHINE},
    {"MATERIAL_TRANSPARENCY", RTX_MATERIAL_TRANSPARENCY},
    {"MATERIAL_TWOSIDED", RTX_MATERIAL_TWOSIDED},
    {"MATERIAL_SELFILLUM_COLOR", RTX_MATERIAL_SELFILLUM_COLOR},
    {"MATERIAL_TRANSPARENCY_TYPE", RTX_MATERIAL_TRANSPARENCY_TYPE},
    {"NUMSUBMTLS", RTX_NUMSUBMTLS},
    {"SUBMATERIAL", RTX_SUBMATERIAL},
    {"MATERIAL_ANIMATION", RTX_MATERIAL_ANIMATION},
    {"MATERIAL_ATTRIBUTE", RTX_MATERIAL_ATTRIBUTE},
    {"UVW_TILE_U", RTX_UVW_TILE_U},
    {"UVW_TILE_V", RTX_UVW_TILE_V},
    {"GROUP", RTX_GROUP},
    {"TM_ANIMATION", RTX_TM_ANIMATION},
    {"CONTROL_POS_BEZIER", RTX_CONTROL_POS_BEZIER},
    {"CONTROL_BEZIER_POS_KEY", RTX_CONTROL_BEZIER_POS_KEY},
    {"CONTROL_ROT_EULER", RTX_CONTROL_ROT_EULER},
    {"CONTROL_ROT_TCB", RTX_CONTROL_ROT_TCB},
    {"CONTROL_TCB_ROT_KEY", RTX_CONTROL_TCB_ROT_KEY},
    {"CONTROL_SCALE_BEZIER", RTX_CONTROL_SCALE_BEZIER},
    {"CONTROL_BEZIER_SCALE_KEY", RTX_CONTROL_BEZIER_SCALE_KEY},
    {"CONTROL_POS_TRACK", RTX_CONTROL_POS_BEZIER},
    {"CONTROL_ROT_TRACK", RTX_CONTROL_ROT_TCB},
    {"CONTROL_ROT_LINEAR", RTX_CONTROL_ROT_TCB},
    {"CONTROL_SCALE_TRACK", RTX_CONTROL_SCALE_BEZIER},
    {"CONTROL_POS_SAMPLE", RTX_CONTROL_POS_SAMPLE},
    {"CONTROL_ROT_SAMPLE", RTX_CONTROL_ROT_SAMPLE},
    {"CONTROL_ROT_KEY", RTX_CONTROL_ROT_SAMPLE},
    {"CONTROL_SCALE_SAMPLE", RTX_CONTROL_SCALE_SAMPLE},
    {"CONTROL_COLOR_BEZIER", RTX_CONTROL_COLOR_BEZIER},
    {"CONTROL_COLOR_LINEAR", RTX_CONTROL_COLOR_LINEAR},
    {"CONTROL_BEZIER_POINT3_KEY", RTX_CONTROL_BEZIER_POINT3_KEY},
    {"CONTROL_POINT3_KEY", RTX_CONTROL_POINT3_KEY},
    {"CONTROL_FLOAT_BEZIER", RTX_CONTROL_FLOAT_BEZIER},
    {"CONTROL_FLOAT_LINEAR", RTX_CONTROL_FLOAT_LINEAR},
    {"CONTROL_BEZIER_FLOAT_KEY", RTX_CONTROL_BEZIER_FLOAT_KEY},
    {"CONTROL_FLOAT_KEY", RTX_CONTROL_FLOAT_KEY},
    {"CAMERAOBJECT", RTX_CAMERAOBJECT},
    {"CAMERA_SETTINGS", RTX_CAMERA_SETTINGS},
    {"CAMERA_FOV", RTX_CAMERA_FOV},
    {"NODE_TM", RTX_NODE_TM},
    {"PIVOT_TM", RTX_PIVOT_TM},
    {"TM_ROW0", RTX_TM_ROW0},
    {"TM_ROW1", RTX_TM_ROW1},
    {"TM_ROW2", RTX_TM_ROW2},
    {"TM_ROW3", RTX_TM_ROW3},
    {"BONEOBJECT", RTX_BONEOBJECT},
    {"HELPEROBJECT", RTX_HELPEROBJECT},
    {"TM_POS", RTX_TM_POS},
    {"TM_SCALE", RTX_TM_SCALE},
    {"TM_ROTAXIS", RTX_TM_ROTAXIS},
    {"TM_ROTANGLE", RTX_TM_ROTANGLE},
    {"TARGET_NODE", RTX_TARGET_NODE},
    {"TARGETOBJECT", RTX_TARGETOBJECT},
    {"LIGHTOBJECT", RTX_LIGHTOBJECT},
    {"LIGHT_SETTINGS", RTX_LIGHT_SETTINGS},
    {"LIGHT_COLOR", RTX_LIGHT_COLOR},
    {"LIGHT_INTENS", RTX_LIGHT_INTENS},
    {"LIGHT_ASPECT", RTX_LIGHT_ASPECT},
    {"LIGHT_HOTSPOT", RTX_LIGHT_HOTSPOT},
    {"LIGHT_FALLOFF", RTX_LIGHT_FALLOFF},
    {"LIGHT_TDIST", RTX_LIGHT_TDIST},
    {"LIGHT_USELIGHT", RTX_LIGHT_USELIGHT},
    {"LIGHT_TYPE", RTX_LIGHT_TYPE},
    {"LIGHT_ATTNSTART", RTX_LIGHT_ATTNSTART},
    {"LIGHT_ATTNEND", RTX_LIGHT_ATTNEND},
    {"LIGHT_USEATTN", RTX_LIGHT_USEATTN},
    {"MESH_INIT_TM", RTX_MESH_INIT_TM},
    {"BONE_WEIGHT", RTX_BONE_WEIGHT},
    {"BONE_NAME", RTX_BONE_NAME},
    {"BONE_INIT_TM", RTX_BONE_INIT_TM},
    {"INDEX_WEIGHT", RTX_INDEX_WEIGHT},
    {"ATMOSPHERIC", RTX_ATMOSPHERIC},
    {"STDFOG", RTX_STDFOG},
    {"FOG_COLOR", RTX_FOG_COLOR},
    {"FOG_NEAR", RTX_FOG_NEAR},
    {"FOG_FAR", RTX_FOG_FAR},
    {"FOG_DENSITY", RTX_FOG_DENSITY},
    {"WIREFRAME_COLOR", RTX_WIREFRAME_COLOR},
    {"3DSMAX_RTXEXPORT", RTX_EXPORT_HEADER},
};

// A word ends before these, as keywords and word arguments do.
bool EndsWord(unsigned char c) { return c < 33 || c == '{' || c == '}' || c == '"' || c == ',' || c == '='; }

}  // namespace

int32_t RTXScanner::Lookup(const char* word)
{
    // Sorted once; the scanner looks up every keyword of a file.
    static const std::array<Spelling, kTableSize> sorted = [] {
        std::array<Spelling, kTableSize> s;
        std::copy(std::begin(kTable), std::end(kTable), s.begin());
        std::sort(s.begin(), s.end(), [](const Spelling& a, const Spelling& b) { return std::strcmp(a.word, b.word) < 0; });
        return s;
    }();
    auto it = std::lower_bound(sorted.begin(), sorted.end(), word,
                               [](const Spelling& s, const char* w) { return std::strcmp(s.word, w) < 0; });
    return it != sorted.end() && std::strcmp(it->word, word) == 0 ? it->id : RTX_UNKNOWN;
}

int32_t RTXScanner::ReadWordChars()
{
    int32_t length = 0;
    m_Word[0] = 0;
    while (!m_Reader.IsEndOfFile() && !EndsWord(static_cast<unsigned char>(m_Reader.PeekChar()))) {
        if (length >= TextDataFileReader::kMaxTokenLength)
            m_Reader.Error("String too long (>127)");
        m_Word[length++] = m_Reader.ReadChar();
        m_Word[length] = 0;
    }
    return length;
}

int32_t RTXScanner::NextKeyword()
{
    int32_t depth = 0;
    while (!m_Reader.IsEndOfFile()) {
        const char c = m_Reader.ReadChar();
        if (c == '{') {
            depth++;
        } else if (c == '}') {
            if (depth == 0)
                return RTX_END_OF_BLOCK;
            depth--;
        } else if (c == '*' && depth == 0) {
            ReadWordChars();
            for (char* p = m_Word; *p; p++)
                if (*p >= 'a' && *p <= 'z')
                    *p = char(*p - 'a' + 'A');
            return Lookup(m_Word);
        }
    }
    return RTX_END_OF_FILE;
}

bool RTXScanner::OpenBlock()
{
    return m_Reader.FindChar('{', false) == 0;
}

bool RTXScanner::ReadInt(int32_t& value)
{
    char text[TextDataFileReader::kTokenSize];
    m_Reader.SkipBlanks();
    if (m_Reader.ReadNumberText(text) != 0)
        return false;
    const double v = std::round(TextDataFileReader::ConvertDecimal(text));
    value = TextDataFileReader::TruncToInt32(v);
    return true;
}

bool RTXScanner::ReadNumber(float& value)
{
    m_Reader.SkipBlanks();
    if (ReadWordChars() == 0)
        return false;
    value = TextDataFileReader::ToFloat(m_Reader.ReadConstValue(m_Word));
    return true;
}

bool RTXScanner::ReadNumbers(float* values, int32_t count)
{
    for (int32_t i = 0; i < count; i++) {
        if (!ReadNumber(values[i]))
            return false;
        m_Reader.SkipBlanks();
        if (m_Reader.PeekChar() == ',')
            m_Reader.ReadChar();
    }
    return true;
}

bool RTXScanner::ReadQuotedString(String& text)
{
    return m_Reader.ReadQuotedString(text) == 0;
}

bool RTXScanner::ReadQuotedText(String& text)
{
    char buffer[TextDataFileReader::kTokenSize];
    if (m_Reader.ReadQuotedText(buffer) != 0)
        return false;
    text = buffer;
    return true;
}

bool RTXScanner::ReadWord(String& word)
{
    m_Reader.SkipBlanks();
    ReadWordChars();
    word = m_Word;
    return m_Word[0] != 0;
}
