// Controls: reading the controls files into the bindings, the input names, the binding queries and
// the user's own controls file.
#include "scifi/gui/Controls.h"

#include "base/ConfigFileReader.h"
#include "base/File.h"
#include "base/KeyNameTable.h"
#include "engine/gui/DXC_GuiInputText.h"
#include "engine/gui/InputState.h"
#include "engine/gui/MouseState.h"

#include <cstring>
#include <vector>

namespace {

// The controls file's key of each slot; slot 9 has none.
constexpr const char* kSlotKeys[Controls::kSlotCount] = {
    "Up", "Down", "Left", "Right", "Dodge", "AttackSwitch", "Attack1", "Attack2", "CamRotate", nullptr,
    "HealthQuickUse", "ManaQuickUse", "HighLight", "CamUp", "CamDown", "CamRaise", "CamLower", "CamCenter",
    "ScreenShot", "CharSheet", "SkillTree", "Options", "QuestLog", "Inventory", "Help", "ToggleMap",
    "Skill1", "Skill2", "Skill3", "Skill4", "Skill5", "Skill6", "Skill7", "Skill8", "Skill9", "Skill0",
    "TogglePause"};

bool IsInputHeld(const BindingInputs& in, int32_t kind, int32_t code, bool blockMouseOverGui)
{
    if (kind == KeyNameTable::kKeyboard)
        return in.keys.IsKeyDown(code);
    if (kind == KeyNameTable::kMouse)
        return in.mouse.IsButtonDown(code) && !(blockMouseOverGui && in.mouseOverWindow);
    return false;
}

bool IsInputPressed(const BindingInputs& in, int32_t kind, int32_t code)
{
    if (kind == KeyNameTable::kKeyboard)
        return in.keys.GetKeyRepeats(code) != 0;
    if (kind == KeyNameTable::kMouse)
        return in.mouse.WasButtonPressed(code) && !in.mouseOverWindow;
    return false;
}

// The default file's bytes written as the user's file; false when either file failed.
bool CopyDefaultControls()
{
    File source;
    if (!source.Open(String(Controls::kDefaultFile), true, File::kDiskFile, false))
        return false;
    const int32_t size = source.GetFileSize();
    if (size < 0)
        return false;
    std::vector<char> bytes(size_t(size) + 1);
    if (size > 0 && !source.Read(bytes.data(), size_t(size)))
        return false;
    source.Close();
    File target;
    if (!target.CreateReplacing(String(Controls::kUserFile), false))
        return false;
    return target.Write(bytes.data(), size_t(size)) && target.Commit();
}

}  // namespace

int32_t KeyBinding::IsHeld(const BindingInputs& in, bool blockMouseOverGui) const
{
    if (!in.gameInputAccepted || textInputActive)  // keys typed into a text field are not moves
        return 0;
    const bool altGr = in.keys.IsKeyDown(kRightAlt);
    bool held = false;
    if (!(primaryKind == KeyNameTable::kKeyboard && altGr))
        held = IsInputHeld(in, primaryKind, primaryCode, blockMouseOverGui);
    held = held || IsInputHeld(in, secondaryKind, secondaryCode, blockMouseOverGui);
    return held ? 1 : 0;
}

bool KeyBinding::WasPressed(const BindingInputs& in, bool allowModifiers) const
{
    if (!in.gameInputAccepted || textInputActive)
        return false;
    if (!allowModifiers) {
        for (int32_t key : {kLeftControl, kRightControl, kLeftAlt, kRightAlt})
            if (in.keys.IsKeyDown(key))
                return false;
    }
    return IsInputPressed(in, primaryKind, primaryCode) || IsInputPressed(in, secondaryKind, secondaryCode);
}

Controls::Controls() { CopyName32(this, "Controls"); }

ConfigFileReader& Controls::GetKeyNameReader()
{
    static ConfigFileReader reader;
    return reader;
}

const char* Controls::GetSlotKey(int32_t slot) { return slot >= 0 && slot < kSlotCount ? kSlotKeys[slot] : nullptr; }

bool Controls::Load(const String& fileName)
{
    ConfigFileReader reader;
    try {
        if (reader.Load(fileName.c_str(), true) != 0)
            return true;
    } catch (const ErrorMsg&) {
        return true;  // reported; a broken controls file is one that cannot be loaded
    }
    if (!(m_FileName == fileName))
        m_FileName = fileName;
    for (int32_t slot = 0; slot < kSlotCount; slot++)
        if (const char* key = kSlotKeys[slot])
            ReadBinding(reader, key, m_Bindings[slot]);
    reader.Clear();
    return false;
}

bool Controls::ReadBinding(ConfigFileReader& reader, const char* keyName, KeyBinding& binding)
{
    String value;
    reader.GetString(keyName, value);  // missing: the empty value, which unbinds the primary input
    bool known = false;
    const char* text = value.c_str();
    if (const char* blank = value.IsEmpty() ? nullptr : std::strchr(text, ' ')) {
        const bool first = ParseKeyName(String(text, int32_t(blank - text)), binding.primaryKind, binding.primaryCode);
        const bool second = ParseKeyName(String(blank + 1), binding.secondaryKind, binding.secondaryCode);
        known = first && second;
    } else {
        known = ParseKeyName(value, binding.primaryKind, binding.primaryCode);
    }
    if (!known)
        reader.Warning("Invalid keyboard code entry '%s' in file '%s'", keyName, reader.GetFileName());
    return known;
}

bool Controls::ParseKeyName(const String& name, int32_t& kind, int32_t& code)
{
    int32_t foundKind = 0;
    int32_t foundCode = 0;
    if (!KeyNameTable::FindByName(name.c_str(), foundKind, foundCode))
        return false;
    kind = foundKind;
    code = foundCode;
    return true;
}

String Controls::GetKeyName(int32_t kind, int32_t code)
{
    String name;
    KeyNameTable::FindByCode(kind, code, name);
    return name;
}

void LoadUserControls(Controls& controls)
{
    if (File::Exists(Controls::kUserFile) && !controls.Load(String(Controls::kUserFile)))
        return;
    CopyDefaultControls();  // a file that cannot be written has been warned of by the file layer
    controls.Load(String(Controls::kUserFile));
}
