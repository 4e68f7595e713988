// SciFiGameCtrl: construction, the loading of the game's item definitions and the names of its
// equipment slots.
#include "scifi/SciFiGameCtrl.h"

#include "base/File.h"
#include "base/Log.h"
#include "game/scriptfuncs/ScriptGame.h"

namespace {

const char* const kItemsFile = "cfg\\items.cfg";

struct EquipmentName {
    const char* name;
    int16_t code;
};

const EquipmentName kEquipmentTypes[] = {
    {"all", 100},           {"none", -1},           {"weapon", 0},          {"head", 1},
    {"body", 2},            {"potion1", 102},       {"potion2", 103},       {"weapon_socket", 200},
    {"head_socket", 201},   {"body_socket", 202},   {"gold", 101},
};

}  // namespace

SciFiGameCtrl::SciFiGameCtrl()
{
    CopyName32(this, "SciFiGameCtrl");
    ScriptGame::Install(*this);  // every script module of the world reaches the built-ins
}

SciFiGameCtrl::~SciFiGameCtrl() = default;

void SciFiGameCtrl::LoadGeneralItems()
{
    int64_t size = -1;
    File file;
    if (file.Open(kItemsFile, true, 0, false))
        size = file.GetSize();
    file.Close();
    if (!m_ItemTable.empty() && size == m_ItemsFileSize)
        return;
    ShowLoadingProgress(76.0f, 0, 1.0f, 1);
    m_ItemTable.clear();
    m_ItemImages.clear();
    m_ItemReader.SetDescKey("desc");
    if (m_ItemReader.Load(kItemsFile) != 0)
        Error("%s", m_ItemReader.GetErrorText());
    Log::Write("item.cfg files loaded");

    // Every record exists before the first is read, so that base items are found by name.
    const int32_t count = m_ItemReader.GetNumEntries();
    m_ItemTable.resize(size_t(count));
    for (std::shared_ptr<ItemBase>& item : m_ItemTable)
        item.reset(CreateItem());
    ShowLoadingProgress(88.0f, 0, 1.0f, 1);
    // A faulty entry ends the load with an error; no half-read table stays behind.
    struct DropOnError {
        std::vector<std::shared_ptr<ItemBase>>& table;
        bool done = false;
        ~DropOnError()
        {
            if (!done)
                table.clear();
        }
    } guard{m_ItemTable};
    for (int32_t entry = 0; entry < count; ++entry)
        LoadItems(m_ItemReader, entry, *m_ItemTable[size_t(entry)], true);
    guard.done = true;
    m_ItemsFileSize = size;
    Log::Write("General Items loaded");
}

int16_t SciFiGameCtrl::GetEquipmentType(const String& name, bool report)
{
    for (const EquipmentName& type : kEquipmentTypes)
        if (name.EqualsNoCase(type.name))
            return type.code;
    if (report)
        Error("Unknown equipment type: '%s'", name.c_str());
    return -1;
}
