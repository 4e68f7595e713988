// ItemBase: construction and copy, abilities, stacking equality, money, keys, potions, the
// display name and the drop and pick-up sounds.
#include "game/objects/ItemBase.h"

#include "base/LocalText.h"
#include "base/Log.h"
#include "base/Math.h"
#include "world/GameCtrlInterface.h"

#include <algorithm>
#include <cstring>

namespace {

template <class T, int N> void CopyList(DynaMem<T, N>& to, DynaMem<T, N>& from)
{
    to.DeleteAll();
    for (int32_t position = 0; position < from.GetSize(); position++)
        if (const T* element = from.GetAt(position))
            *to.GetBySlot(to.Add()) = *element;
}

template <size_t N> bool SameFloats(const float (&a)[N], const float (&b)[N])
{
    for (size_t i = 0; i < N; i++)
        if (a[i] != b[i])
            return false;
    return true;
}

}  // namespace

ItemBase::ItemBase() = default;

ItemBase::ItemBase(const ItemBase& other) : InventoryItem(other) { *this = other; }

ItemBase& ItemBase::operator=(const ItemBase& other)
{
    if (&other == this)
        return *this;
    InventoryItem::operator=(other);
    m_ItemName = other.m_ItemName;
    m_Name2 = other.m_Name2;
    m_Class = other.m_Class;
    m_SubType = other.m_SubType;
    m_Might = other.m_Might;
    m_Snd = other.m_Snd;
    m_OnItemUse = other.m_OnItemUse;
    m_OnTransfer = other.m_OnTransfer;
    m_BookText = other.m_BookText;
    m_AbilityText = other.m_AbilityText;
    m_Shader = other.m_Shader;
    m_EquipmentType = other.m_EquipmentType;
    m_BodyPart = other.m_BodyPart;
    m_GameValue3 = other.m_GameValue3;
    m_TreasureProb = other.m_TreasureProb;
    std::copy_n(other.m_BodyPos, 3, m_BodyPos);
    std::copy_n(other.m_BodyPosLeft, 3, m_BodyPosLeft);
    std::copy_n(other.m_BodyScale, 3, m_BodyScale);
    std::copy_n(other.m_BodyScaleLeft, 3, m_BodyScaleLeft);
    std::copy_n(other.m_BodyRotAxis, 3, m_BodyRotAxis);
    std::copy_n(other.m_BodyRotAxisLeft, 3, m_BodyRotAxisLeft);
    std::copy_n(other.m_PicCol, 3, m_PicCol);
    m_BodyRotAngle = other.m_BodyRotAngle;
    m_BodyRotAngleLeft = other.m_BodyRotAngleLeft;
    std::copy_n(other.m_GameValues, 8, m_GameValues);
    m_Img = other.m_Img;
    m_ImgInfo = other.m_ImgInfo;
    m_PictureText = other.m_PictureText;
    m_MirrorImg = other.m_MirrorImg;
    m_DestroyAfterUse = other.m_DestroyAfterUse;
    m_FlagByte1 = other.m_FlagByte1;
    m_SpecialItem = other.m_SpecialItem;
    m_FlagByte2 = other.m_FlagByte2;
    m_QuickSlotItem = other.m_QuickSlotItem;
    m_NoBoost = other.m_NoBoost;
    m_FlagByte3 = other.m_FlagByte3;
    m_SndDrop = other.m_SndDrop;
    m_SndPickUp = other.m_SndPickUp;
    m_ObjID = other.m_ObjID;
    m_Quest = other.m_Quest;
    m_RequiresCharacterClass = other.m_RequiresCharacterClass;
    m_RequiresLevel = other.m_RequiresLevel;
    CopyList(m_Emitters, other.m_Emitters);
    CopyList(m_Abilities, other.m_Abilities);
    return *this;
}

ItemBase::~ItemBase() = default;

ItemBase* ItemBase::CreateNew() const { return new ItemBase; }

