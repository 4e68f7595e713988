// CallScope: the variables of one script function call in the order of their declaration, and
// the layouts that let a place in the text remember its variable across calls.
#pragma once
#include "base/String.h"
#include "script/VariableStack.h"

#include <cstdint>
#include <memory>
#include <vector>

class ScriptReader;

// The names a call has declared so far, in order. Every call of a function declares the same names
// in the same order (its parameters, then its locals as it reaches them), so its scopes pass through
// the same layouts: a name found at a place in the text under a layout is at the same slot in every
// scope of that layout. A layout never changes once made.
struct ScopeLayout {
    const ScopeLayout* m_Parent = nullptr;
    String m_Name;        // the name this layout adds to its parent's; empty for the empty layout
    int32_t m_Count = 0;  // names in all, this one included: its slot is m_Count - 1
    // The layouts grown from this one, and the last pointer found equal to m_Name (equal without
    // comparing the next time): the index of the layouts, not part of what a layout means.
    mutable const ScopeLayout* m_FirstChild = nullptr;
    mutable const ScopeLayout* m_NextSibling = nullptr;
    mutable const char* m_SeenName = nullptr;
};

// All layouts of one reader: the empty one and those grown from it, until kMaxLayouts are made.
class ScopeLayouts {
public:
    // Declarations in every order of a script's conditional branches could make layouts without
    // bound; past this many a scope goes on without one (and its places remember nothing).
    static constexpr int32_t kMaxLayouts = 1 << 16;

    ScopeLayouts() = default;
    ~ScopeLayouts() { Reset(); }
    ScopeLayouts(const ScopeLayouts&) = delete;
    ScopeLayouts& operator=(const ScopeLayouts&) = delete;

    const ScopeLayout* GetEmpty() const { return &m_Empty; }
    // The layout made before that adds name to from (so from lacks name); null when none was.
    static const ScopeLayout* FindGrown(const ScopeLayout* from, const char* name);
    // A new layout that adds name, which from lacks; null once no more may be made.
    const ScopeLayout* Grow(const ScopeLayout* from, const char* name);
    // Forgets every layout but the empty one; no scope or remembered place may hold one.
    void Reset();

private:
    ScopeLayout m_Empty;
    std::vector<std::unique_ptr<ScopeLayout>> m_Made;
};

// Names are case-sensitive and, as in every scope, may not be empty or start outside 32..127.
class CallScope {
public:
    CallScope(ScriptReader& owner, ScopeLayouts& layouts) : m_Owner(owner), m_Layouts(layouts) {}
    CallScope(const CallScope&) = delete;
    CallScope& operator=(const CallScope&) = delete;

    ScriptStackVariable* FindVariable(const char* name);
    // Null when the name is already in this scope.
    ScriptStackVariable* AddVariable(const char* name, int32_t type, int32_t count);
    ScriptStackVariable* GetSlot(int32_t slot)
    {
        return slot < kInlineSlots ? &m_Inline[slot] : m_More[size_t(slot - kInlineSlots)].get();
    }
    int32_t GetVariableCount() const { return m_Count; }
    // Elements of the array variables in this scope.
    int64_t GetElementTotal() const { return m_ElementTotal; }
    // What a remembered place compares: the layout, or kNoLayout once the scope has none.
    uint64_t GetKey() const { return m_Key; }
    static constexpr uint64_t kNoLayout = ~uint64_t(0);
    // The slot of name, or -1.
    int32_t FindSlot(const char* name);
    void Clear();  // removes all variables; the scope waits for the next call
    // The layouts are gone (ScopeLayouts::Reset): no slot may take its name from one.
    void ForgetLayouts();

private:
    static constexpr int32_t kInlineSlots = 8;

    void CheckName(const char* name);
    void SetLayout(const ScopeLayout* layout)
    {
        m_Layout = layout;
        m_Key = layout ? reinterpret_cast<uintptr_t>(layout) : kNoLayout;
    }

    ScriptReader& m_Owner;
    ScopeLayouts& m_Layouts;
    const ScopeLayout* m_Layout = m_Layouts.GetEmpty();
    uint64_t m_Key = reinterpret_cast<uintptr_t>(m_Layout);
    int32_t m_Count = 0;
    int64_t m_ElementTotal = 0;
    // The variables stay where they are, kept for the next calls with their names: the first
    // slots in the scope itself, the others in records of their own. Each slot also keeps the
    // layout it was last declared under, whose name it holds.
    ScriptStackVariable m_Inline[kInlineSlots];
    std::vector<std::unique_ptr<ScriptStackVariable>> m_More;
    std::vector<const ScopeLayout*> m_SlotLayouts;
};
