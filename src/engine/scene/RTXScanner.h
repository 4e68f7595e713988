// RTXScanner: the keyword scanner of the text model export and the argument forms its blocks read.
#pragma once
#include "base/String.h"
#include "platform/D3DXMath.h"

#include <cstdint>

class TextDataFileReader;

// Keyword identities. Spellings that the exporter uses for the same controller share one identity
// ("CONTROL_POS_TRACK" is RTX_CONTROL_POS_BEZIER, "CONTROL_ROT_TRACK" and "CONTROL_ROT_LINEAR" are
// RTX_CONTROL_ROT_TCB, "CONTROL_SCALE_TRACK" is RTX_CONTROL_SCALE_BEZIER, "CONTROL_ROT_KEY" is
// RTX_CONTROL_ROT_SAMPLE).
enum RTXKeyword : int32_t {
    RTX_END_OF_FILE = -3,
    RTX_END_OF_BLOCK = -2,  // the closing brace of the block being read (consumed)
    RTX_UNKNOWN = -1,
    RTX_SCENE = 0,
    RTX_MATERIAL_LIST,
    RTX_GEOMOBJECT,
    RTX_SCENE_SOUNDFILE,
    RTX_SCENE_SCRIPTFILE,
    RTX_SCENE_BACKGROUND_STATIC,
    RTX_SCENE_AMBIENT_STATIC,
    RTX_SCENE_FIRSTFRAME,
    RTX_SCENE_LASTFRAME,
    RTX_SCENE_FRAMESPEED,
    RTX_SCENE_TICKSPERFRAME,
    RTX_SCENE_ENVMAP,
    RTX_MATERIAL_COUNT,
    RTX_MATERIAL,
    RTX_MATERIAL_NAME,
    RTX_MAP_DIFFUSE,
    RTX_MAP_REFLECT,
    RTX_MAP_SELFILLUM,
    RTX_MAP_SPECULAR,
    RTX_MAP_OPACITY,
    RTX_MAP_BUMP,
    RTX_MAP_GENERIC,
    RTX_MAP_ANIMATION,
    RTX_MAP_ATTRIBUTE,
    RTX_MAP_CLASS,
    RTX_MAP_SUBNO,
    RTX_MAP_CHANNEL,
    RTX_UVW_U_OFFSET,
    RTX_UVW_V_OFFSET,
    RTX_UVW_U_TILING,
    RTX_UVW_V_TILING,
    RTX_UVW_U_ANGLE,
    RTX_UVW_V_ANGLE,
    RTX_UVW_W_ANGLE,
    RTX_TIME_STARTFRAME,
    RTX_TIME_PLAYBACKRATE,
    RTX_TIME_ENDCONDITION,
    RTX_MAP_AMOUNT,
    RTX_BITMAP,
    RTX_NODE_NAME,
    RTX_NODE_VISIBLE,
    RTX_NODE_VISIBILITY,
    RTX_NODE_INHERIT_VISIBILITY,
    RTX_NODE_PARENT,
    RTX_MESH,
    RTX_CLONE,
    RTX_MESH_NUMVERTEX,
    RTX_MESH_NUMFACES,
    RTX_BOUNDINGBOX_MIN,
    RTX_BOUNDINGBOX_MAX,
    RTX_MESH_VERTEX_LIST,
    RTX_MESH_VERTEX,
    RTX_MESH_FACE_LIST,
    RTX_MESH_FACE,
    RTX_MESH_NUMTVERTEX,
    RTX_MESH_TVERTLIST,
    RTX_MESH_TVERT,
    RTX_MESH_NUMTVFACES,
    RTX_MESH_TFACELIST,
    RTX_MESH_TFACE,
    RTX_MESH_SMOOTHING,
    RTX_MESH_MTLID,
    RTX_MESH_WEIGHTS,
    RTX_MESH_MAPPINGCHANNEL,
    RTX_MATERIAL_REF,
    RTX_MATERIAL_DIFFUSE,
    RTX_MATERIAL_AMBIENT,
    RTX_MATERIAL_SPECULAR,
    RTX_MATERIAL_SHINESTRENGTH,
    RTX_MATERIAL_SHINE,
    RTX_MATERIAL_TRANSPARENCY,
    RTX_MATERIAL_TWOSIDED,
    RTX_MATERIAL_SELFILLUM_COLOR,
    RTX_MATERIAL_TRANSPARENCY_TYPE,
    RTX_NUMSUBMTLS,
    RTX_SUBMATERIAL,
    RTX_MATERIAL_ANIMATION,
    RTX_MATERIAL_ATTRIBUTE,
    RTX_UVW_TILE_U,
    RTX_UVW_TILE_V,
    RTX_GROUP,
    RTX_TM_ANIMATION,
    RTX_CONTROL_POS_BEZIER,
    RTX_CONTROL_BEZIER_POS_KEY,
    RTX_CONTROL_ROT_EULER,
    RTX_CONTROL_ROT_TCB,
    RTX_CONTROL_TCB_ROT_KEY,
    RTX_CONTROL_SCALE_BEZIER,
    RTX_CONTROL_BEZIER_SCALE_KEY,
    RTX_CONTROL_POS_SAMPLE,
    RTX_CONTROL_ROT_SAMPLE,
    RTX_CONTROL_SCALE_SAMPLE,
    RTX_CONTROL_COLOR_BEZIER,
    RTX_CONTROL_COLOR_LINEAR,
    RTX_CONTROL_BEZIER_POINT3_KEY,
    RTX_CONTROL_POINT3_KEY,
    RTX_CONTROL_FLOAT_BEZIER,
    RTX_CONTROL_FLOAT_LINEAR,
    RTX_CONTROL_BEZIER_FLOAT_KEY,
    RTX_CONTROL_FLOAT_KEY,
    RTX_CAMERAOBJECT,
    RTX_CAMERA_SETTINGS,
    RTX_CAMERA_FOV,
    RTX_NODE_TM,
    RTX_PIVOT_TM,
    RTX_TM_ROW0,
    RTX_TM_ROW1,
    RTX_TM_ROW2,
    RTX_TM_ROW3,
    RTX_BONEOBJECT,
    RTX_HELPEROBJECT,
    RTX_TM_POS,
    RTX_TM_SCALE,
    RTX_TM_ROTAXIS,
    RTX_TM_ROTANGLE,
    RTX_TARGET_NODE,
    RTX_TARGETOBJECT,
    RTX_LIGHTOBJECT,
    RTX_LIGHT_SETTINGS,
    RTX_LIGHT_COLOR,
    RTX_LIGHT_INTENS,
    RTX_LIGHT_ASPECT,
    RTX_LIGHT_HOTSPOT,
    RTX_LIGHT_FALLOFF,
    RTX_LIGHT_TDIST,
    RTX_LIGHT_USELIGHT,
    RTX_LIGHT_TYPE,
    RTX_LIGHT_ATTNSTART,
    RTX_LIGHT_ATTNEND,
    RTX_LIGHT_USEATTN,
    RTX_MESH_INIT_TM,
    RTX_BONE_WEIGHT,
    RTX_BONE_NAME,
    RTX_BONE_INIT_TM,
    RTX_INDEX_WEIGHT,
    RTX_ATMOSPHERIC,
    RTX_STDFOG,
    RTX_FOG_COLOR,
    RTX_FOG_NEAR,
    RTX_FOG_FAR,
    RTX_FOG_DENSITY,
    RTX_WIREFRAME_COLOR,
    RTX_EXPORT_HEADER,  // "3DSMAX_RTXEXPORT"
};