void ItemBase::CopyTo(cfDynamicObject* other) const
{
    if (ItemBase* item = dynamic_cast<ItemBase*>(other))
        *item = *this;
}

int32_t ItemBase::GetPrice() const { return RoundFloatToInt(m_Value.GetValue(nullptr)); }

const ItemAbility* ItemBase::GetAbility(int32_t position) const { return m_Abilities.GetAt(position); }

EffectEmitterInfo& ItemBase::AddEmitter() { return *m_Emitters.GetBySlot(m_Emitters.Add()); }

const ItemAbility* ItemBase::FindAbility(int32_t type) const
{
    for (int32_t position = 0; position < m_Abilities.GetSize(); position++) {
        const ItemAbility* ability = m_Abilities.GetAt(position);
        if (ability && ability->type == type)
            return ability;
    }
    return nullptr;
}

int32_t ItemBase::GetMoneyPerItem() const
{
    const ItemAbility* money = FindAbility(ItemAbility::kMoney);
    return money ? money->subtype : 0;
}

int32_t ItemBase::GetMoneyValue() const
{
    const int64_t value = int64_t(GetMoneyPerItem()) * m_Count;
    return int32_t(std::clamp<int64_t>(value, INT32_MIN, INT32_MAX));  // records may hold any count
}

bool ItemBase::IsKeyOrQuestItem() const { return m_QuestItem != 0 || FindAbility(ItemAbility::kKey) != nullptr; }

int32_t ItemBase::CountAbilities(int32_t type) const
{
    int32_t count = 0;
    for (int32_t position = 0; position < m_Abilities.GetSize(); position++) {
        const ItemAbility* ability = m_Abilities.GetAt(position);
        count += ability && ability->type == type ? 1 : 0;
    }
    return count;
}

bool ItemBase::HasKeyAbility(int32_t keyID) const
{
    for (int32_t position = 0; position < m_Abilities.GetSize(); position++) {
        const ItemAbility* ability = m_Abilities.GetAt(position);
        if (ability && ability->type == ItemAbility::kKey && ability->subtype == keyID)
            return true;
    }
    return false;
}

float ItemBase::GetAbilityValue(int32_t type, int32_t subtype) const
{
    for (int32_t position = 0; position < m_Abilities.GetSize(); position++) {
        const ItemAbility* ability = m_Abilities.GetAt(position);
        if (ability && ability->type == type && ability->subtype == subtype)
            return ability->value;
    }
    return 0.0f;
}

bool ItemBase::IsPotion(int32_t type, int32_t fillType) const
{
    if (m_Uses < 1 || m_Abilities.GetSize() != 1 || !m_OnItemUse.IsEmpty())
        return false;
    const ItemAbility* ability = m_Abilities.GetAt(0);
    return ability && (ability->type == type || ability->type == fillType);
}

float ItemBase::GetAbilityTypeWeight(int32_t type) { return g_GameCtrl ? g_GameCtrl->GetAbilityWeight(type) : 0.0f; }

int32_t ItemBase::GetMainAbility(float& value, int32_t& subtype) const
{
    int32_t best = 0;
    float bestProduct = 0.0f;
    for (int32_t position = 0; position < m_Abilities.GetSize(); position++) {
        const ItemAbility* ability = m_Abilities.GetAt(position);
        if (!ability)
            continue;
        const float product = GetAbilityTypeWeight(ability->type) * ability->value;
        if (product > bestProduct) {
            bestProduct = product;
            best = ability->type;
            value = ability->value;
            subtype = ability->subtype;
        }
    }
    return best;
}

bool ItemBase::AddAbility(const ItemAbility& ability, bool merge)
{
    if (merge) {
        for (int32_t position = 0; position < m_Abilities.GetSize(); position++) {
            ItemAbility* held = m_Abilities.GetAt(position);
            if (!held || held->type != ability.type || held->subtype != ability.subtype)
                continue;
            if (ItemAbility::IsFactor(ability.type))
                held->value = (held->value - 1.0f) + (ability.value - 1.0f) + 1.0f;
            else
                held->value += ability.value;
            held->level = std::max(held->level, ability.level);
            return true;
        }
    }
    *m_Abilities.GetBySlot(m_Abilities.Add()) = ability;
    return true;
}

