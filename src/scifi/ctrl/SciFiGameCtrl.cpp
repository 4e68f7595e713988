// SciFiGameCtrl: construction, the loading of the game's item definitions, the names of its
// equipment slots, and its answers on the pointer and on multiplayer games.
#include "scifi/ctrl/SciFiGameCtrl.h"

#include "base/File.h"
#include "base/Log.h"
#include "game/scriptfuncs/ScriptGame.h"
#include "scifi/ctrl/SciFiRules.h"
#include "world/WorldCtrl.h"

#include <algorithm>

namespace {

const char* const kItemsFile = "cfg\\items.cfg";

// Per attribute, the weights of the item value and item power functions (both start alike).
const float kStartItemWeights[SciFiGameCtrl::kItemWeights] = {33.0f, 25.0f, 25.0f, 200.0f, 25.0f, 25.0f,
                                                         25.0f, 40.0f, 25.0f, 25.0f,  25.0f, 0.5f,
                                                         1.0f,  25.0f, 200.0f, 25.0f, 200.0f, 200.0f};

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

// The members hold their initial values by now; the steps after them keep their order.
SciFiGameCtrl::SciFiGameCtrl()
{
    std::copy(std::begin(kStartItemWeights), std::end(kStartItemWeights), m_ItemValueWeights);
    std::copy(std::begin(kStartItemWeights), std::end(kStartItemWeights), m_ItemPowerWeights);
    CopyName32(this, "SciFiGameCtrl");
    // The one controller of the program: its rules start from their defaults.
    g_SciFiRules = SciFiRules();

    std::fill(std::begin(m_QuickSlots), std::end(m_QuickSlots), nullptr);
    GetSettings().compressSavegames = 1;
    m_ControlType = 1;
    m_AllowMoveAndAttack = false;
    m_World.SetEntryTableSize(kWorldEntryTable);
    WorldCtrl::SetMaxMoveSubSteps(kMaxMoveSubSteps);
    m_CameraYaw = 0.0f;
    m_CameraPitch = 0.7853982f;
    m_ClickTolerance = 20.0f;
    m_PointerItemShown = false;
    m_HighlightAttackTarget = false;
    m_MultiplayerGame = false;
    m_ScreenshotPrefix = "Korva_scrshot";

    // The game's windows are made closed and stay so until the client sets its GUI up.
    DXC_GuiField* plainFields[] = {&m_OverlayField, &m_TextViewer, &m_MenuScreens.frame};
    for (DXC_GuiField* field : plainFields)
        field->SetOpenState(false);

    ScriptGame::Install(*this);  // every script module of the world reaches the built-ins
    g_GameCtrl = this;
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

bool SciFiGameCtrl::GetMousePosition(D3DXVECTOR2& position)
{
    (void)position;
    return false;
}

bool SciFiGameCtrl::IsMultiplayerGame(bool flagOnly) const
{
    if (m_MultiplayerGame || flagOnly)
        return m_MultiplayerGame;
    // The connection test only reads; the engine declares it without const.
    return const_cast<SciFiGameCtrl*>(this)->IsNetworkGame();
}
