// CreatureStrategyData: reset, copy, the timed level and the saved form.
//
// Saved form: timed level i32, name String, strategy timer f32, second value i32, timed entry
// count i16 (bounded by the bytes left), each entry level i32 and time f32, then the strategy's
// name String (empty: none).
#include "game/objects/CreatureStrategyData.h"

#include "base/File.h"
#include "base/FileRecordReader.h"
#include "world/GameCtrlInterface.h"
#include "world/KI_Strategy.h"
#include "world/WorldCtrl.h"

#include <algorithm>

CreatureStrategyData& CreatureStrategyData::operator=(const CreatureStrategyData& other)
{
    if (this == &other)
        return *this;
    name = other.name;
    value = other.value;
    timedLevel = other.timedLevel;
    secondValue = other.secondValue;
    strategyTimer = other.strategyTimer;
    strategy = other.strategy;
    timedValues.CopyElementsFrom(other.timedValues);
    return *this;
}

void CreatureStrategyData::Reset()
{
    value = 1.5f;
    timedLevel = -1;
    secondValue = 0;
    strategyTimer = 0.0f;
    strategy = nullptr;
    timedValues.DeleteAll();
}

void CreatureStrategyData::RecomputeTimedLevel()
{
    timedLevel = -1;
    for (int32_t position = 0; position < timedValues.GetSize(); position++)
        timedLevel = std::max(timedLevel, timedValues.GetAt(position)->level);
}

void CreatureStrategyData::Load(File& file, WorldCtrl* world)
{
    FileRecordReader in(file, "Creature strategy record cut short");
    timedLevel = in.I32();
    in.Text(name);
    strategyTimer = in.F32();
    secondValue = in.I32();
    const int32_t count = in.CheckCount("Timed AI entry", in.I16(), CreatureTimedValue::kRecordBytes);
    timedValues.DeleteAll();
    for (int32_t i = 0; i < count; i++) {
        CreatureTimedValue& entry = *timedValues.GetBySlot(timedValues.Add());
        entry.level = in.I32();
        entry.time = in.F32();
    }
    String strategyName;
    in.Text(strategyName);
    strategy = nullptr;
    if (strategyName.IsEmpty())
        return;
    if (!world && g_GameCtrl)
        world = g_GameCtrl->GetGameWorld();
    strategy = world ? world->FindStrategyEntry(strategyName.c_str(), false) : nullptr;
    if (!strategy)
        GameCtrlInterface::ReportWarning("CreatureStrategyData load: unknown strategy: %s", strategyName.c_str());
}

void CreatureStrategyData::Save(File& file) const
{
    file.WriteInt32(timedLevel);
    file.WriteString(name);
    file.WriteFloat(strategyTimer);
    file.WriteInt32(secondValue);
    file.WriteInt16(int16_t(timedValues.GetSize()));
    for (int32_t slot = timedValues.NextUsedSlot(-1); slot >= 0; slot = timedValues.NextUsedSlot(slot)) {
        if (const CreatureTimedValue* entry = timedValues.GetBySlot(slot)) {
            file.WriteInt32(entry->level);
            file.WriteFloat(entry->time);
        }
    }
    file.WriteString(strategy ? strategy->name : String());
}