class RTXScanner {
public:
    static constexpr int32_t kTableSize = 148;  // spellings, aliases included

    explicit RTXScanner(TextDataFileReader& reader) : m_Reader(reader) {}

    // The next keyword of the block being read. Braces are counted from 0 for that block: a
    // closing brace at depth 0 ends it (RTX_END_OF_BLOCK), an asterisk at depth 0 starts a keyword,
    // everything else (arguments not read, whole blocks of keywords not handled) is passed over.
    // Knows nothing of quotes: a brace inside a skipped text counts.
    int32_t NextKeyword();
    // Enters the block that follows a keyword: reads past the next opening brace; false at the end
    // of the text.
    bool OpenBlock();

    // Arguments; each answers whether it was there. An absent integer leaves the read position on
    // the character that is no number.
    bool ReadInt(int32_t& value);  // rounded to the nearest integer
    bool ReadNumber(float& value);
    bool ReadNumbers(float* values, int32_t count);  // each optionally followed by one comma
    bool ReadVector(D3DXVECTOR3& v) { return ReadNumbers(&v.x, 3); }
    bool ReadQuotedString(String& text);  // any length
    bool ReadQuotedText(String& text);    // at most 127 characters
    bool ReadWord(String& word);          // at most 127 characters, ended as a keyword is

    // The identity of an upper-case spelling, RTX_UNKNOWN when it is not in the table.
    static int32_t Lookup(const char* word);

private:
    // Characters up to the end of a word into m_Word; an error beyond 127.
    int32_t ReadWordChars();

    TextDataFileReader& m_Reader;
    char m_Word[128] = {};
};