bool ItemBase::AddAbilitiesOf(const ItemBase* other, bool merge)
{
    if (!other)
        return false;
    // Those present at the start, each copied first: other may be this item, whose list grows.
    const int32_t count = other->m_Abilities.GetSize();
    for (int32_t position = 0; position < count; position++)
        if (const ItemAbility* ability = other->m_Abilities.GetAt(position))
            AddAbility(ItemAbility(*ability), merge);
    return true;
}

bool ItemBase::IsSameKind(const InventoryItem& otherItem) const
{
    const ItemBase* other = dynamic_cast<const ItemBase*>(&otherItem);
    if (!other)
        return false;
    if (m_Abilities.GetSize() != other->m_Abilities.GetSize() || m_EquipmentType != other->m_EquipmentType ||
        m_BodyPart != other->m_BodyPart || !SameFloats(m_LoadValue, other->m_LoadValue) ||
        m_DestroyAfterUse != other->m_DestroyAfterUse || m_ObjID != other->m_ObjID || m_Class != other->m_Class ||
        m_Pile != other->m_Pile || m_SubType != other->m_SubType ||
        m_Value.GetValue(nullptr) != other->m_Value.GetValue(nullptr) || m_ItemName != other->m_ItemName ||
        m_OnItemUse != other->m_OnItemUse || !SameFloats(m_PicCol, other->m_PicCol) ||
        m_BookText != other->m_BookText || m_Might != other->m_Might || m_QuestItem != other->m_QuestItem ||
        m_FlagByte1 != other->m_FlagByte1 || m_FlagByte2 != other->m_FlagByte2 ||
        m_AbilityText != other->m_AbilityText || m_QuickSlotItem != other->m_QuickSlotItem ||
        m_RequiresCharacterClass != other->m_RequiresCharacterClass)
        return false;
    for (int32_t position = 0; position < m_Abilities.GetSize(); position++) {
        const ItemAbility* a = m_Abilities.GetAt(position);
        const ItemAbility* b = other->m_Abilities.GetAt(position);
        if (!a || !b || *a != *b)
            return false;
    }
    if (!SameFloats(m_GameValues, other->m_GameValues) || m_Emitters.GetSize() != other->m_Emitters.GetSize())
        return false;
    for (int32_t position = 0; position < m_Emitters.GetSize(); position++) {
        const EffectEmitterInfo* a = m_Emitters.GetAt(position);
        const EffectEmitterInfo* b = other->m_Emitters.GetAt(position);
        if (!a || !b || !a->SameEmission(*b))
            return false;
    }
    return true;
}

wString ItemBase::GetLocalizedName() const
{
    // Names are looked up as "DB:" ids; a plain name is tried as one and otherwise shown itself.
    const bool isId = m_ItemName.StartsWith("DB:");
    const String id = isId ? m_ItemName : String("DB:") + m_ItemName;
    DBRows rows;
    if (LocalText::Get().Query(id.c_str(), rows, "SELECT content FROM Items WHERE id='%s'") == 1 && rows.GetAt(0))
        return rows.GetAt(0)->text;
    if (isId)
        Log::Write("DBErr:Items,content='%s'", m_ItemName.c_str() + 3);
    return wString(m_ItemName.c_str());
}

void ItemBase::PlayNumberedSound(const char* format, uint8_t number) const
{
    if (!g_GameCtrl || number == 0)
        return;
    String name;
    name.Format(format, int32_t(number));
    g_GameCtrl->PlayWorldSound(name.c_str());
}

void ItemBase::PlayDropSound() const { PlayNumberedSound("ItemDrop%i", m_SndDrop); }

void ItemBase::PlayPickupSound() const { PlayNumberedSound("ItemPickup%i", m_SndPickUp); }
