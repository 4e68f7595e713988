// SciFiGameCtrl: the skill table read from "cfg\skills.cfg" and the classes' skill files, the
// quick slots, learning skills by name, the three mouse-button skills and the skills' info texts.
#include "scifi/ctrl/SciFiGameCtrl.h"

#include "base/LocalText.h"
#include "script/ScriptValue.h"
#include "scifi/input/SciFiInputCtrl.h"
#include "scifi/objects/CreatureObj_SF.h"

#include <string>

namespace {

const char* const kSkillsFile = "cfg\\skills.cfg";
const char* const kSkillQuery = "SELECT content, info FROM Skills WHERE id='%s'";
// A phrase that names itself would expand for ever; real texts need a handful.
constexpr int32_t kMaxPhraseExpansions = 64;

// The player input controller that drives the creature, or null.
SciFiInputCtrl* InputOf(CreatureObj* creature)
{
    return creature ? dynamic_cast<SciFiInputCtrl*>(creature->m_InputCtrl) : nullptr;
}

// Every "<open>key)" of the text, from its start each time, becomes the column of the key's row
// of "SkillsSpecific"; an opening without its ")" stays.
void ExpandPhrases(GameCtrl& ctrl, std::u16string& text, const std::u16string& open, const char* column,
                   int32_t& expansions)
{
    while (expansions < kMaxPhraseExpansions) {
        const size_t start = text.find(open);
        if (start == std::u16string::npos)
            return;
        const size_t close = text.find(u')', start + open.size());
        if (close == std::u16string::npos)
            return;
        std::u16string key = u"DB:" + text.substr(start + open.size(), close - start - open.size());
        wString field(key.c_str());
        ctrl.DBGetField(field, "SkillsSpecific", column);
        text.replace(start, close + 1 - start, field.c_str());
        expansions++;
    }
}

}  // namespace

SkillTreeEntry* SciFiGameCtrl::FindSkill(const String& name)
{
    return name.IsEmpty() ? nullptr : m_Skills.Find(name);
}

// A table item of the name comes first, as for any item influence.
ItemBase* SciFiGameCtrl::FindInfluenceItem(const char* name)
{
    if (ItemBase* item = FindItem(name, false))
        return item;
    SkillTreeEntry* skill = FindSkill(String(name));
    return skill ? &skill->item : nullptr;
}

void SciFiGameCtrl::SetQuickSlot(int32_t slot, SkillTreeEntry* skill)
{
    if (slot < 0 || slot >= kQuickSlots)
        return;
    if (m_QuickSlots[slot])
        m_QuickSlots[slot]->quickSlot = -1;
    m_QuickSlots[slot] = nullptr;
    if (!skill)
        return;
    if (skill->quickSlot >= 0 && skill->quickSlot < kQuickSlots)
        m_QuickSlots[skill->quickSlot] = nullptr;
    m_QuickSlots[slot] = skill;
    skill->quickSlot = slot;
}

void SciFiGameCtrl::LoadSkills()
{
    // The slots and buttons point at records of the table that is about to go.
    for (SkillTreeEntry*& slot : m_QuickSlots)
        slot = nullptr;
    for (SkillTreeEntry*& shown : m_ShownSkills)
        shown = nullptr;
    for (int32_t n = 0; n < GetNumInputCtrls(); n++)
        if (auto* input = dynamic_cast<SciFiInputCtrl*>(GetInputCtrl(n)))
            for (int32_t slot : {1, 3, 2})
                input->SetSkillSlot(slot, nullptr, false);

    ConfigFileReader reader;
    reader.SetDescKey("desc");
    reader.SetConstantTable(&GetConstants());
    if (reader.Load(kSkillsFile) != 0)
        Error("%s", reader.GetErrorText());
    // A hosting server reads every class's skills, since each joining player may bring another
    // class; anyone else only those of its own player's class (class n is main character n). A
    // game whose player has no class yet cannot tell which it will be, so it reads them all too.
    DynaMem<MainCharacterProperty, 10>& classes = GetMainCharacters();
    const int32_t ownClass = GetPlayerCharacterEntry(0).characterClass;
    const bool everyClass = IsListening() || ownClass < 0;
    for (int32_t position = 0; position < classes.GetSize(); position++) {
        const MainCharacterProperty* character = classes.GetAt(position);
        if (!character || character->skillsFile.IsEmpty() || (!everyClass && position + 1 != ownClass))
            continue;
        if (reader.Append(character->skillsFile.c_str(), true) != 0)
            Error("%s", reader.GetErrorText());
    }

    m_Skills.Clear();
    const int32_t count = reader.GetNumEntries();
    for (int32_t entry = 0; entry < count; entry++) {
        const String desc = reader.GetDescOfEntry(entry);
        if (desc.IsEmpty())
            continue;
        SkillTreeEntry* skill = m_Skills.Insert(desc);
        ReadSkillEntry(reader, entry, skill ? *skill : *m_Skills.Find(desc));
    }

    m_Skills.ResetWalk();
    while (SkillTreeEntry* skill = m_Skills.GetNext()) {
        for (int32_t n = 0; n < SkillTreeEntry::kRequiredSkills; n++) {
            const String& required = skill->requiredSkills[n];
            if (required.IsEmpty())
                continue;
            if (reader.FindEntryByDesc(required.c_str()) < 0)
                Error("Unknown skill entry reference '%s' in entry '%s'", required.c_str(), skill->name.c_str());
            skill->requiredRecords[n] = FindSkill(required);
        }
        // A chain that loops or runs past ten links is refused now, not in the middle of a frame.
        const SkillTreeEntry* current = skill;
        for (int32_t step = 1; !current->nextLevelSkill.IsEmpty(); step++) {
            if (step > SkillTreeEntry::kMaxChainSteps || current->nextLevelSkill == current->name)
                Error("NextLevelSkill loop in skill: %s", current->name.c_str());
            current = FindSkill(current->nextLevelSkill);
            if (!current)
                break;
        }
    }

    reader.GetInt("AdvancePointsSkillPerLevel", m_AdvancePointsSkillPerLevel);
    reader.GetInt("AdvancePointsAttribPerLevel", m_AdvancePointsAttribPerLevel);
    reader.GetFloat("AdvanceGainHitpoint", m_AdvanceGainHitpoint);
    reader.GetFloat("AdvanceGainMana", m_AdvanceGainMana);
    reader.GetFloat("AdvanceGainShield", m_AdvanceGainShield);

    AssignDefaultSkillButtons();
}

