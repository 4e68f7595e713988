// GameCtrl: the name tables of the game data files (attachment points, object types) and the
// world-object kind of an entry.
#include "game/ctrl/GameCtrl.h"
#include "level/WorldElemKind.h"

#include <cstddef>

namespace {

struct NameCode {
    const char* name;
    int32_t code;
};

// Codes 6, 9, 10, 21 and 23 have no name.
const NameCode kAttachPoints[] = {
    {"none", 0},        {"head", 1},        {"neck", 2},         {"pelvis", 3},      {"shoulder_r", 4},
    {"shoulder_l", 5},  {"hand_r", 7},      {"hand_l", 8},       {"upperarm_r", 11}, {"upperarm_l", 12},
    {"forearm_r", 13},  {"forearm_l", 14},  {"thigh_r", 15},     {"thigh_l", 16},    {"calf_r", 17},
    {"calf_l", 18},     {"finger_r", 19},   {"finger_l", 20},    {"staff", 22},      {"hand", 24},
    {"shoulder", 25},   {"upperarm", 26},   {"forearm", 27},     {"thigh", 28},      {"calf", 29},
    {"finger", 30},
};

// Code 5 has no name.
const NameCode kObjectTypes[] = {
    {"Character", 1}, {"Monster", 2}, {"BigChest", 3}, {"SmallChest", 4}, {"MainChar", 6},
    {"Trade", 7},     {"Lever", 8},   {"none", 9},     {"riddle", 10},
};

template <size_t N>
const NameCode* FindName(const NameCode (&table)[N], const String& text)
{
    for (const NameCode& row : table)
        if (text.EqualsNoCase(row.name))
            return &row;
    return nullptr;
}

}  // namespace

int32_t GameCtrl::ParseAttachPoint(const String& text)
{
    const NameCode* row = FindName(kAttachPoints, text);
    if (!row)
        Error("Unknown body part: '%s'", text.c_str());
    return row->code;
}

int32_t GameCtrl::ParseObjectType(const String& text)
{
    const NameCode* row = FindName(kObjectTypes, text);
    return row ? row->code : 0;
}

int32_t GameCtrl::ReadItemType(int32_t entry)
{
    String type;
    if (m_WorldObjectReader.GetString("type", type, entry) != ConfigFileReader::kFound)
        Error("Item nr %i without 'type' entry", entry);
    return ParseWorldElemKind(type.c_str());
}
