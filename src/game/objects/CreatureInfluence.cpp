// CreatureInfluence: the parameter set-ups and the saved form of an influence.
#include "game/objects/CreatureInfluence.h"

#include "base/File.h"
#include "base/FileRecordReader.h"
#include "game/objects/ItemBase.h"
#include "world/ElemCode.h"
#include "world/GameCtrlInterface.h"

void InfluenceParams::InitPos(float px, float py)
{
    *this = InfluenceParams();
    x = px;
    y = py;
}

void InfluenceParams::InitObject(float px, float py, WorldElem* element, int32_t intValue)
{
    InitPos(px, py);
    target = element;
    value = intValue;
}

void InfluenceParams::InitItem(const char* itemID, float itemValue)
{
    InitPos(1.0f, itemValue);
    item = g_GameCtrl ? g_GameCtrl->FindItem(itemID, true) : nullptr;
}

void InfluenceParams::Load(File& file, uint16_t version)
{
    FileRecordReader in(file, "Influence record cut short");
    x = in.F32();
    value = in.I32();
    y = in.F32();
    further[0] = in.I32();
    pendingTarget = further[0];
    item = nullptr;
    if (version >= kItemIDVersion) {
        String id;
        in.Text(id);
        if (!id.IsEmpty() && g_GameCtrl)
            item = g_GameCtrl->FindInfluenceItem(id.c_str());
    }
}

void InfluenceParams::Save(File& file) const
{
    file.WriteFloat(x);
    file.WriteInt32(value);
    file.WriteFloat(y);
    // A target gone from the world, or one not yet resolved, keeps the code it was read with.
    const WorldElem* elem = target.Get();
    file.WriteInt32(elem ? ElemCode::Of(elem) : pendingTarget);
    file.WriteString(item ? item->m_Desc : String());
}

void CreatureInfluence::Load(File& file, uint16_t version)
{
    FileRecordReader in(file, "Influence record cut short");
    type = in.I32();
    params.Load(file, version);
    priority = in.I32();
}

void CreatureInfluence::Save(File& file) const
{
    file.WriteInt32(type);
    params.Save(file);
    file.WriteInt32(priority);
}