// One entry's keys, in the order the game reads them; missing keys leave the record's values.
void SciFiGameCtrl::ReadSkillEntry(ConfigFileReader& reader, int32_t entry, SkillTreeEntry& skill)
{
    skill.name = reader.GetDescOfEntry(entry);
    const String& desc = skill.name;
    reader.GetInt("ID", skill.id, entry);

    String nameValue;
    String key("DB:");
    if (reader.GetString("name", nameValue, entry) != ConfigFileReader::kFound)
        key += desc;
    else if (nameValue.StartsWithNoCase("DB:"))
        key = nameValue;
    else
        key += nameValue;
    DBRows rows;
    const int32_t found = LocalText::Get().Query(key.c_str(), rows, kSkillQuery);
    if (found == 1 && rows.GetSize() == 2) {
        for (int32_t column = 0; column < rows.GetSize(); column++)
            if (const DBEntry* field = rows.GetAt(column)) {
                if (field->name == "content")
                    skill.displayName = field->text;
                else if (field->name == "info")
                    skill.info = field->text;
            }
    } else {
        const DBEntry* first = rows.GetAt(0);
        skill.displayName = found == 1 && first ? first->text : wString(nameValue.c_str());
        String info;
        reader.GetString("info", info, entry);
        skill.info = wString(info.c_str());
    }

    reader.GetString("InfoScript", skill.infoScript, entry);
    for (int32_t n = 0; n < SkillTreeEntry::kRequiredSkills; n++) {
        reader.GetString("RequSkill", skill.requiredSkills[n], entry, n + 1);
        reader.GetString("DisallowSkill", skill.disallowedSkills[n], entry, n + 1);
    }
    if (reader.GetInt("RequireLogic", skill.requireLogic, entry) != ConfigFileReader::kFound)
        skill.requireLogic = 1;
    reader.GetString("NextLevelSkill", skill.nextLevelSkill, entry);
    reader.GetInt("SkillLevel", skill.skillLevel, entry);
    reader.GetInt("RequLevel", skill.requiredLevel, entry);
    reader.GetBool("learned", skill.learnedConfigured, entry);
    skill.learned = skill.learnedConfigured;
    reader.GetInt("AdvanceCost", skill.advanceCost, entry);
    reader.GetString("SkillIcon", skill.iconName, entry);
    reader.GetIntPair("IconGuiPos", skill.iconPos, entry);
    reader.GetString("damDealFactorScript", skill.damageDealFactorScript, entry);
    reader.GetString("damReceiveFactorScript", skill.damageReceiveFactorScript, entry);
    reader.GetString("damWeaponFactorScript", skill.weaponDamageFactorScript, entry);
    String strategy;
    reader.GetString("strategy", strategy, entry);
    reader.GetString("UpdateScript", skill.updateScript, entry);
    reader.GetFloat("UpdateScriptInterval", skill.updateScriptInterval, entry);
    reader.GetBool("HighlightDeadMonsters", skill.highlightDeadMonsters, entry);
    reader.GetInt("TargetMode", skill.targetMode, entry);
    reader.GetInt("TargetFilter", skill.targetFilter, entry);
    if (reader.GetInt("WeaponStrategy", skill.weaponStrategy, entry) == ConfigFileReader::kFound)
        skill.weaponStrategy--;
    String type;
    reader.GetString("type", type, entry);
    if (type.EqualsNoCase("active"))
        skill.kind = SkillTreeEntry::kKindActive;
    else if (type.EqualsNoCase("defensive"))
        skill.kind = SkillTreeEntry::kKindDefensive;
    else if (type.EqualsNoCase("offensive"))
        skill.kind = SkillTreeEntry::kKindOffensive;
    skill.strategy = strategy.IsEmpty() ? nullptr : GetWorld().FindStrategyEntry(strategy.c_str(), true);
    // Icons are the client's pictures: the server loads none.
    for (int32_t n = 0; n < SkillTreeEntry::kEffectLists; n++) {
        String prefix;
        prefix.Format("Effect%i_", int(n + 1));
        ReadVisualEffectList(prefix.c_str(), skill.visualEffects[n], reader, entry);
    }
    reader.GetBool("NoSkill", skill.noSkill, entry);
    if (skill.noSkill)
        skill.iconPos[0] = skill.iconPos[1] = -1;
    // Not a table item: a skill entry carries only the item keys it needs. Named after its
    // skill, so that a saved skill effect finds it again.
    skill.item.m_Desc = skill.name;
    LoadItems(reader, entry, skill.item, false);
}

