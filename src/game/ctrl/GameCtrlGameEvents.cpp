// GameCtrl: game functions applied to values, the level's monster level, the damage game event,
// typed commands with their history and difficulty names.
#include "game/ctrl/GameCtrl.h"

#include "world/WorldElem.h"
#include "world/WorldEventPayloads.h"

#include <cmath>

float GameCtrl::ApplyGameFunction(float value, const char* name, WorldElem* element)
{
    const GameFunction* function = FindGameFunction(name);
    if (!function || !element)
        return value;
    float x = 0.0f;
    switch (function->attribute) {
    case GameFunction::kLevel:
        x = float(element->GetLevel());
        break;
    case GameFunction::kXP: {
        const CreatureObj* creature = element->IsCreature() ? dynamic_cast<CreatureObj*>(element) : nullptr;
        if (!creature)
            return value;
        x = creature->m_Experience;
        break;
    }
    case GameFunction::kMonsterLevel:
        x = float(GetMonsterLevel(0.5f));
        break;
    default:  // "might" and "none" name nothing of an element
        return value;
    }
    const float y = function->GetValue(x);
    return function->attributeOperation == GameFunction::kAdd ? y + value : y * value;
}

float GameCtrl::ApplyGameFunctionFor(float value, const char* name, const float* parameter)
{
    (void)name;
    (void)parameter;
    return value;
}

// Halves go away from zero.
int32_t GameCtrl::GetMonsterLevel(float fraction)
{
    const float d = float(m_MonsterLevelMax - m_MonsterLevelMin) * fraction;
    int32_t level = m_MonsterLevelMin + int32_t(d >= 0.0f ? d + 0.5f : d - 0.5f);
    if (m_AddHeroLevelToMonsterLevel) {
        if (CreatureObj* hero = GetMainChar())
            level += hero->GetLevel();
    }
    return level;
}

const char* GameCtrl::DifficultyName(int32_t difficulty)
{
    switch (difficulty) {
    case 1: return "easy";
    case 2: return "normal";
    case 3: return "hard";
    default: return "unknown";
    }
}

// The two values are the origin of the damage as the posters give it (a position in whole units);
// they travel along unchanged too.
void GameCtrl::AddDamageEvent(int32_t targetID, int32_t sourceID, const DamageValues* damage, int32_t a, int32_t b,
                              const D3DXVECTOR2& direction)
{
    DamageEventRecord record;
    record.target.Set(m_World.GetObjNoCheck(targetID, false));
    record.causerID = sourceID;
    if (WorldElem* causer = m_World.GetObjNoCheck(sourceID, false))
        record.causer.Set(causer);
    if (damage)
        damage->FillImage(record.damage);
    record.origin[0] = float(a);
    record.origin[1] = float(b);
    record.values[0] = a;
    record.values[1] = b;
    const float length = std::sqrt(direction.x * direction.x + direction.y * direction.y);
    if (length > 0.0f) {
        record.direction[0] = direction.x / length;
        record.direction[1] = direction.y / length;
    }
    WorldEvent event;
    record.Write(event);
    AddGameEvent(&event);
}

// The debug-use counter starts at 0 for the command: only what the command itself calls marks
// the game as played with the console.
void GameCtrl::RunCommand(const char* text)
{
    if (!text)
        return;
    m_BuiltinCallCount = 0;
    const bool own = text[0] == '@';
    m_World.RunScript(String(text + (own ? 1 : 0)), nullptr, 1, 0, "Console", 1, own ? 1 : 2);
    *m_ConsoleHistory.GetBySlot(m_ConsoleHistory.Add()) = text;
    m_ConsoleHistoryCursor = 0;
    if (m_BuiltinCallCount > 0)
        m_ConsoleUsed = 1;
}

void GameCtrl::SetMonsterLevelRange(int32_t minimum, int32_t maximum, uint8_t addHeroLevel)
{
    m_MonsterLevelMin = minimum;
    m_MonsterLevelMax = maximum;
    m_AddHeroLevelToMonsterLevel = addHeroLevel;
}
