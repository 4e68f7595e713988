// GameCtrl: the script events that the controller raises itself (entering a level, a hero's
// level-up, an inventory transfer, the use of an element, a script for a player) and the script
// warning and message operations.
#include "game/ctrl/GameCtrl.h"

#include "world/ScriptReaderGameEngine.h"
#include "world/WorldElem.h"

#include <cstdarg>
#include <cstdio>

namespace {

// The object variables saved for an event and given back on every way out of it, a failing
// script included, so that later events still run. A save refused as nested throws before the
// scope exists and so restores nothing.
class ObjVariablesScope {
public:
    explicit ObjVariablesScope(GameCtrl& ctrl) : m_Ctrl(ctrl) { m_Ctrl.SaveObjScriptVariables(); }
    ~ObjVariablesScope()
    {
        if (m_Ctrl.GetObjScriptVariablesSaveCount() == 1)
            m_Ctrl.RestoreObjScriptVariables();
    }
    ObjVariablesScope(const ObjVariablesScope&) = delete;
    ObjVariablesScope& operator=(const ObjVariablesScope&) = delete;

private:
    GameCtrl& m_Ctrl;
};

int32_t OwnerID(Inventory* inventory)
{
    WorldElem* owner = inventory ? inventory->GetOwner() : nullptr;
    return owner ? owner->m_ObjID : -1;
}

bool HasText(const String& text) { return !text.IsEmpty(); }

}  // namespace

void GameCtrl::RunLevelEnterScript(WorldElem* element)
{
    if (!HasText(m_LevelEnterScript))
        return;
    ObjVariablesScope saved(*this);
    WorldElem* loaded = m_LevelElement.Get();
    SetObjScriptVariable(1, loaded ? loaded->m_ObjID : -1);
    m_World.RunScript(m_LevelEnterScript, element, 1, 1, "level.cfg:onEnter", 1, ScriptReaderGameEngine::kNoRunFlags);
}

// Only entry 1 changes here, so it alone is given back.
void GameCtrl::OnHeroLevelUp(int32_t level)
{
    CreatureObj* hero = GetMainChar();
    if (!hero)
        return;
    hero->OnWeaponEffectChanged(0);
    if (!HasText(m_Settings.onHeroLevelUp))
        return;
    const int32_t old = GetObjScriptVariable(1);
    SetObjScriptVariable(1, level);
    m_World.RunInlineScript(m_Settings.onHeroLevelUp.c_str(), hero, 0.0f, 1, "OnHeroLevelUp",
                            ScriptReaderGameEngine::kNoRunFlags);
    SetObjScriptVariable(1, old);
}

void GameCtrl::TransferInventoryItem(ItemBase* item, Inventory* from, Inventory* to, int32_t count,
                                     WorldElem* element)
{
    ObjVariablesScope saved(*this);
    WorldElem* source = from ? from->GetOwner() : nullptr;
    WorldElem* target = to ? to->GetOwner() : nullptr;

    if (item && HasText(item->m_OnTransfer)) {
        SetObjScriptVariable(0, OwnerID(from));
        SetObjScriptVariable(1, OwnerID(to));
        SetObjScriptVariable(2, count);
        WorldElem* created = nullptr;
        if (!element) {
            m_World.SuspendInitScripts();
            WorldElemGridBase* made = nullptr;
            try {
                made = CreateWorldObject(item->m_ObjID.c_str(), 0.0f, 0.0f, 0.0f, 0.0f);
            } catch (...) {
                m_World.ResumeInitScripts();
                throw;
            }
            m_World.ResumeInitScripts();
            created = dynamic_cast<WorldElem*>(made);
            if (!created || !created->IsActiveType())
                Error("Tried to transfer none WorldElem item");
            created->m_LinkedItem = item;
            created->m_LinkFlag = 1;
            element = created;
        }
        SetObjScriptVariable(3, element->m_ObjID);
        // The element made here stands for the item only while its script runs.
        struct CreatedScope {
            WorldCtrl& world;
            WorldElem* elem;
            ~CreatedScope()
            {
                if (!elem)
                    return;
                elem->m_LinkedItem = nullptr;
                elem->m_LinkFlag = 0;
                world.DelObj(elem->m_ObjID, 1);
            }
        } createdScope{m_World, created};
        m_World.RunScript(item->m_OnTransfer, element, 1, 0, "onTransfer", 1, 2);
    }
    RunInventoryTransferScript(source, OwnerID(to), -count);
    RunInventoryTransferScript(target, OwnerID(from), count);
}