void SciFiGameCtrl::LearnSkill(const String& name, bool payCost, int32_t unused, bool refresh)
{
    (void)unused;
    bool kindLearned[4] = {false, false, false, false};
    m_Skills.ResetWalk();
    while (SkillTreeEntry* skill = m_Skills.GetNext()) {
        if (skill->learned && !skill->noSkill && skill->kind >= 1 && skill->kind <= 3)
            kindLearned[skill->kind] = true;
        if (kindLearned[1] && kindLearned[2] && kindLearned[3])
            break;
    }
    if (name.EqualsNoCase("all")) {
        m_Skills.ResetWalk();
        while (SkillTreeEntry* skill = m_Skills.GetNext())
            skill->learned = true;
    } else {
        SkillTreeEntry* skill = FindSkill(name);
        if (!skill)
            Error("Skill with name '%s' does not exist", name.c_str());
        if (skill->learned)
            return;
        if (payCost) {
            auto* hero = dynamic_cast<CreatureObj_SF*>(GetMainChar());
            if (!hero || !hero->SpendSkillPoints(skill->advanceCost))
                return;
        }
        skill->learned = true;
        if (skill->kind >= 1 && skill->kind <= 3 && !kindLearned[skill->kind])
            SetSkillButton(skill->kind, skill);
    }
    if (refresh)
        RefreshSkillRollups();
}

void SciFiGameCtrl::SetSkillButton(int32_t button, SkillTreeEntry* skill)
{
    if (button < 1 || button > 3)
        return;
    if (!skill)
        skill = FindNoSkillEntry(button);
    if (SciFiInputCtrl* input = InputOf(GetMainChar()))
        input->SetSkillSlot(button, skill, false);
    m_ShownSkills[button - 1] = skill;
}

SkillTreeEntry* SciFiGameCtrl::FindNoSkillEntry(int32_t kind)
{
    m_Skills.ResetWalk();
    while (SkillTreeEntry* skill = m_Skills.GetNext())
        if (skill->kind == kind && skill->noSkill)
            return skill;
    return nullptr;
}

SkillTreeEntry* SciFiGameCtrl::FindSkillByID(int32_t id)
{
    if (id == -1)
        return nullptr;
    m_Skills.ResetWalk();
    while (SkillTreeEntry* skill = m_Skills.GetNext())
        if (skill->id == id)
            return skill;
    return nullptr;
}

void SciFiGameCtrl::AssignDefaultSkillButtons()
{
    SciFiInputCtrl* input = InputOf(GetMainChar());
    bool filled[4] = {true, false, false, false};
    for (int32_t button = 1; button <= 3; button++)
        filled[button] = input && input->GetSkillSlot(button, false, false);
    m_Skills.ResetWalk();
    while (!(filled[1] && filled[2] && filled[3])) {
        SkillTreeEntry* skill = m_Skills.GetNext();
        if (!skill)
            break;
        if (!skill->learned || skill->kind < 1 || skill->kind > 3 || filled[skill->kind])
            continue;
        SetSkillButton(skill->kind, skill);
        filled[skill->kind] = true;
    }
    if (!input)
        return;
    for (int32_t button = 1; button <= 3; button++)
        if (SkillTreeEntry* skill = input->GetSkillSlot(button, false, false))
            SetSkillButton(button, skill->ResolveNextLevel(*this, true, false));
}

void SciFiGameCtrl::BuildSkillInfoText(SkillTreeEntry& skill)
{
    if (skill.infoScript.IsEmpty())
        return;
    ScriptValue result;
    CallScript(result, skill.infoScript, 1, "SkillInfoScript", 0, nullptr, 255);
    std::u16string text;
    if (result.m_Type == kScriptString)
        text = wString(result.m_Text.c_str()).c_str();
    int32_t expansions = 0;
    ExpandPhrases(*this, text, u"DB_PRE(", "PreString", expansions);
    ExpandPhrases(*this, text, u"DB_POST(", "PostString", expansions);
    skill.furtherText = wString(text.c_str());
}

int32_t SciFiGameCtrl::GetSkillUseState()
{
    SkillTreeEntry* skill = GetMainCharSkill(1, true, false);
    if (skill && skill->strategy && !CanAffordStrategy(GetMainChar(), skill->strategy))
        return 2;
    return 1;
}
