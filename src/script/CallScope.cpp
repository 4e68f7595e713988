// CallScope: a script function call's variables by slot, and the layouts shared by its calls.
#include "script/CallScope.h"

#include "script/ScriptReader.h"

#include <cstring>

namespace {

bool SameName(const ScopeLayout& layout, const char* name)
{
    if (layout.m_SeenName == name)
        return true;
    if (std::strcmp(layout.m_Name.c_str(), name) != 0)
        return false;
    layout.m_SeenName = name;
    return true;
}

}  // namespace

const ScopeLayout* ScopeLayouts::FindGrown(const ScopeLayout* from, const char* name)
{
    for (const ScopeLayout* child = from->m_FirstChild; child; child = child->m_NextSibling)
        if (SameName(*child, name))
            return child;
    return nullptr;
}

const ScopeLayout* ScopeLayouts::Grow(const ScopeLayout* from, const char* name)
{
    if (m_Made.size() >= size_t(kMaxLayouts))
        return nullptr;
    auto layout = std::make_unique<ScopeLayout>();
    layout->m_Parent = from;
    layout->m_Name = name;
    layout->m_Count = from->m_Count + 1;
    layout->m_NextSibling = from->m_FirstChild;
    from->m_FirstChild = layout.get();
    m_Made.push_back(std::move(layout));
    return m_Made.back().get();
}

void ScopeLayouts::Reset()
{
    m_Made.clear();
    m_Empty.m_FirstChild = nullptr;
}

// The same checks and messages as every other scope's search tree.
void CallScope::CheckName(const char* name)
{
    const int32_t c = name ? static_cast<signed char>(name[0]) : 0;
    if (c >= 32 && c < 128)
        return;
    if (!name || !name[0])
        m_Owner.Error("Empty name string");
    m_Owner.Error("Character in name string out of range: %i", c);
}

int32_t CallScope::FindSlot(const char* name)
{
    CheckName(name);
    if (m_Layout && ScopeLayouts::FindGrown(m_Layout, name))
        return -1;  // a layout grown by the name: this one lacks it
    for (int32_t slot = m_Count; slot-- > 0;)
        if (std::strcmp(GetSlot(slot)->m_Name.c_str(), name) == 0)
            return slot;
    return -1;
}

ScriptStackVariable* CallScope::FindVariable(const char* name)
{
    const int32_t slot = FindSlot(name);
    return slot >= 0 ? GetSlot(slot) : nullptr;
}

ScriptStackVariable* CallScope::AddVariable(const char* name, int32_t type, int32_t count)
{
    CheckName(name);
    const ScopeLayout* next = m_Layout ? ScopeLayouts::FindGrown(m_Layout, name) : nullptr;
    if (!next) {
        if (FindSlot(name) >= 0)
            return nullptr;
        if (m_Layout)
            next = m_Layouts.Grow(m_Layout, name);  // none past the limit: places stop remembering
    }
    SetLayout(next);

    const int32_t slot = m_Count++;
    if (size_t(slot) == m_SlotLayouts.size()) {
        if (slot >= kInlineSlots)
            m_More.push_back(std::make_unique<ScriptStackVariable>());
        m_SlotLayouts.push_back(nullptr);
    }
    ScriptStackVariable* variable = GetSlot(slot);
    variable->Init(type, count);
    if (!next || m_SlotLayouts[size_t(slot)] != next)  // the same layout: the name the last call gave it
        variable->m_Name = name;
    m_SlotLayouts[size_t(slot)] = next;
    m_ElementTotal += variable->m_ElementCount;
    return variable;
}

void CallScope::Clear()
{
    for (int32_t slot = 0; slot < m_Count; slot++) {
        ScriptStackVariable& variable = *GetSlot(slot);
        variable.m_Elements.reset();  // what the call built is freed now, not at the next call
        variable.m_Text.Release();
    }
    m_Count = 0;
    m_ElementTotal = 0;
    SetLayout(m_Layouts.GetEmpty());
}

void CallScope::ForgetLayouts()
{
    for (const ScopeLayout*& layout : m_SlotLayouts)
        layout = nullptr;
    SetLayout(m_Count == 0 ? m_Layouts.GetEmpty() : nullptr);
}
