// KI_ActionData: the action record's reset, saved form and comparison; its parameter block;
// the AI's targets.
#include "game/objects/KI_ActionData.h"

#include "base/File.h"
#include "base/FileRecordReader.h"
#include "base/Random.h"
#include "world/ElemCode.h"
#include "world/GameCtrlInterface.h"
#include "world/WorldCtrl.h"

#include <cmath>
#include <cstring>

namespace {

constexpr const char* kCutShort = "Error reading from savegame";

bool SameText(const String& a, const String& b) { return std::strcmp(a.c_str(), b.c_str()) == 0; }

}  // namespace

void KI_ActionParams::Reset()
{
    kind = kDefaultKind;
    for (auto& vector : vectors)
        vector[0] = vector[1] = 0.0f;
    values2[0] = 999999.0f;
    values2[1] = 0.0017453292f;  // 0.1 degree
    values4[0] = 5.0f;
    values4[1] = 50.0f;
    values4[2] = 100.0f;
    values4[3] = 1.0f;
    actionName = "";
    base = 10.0f;
    spread = 0.0f;
    third = 0.0f;
    secondText = "";
    values181[0] = values181[1] = 0;
    for (int32_t& slot : conditionSlots)
        slot = 0;
    for (TableEntry& entry : table)
        entry = TableEntry();
}

void KI_ActionParams::Save(File& file) const
{
    file.WriteInt32(kind);
    file.WriteFloats(&vectors[0][0], 4);
    file.WriteFloats(values2, 2);
    file.WriteFloats(values4, 4);
    file.WriteString(actionName);
    file.WriteFloat(base);
    file.WriteFloat(third);
    file.WriteFloat(spread);
    file.WriteString(secondText);
    file.WriteInt32(values181[0]);
    file.WriteInt32(values181[1]);
}

void KI_ActionParams::Load(File& file)
{
    FileRecordReader in(file, kCutShort);
    kind = in.I32();
    in.Floats(&vectors[0][0], 4);
    in.Floats(values2, 2);
    in.Floats(values4, 4);
    in.Text(actionName);
    base = in.F32();
    third = in.F32();
    spread = in.F32();
    if (file.GetVersion() >= kSecondTextVersion) {
        in.Text(secondText);
        values181[0] = in.I32();
        values181[1] = in.I32();
    }
}

float KI_ActionParams::GetRandomizedValue() const { return base + float(Random::Range(-spread, spread)); }

int32_t KI_ActionParams::GetActionID() const
{
    if (kind != 0)
        return 0;
    WorldCtrl* world = g_GameCtrl ? g_GameCtrl->GetGameWorld() : nullptr;
    const ActionEntry* entry = world ? world->FindActionEntry(actionName.c_str(), false) : nullptr;
    return entry ? entry->id : 0;
}

void KI_ActionData::Reset()
{
    task = 0;
    secondCode = 0;
    thirdCode = 0;
    firstValue = 0.0f;
    for (auto& vector : vectors)
        vector[0] = vector[1] = 0.0f;
    target = nullptr;
    savedTargetRef = 0xFFFFFFFFu;
    for (float& value : values)
        value = 0.0f;
    flags[0] = flags[1] = 1;
    fifthValue = 0.0f;
    secondName = "";
    params.Reset();
    sequence = 0;
    finished = 0;
    aiState = -1;
    statePoint = 0.0f;
    hasStateCurve = 0;
    pair[0] = pair[1] = 0;
    aimAtPosition = 0;
    approachMarker = 1;
    entry = KI_StratEntry();
}

void KI_ActionData::Save(File& file) const
{
    file.WriteInt32(task);
    file.WriteInt32(secondCode);
    file.WriteString(actionName);
    file.WriteInt32(thirdCode);
    file.WriteFloat(firstValue);
    params.Save(file);
    file.WriteFloats(&vectors[0][0], 4);
    WorldElem::SaveElemPtr(file, target.Get());
    file.WriteFloats(values, 4);
    file.WriteInt8(flags[0]);
    file.WriteInt8(flags[1]);
    file.WriteFloats(&vectors[2][0], 4);
    file.WriteFloat(fifthValue);
    file.WriteString(secondName);
}

void KI_ActionData::Load(File& file)
{
    FileRecordReader in(file, kCutShort);
    task = in.I32();
    secondCode = in.I32();
    in.Text(actionName);
    thirdCode = in.I32();
    firstValue = in.F32();
    params.Load(file);
    in.Floats(&vectors[0][0], 4);
    savedTargetRef = in.U32();
    target = nullptr;
    in.Floats(values, 4);
    flags[0] = in.U8();
    flags[1] = in.U8();
    in.Floats(&vectors[2][0], 4);
    fifthValue = in.F32();
    in.Text(secondName);
}

void KI_ActionData::ResolveTarget(WorldCtrl& world)
{
    target = dynamic_cast<WorldElem*>(world.GetElemByCode(int32_t(savedTargetRef)));
}

bool KI_ActionData::Equals(const KI_ActionData& other) const
{
    return task == other.task && secondCode == other.secondCode && target.Get() == other.target.Get() &&
           firstValue == other.firstValue && values[0] == other.values[0] && flags[0] == other.flags[0] &&
           vectors[0][0] == other.vectors[0][0] && vectors[0][1] == other.vectors[0][1] &&
           vectors[1][0] == other.vectors[1][0] && vectors[1][1] == other.vectors[1][1] &&
           SameText(actionName, other.actionName) && values[2] == other.values[2] &&
           SameText(secondName, other.secondName) && flags[1] == other.flags[1] &&
           vectors[3][0] == other.vectors[3][0] && vectors[3][1] == other.vectors[3][1] &&
           sequence == other.sequence;
}

D3DXVECTOR2 AITarget::GetPos() const
{
    WorldElem* target = elem.Get();
    if (fixed || !target)
        return {point.x + offset.x, point.y + offset.y};
    D3DXVECTOR2 pos = target->GetPos();
    if (offset.x != 0.0f || offset.y != 0.0f) {
        const float angle = target->GetAngle();
        const float c = std::cos(angle);
        const float s = std::sin(angle);
        pos.x += offset.x * c - offset.y * s;
        pos.y += offset.x * s + offset.y * c;
    }
    return pos;
}

bool AITarget::IsValid() const
{
    if (fixed)
        return true;
    WorldElem* target = elem.Get();
    if (!target)
        return false;
    return !target->IsDead() || keep != 0;
}
