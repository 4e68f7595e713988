// KeyNameTable: the 116 rows in the order the key bindings have always searched them.
// "ESC" stands twice (rows 90 and 97); lookups meet row 90 first. "NumPad%" is the keypad
// divide key. Row 112 has an empty name, rows 113 to 115 no text at all.
#include "base/KeyNameTable.h"

#include <cstring>

namespace KeyNameTable {
namespace {

constexpr KeyName kRows[kRowCount] = {
    {"A", 1, 30}, {"B", 1, 48}, {"C", 1, 46}, {"D", 1, 32}, {"E", 1, 18}, {"F", 1, 33},
    {"G", 1, 34}, {"H", 1, 35}, {"I", 1, 23}, {"J", 1, 36}, {"K", 1, 37}, {"L", 1, 38},
    {"M", 1, 50}, {"N", 1, 49}, {"O", 1, 24}, {"P", 1, 25}, {"Q", 1, 16}, {"R", 1, 19},
    {"S", 1, 31}, {"T", 1, 20}, {"U", 1, 22}, {"V", 1, 47}, {"W", 1, 17}, {"X", 1, 45},
    {"Y", 1, 21}, {"Z", 1, 44},
    {"1", 1, 2}, {"2", 1, 3}, {"3", 1, 4}, {"4", 1, 5}, {"5", 1, 6}, {"6", 1, 7},
    {"7", 1, 8}, {"8", 1, 9}, {"9", 1, 10}, {"0", 1, 11},
    {"NumPad1", 1, 79}, {"NumPad2", 1, 80}, {"NumPad3", 1, 81}, {"NumPad4", 1, 75},
    {"NumPad5", 1, 76}, {"NumPad6", 1, 77}, {"NumPad7", 1, 71}, {"NumPad8", 1, 72},
    {"NumPad9", 1, 73}, {"NumPad0", 1, 82}, {"NumPad,", 1, 83}, {"NumPadEqu", 1, 141},
    {"NumPadEnter", 1, 156}, {"NumPad*", 1, 55}, {"NumPad-", 1, 74}, {"NumPad+", 1, 78},
    {"NumPad%", 1, 181}, {"NumPadLock", 1, 69},
    {"Pause", 1, 197}, {"Scroll", 1, 70}, {"Back", 1, 14}, {"Return", 1, 28},
    {"Space", 1, 57}, {"Tab", 1, 15}, {"Up", 1, 200}, {"Down", 1, 208}, {"Left", 1, 203},
    {"Right", 1, 205}, {"RShift", 1, 54}, {"LShift", 1, 42}, {"RControl", 1, 157},
    {"LControl", 1, 29}, {"RMenu", 1, 184}, {"LMenu", 1, 56}, {"Stop", 1, 149},
    {"F1", 1, 59}, {"F2", 1, 60}, {"F3", 1, 61}, {"F4", 1, 62}, {"F5", 1, 63}, {"F6", 1, 64},
    {"F7", 1, 65}, {"F8", 1, 66}, {"F9", 1, 67}, {"F10", 1, 68}, {"F11", 1, 87}, {"F12", 1, 88},
    {"Home", 1, 199}, {"End", 1, 207}, {"Insert", 1, 210}, {"Delete", 1, 211},
    {"Next", 1, 209}, {"Prior", 1, 201}, {"SysRQ", 1, 183}, {"ESC", 1, 1},
    {"Semicolon", 1, 39}, {"Slash", 1, 53}, {"BackSlash", 1, 43}, {"Apostrophe", 1, 40},
    {"RBracket", 1, 27}, {"LBracket", 1, 26}, {"ESC", 1, 1}, {"OEM102", 1, 86},
    {"Equals", 1, 13}, {"Minus", 1, 12}, {"Comma", 1, 51}, {"Capital", 1, 58}, {"Grave", 1, 41},
    {"Mouse0", 2, 0}, {"Mouse1", 2, 1}, {"Mouse2", 2, 2}, {"Mouse3", 2, 3},
    {"Mouse4", 2, 4}, {"Mouse5", 2, 5}, {"Mouse6", 2, 6}, {"Mouse7", 2, 7},
    {"", 0, 0}, {nullptr, 0, 0}, {nullptr, 0, 0}, {nullptr, 0, 0},
};

static_assert(kRows[90].code == 1 && kRows[97].code == 1 && kRows[104].kind == kMouse);

}  // namespace

const KeyName& GetRow(int32_t row)
{
    return kRows[row < 0 ? 0 : row >= kRowCount ? kRowCount - 1 : row];
}

bool FindByName(const char* name, int32_t& kind, int32_t& code)
{
    const char* wanted = name ? name : "";
    for (const KeyName& row : kRows) {
        if (std::strcmp(row.name ? row.name : "", wanted) == 0) {
            kind = row.kind;
            code = row.code;
            return true;
        }
    }
    return false;
}

bool FindByCode(int32_t kind, int32_t code, String& name)
{
    for (const KeyName& row : kRows) {
        if (row.kind == kind && row.code == code) {
            name = row.name ? row.name : "";
            return true;
        }
    }
    name = "";
    return false;
}

}  // namespace KeyNameTable