// The owner's "OnInventoryTransfer" text is the first of its further texts, saved with it.
void GameCtrl::RunInventoryTransferScript(WorldElem* owner, int32_t otherID, int32_t count)
{
    if (!owner || !HasText(owner->m_MoreTexts[0]))
        return;
    SetObjScriptVariable(1, otherID);
    SetObjScriptVariable(2, count);
    m_World.RunInlineScript(owner->m_MoreTexts[0].c_str(), owner, 0.0f, 1, "OnInventoryTransfer",
                            ScriptReaderGameEngine::kNoRunFlags);
}

bool GameCtrl::UseElement(CreatureObj* creature, int32_t argument, WorldElem* target, int32_t a, int32_t b)
{
    (void)a;
    (void)b;
    if (!creature || !target)
        return false;
    if (creature->GetInventoryItem(argument)) {
        if (target->m_TypeCode == ElemType::kItem)
            UseObject(target, creature->m_ObjID, 0);
        else if (target->m_TypeCode == ElemType::kWall)
            target->OnUse(0, creature->m_ObjID, 0);
        return true;
    }
    if ((target->m_TypeCode == ElemType::kItem || target->m_TypeCode == ElemType::kWall) && HasText(target->m_OnUse)) {
        SetObjScriptVariable(1, creature->m_ObjID);
        m_World.RunScript(target->m_OnUse, target, 1, 1, "", 1, ScriptReaderGameEngine::kNoRunFlags);
    }
    return false;
}

void GameCtrl::RunScriptForPlayer(int32_t playerID, const char* label, const char* text, int32_t flag)
{
    (void)flag;
    CreatureObj* hero = GetMainChar();
    if (!hero || hero->m_ObjID != playerID || !text)
        return;
    const ScriptReaderGameEngine* running = GetCurrentScriptModule();
    m_World.RunInlineScript(text, nullptr, 0.0f, 0, label,
                            running ? running->m_RunFlags : ScriptReaderGameEngine::kNoRunFlags);
}

// Outside a script there is no place to name: the message is warned about as it stands.
void GameCtrl::ScriptWarning(const char* format, ...)
{
    char message[1024];
    va_list args;
    va_start(args, format);
    std::vsnprintf(message, sizeof message, format, args);
    va_end(args);
    ScriptReaderGameEngine* module = GetCurrentScriptModule();
    if (!module) {
        Warning("%s", message);
        return;
    }
    Warning("Script '%s' line %i warning: %s", module->GetCurrentFileName().c_str(), module->GetCurrentLineNumber(),
            message);
}

// The log messages hold 8-bit text: what the wide text holds beyond it is lost on the way.
void GameCtrl::AddDebugMessage(const wString& text)
{
    const String narrow(text);
    m_World.AddLogMessage(wString(narrow.c_str()), 1.0f, false);
}

void GameCtrl::ShowMessage(float duration, const char* format, ...)
{
    char message[1024];
    va_list args;
    va_start(args, format);
    std::vsnprintf(message, sizeof message, format, args);
    va_end(args);
    ShowWorldMessage(wString(message), duration);
}

bool GameCtrl::IsScriptRunFlagSet()
{
    const ScriptReaderGameEngine* module = GetCurrentScriptModule();
    return module && (module->m_RunFlags & 1) != 0;
}
