// ScriptBuiltinChain: the lookup of a chain's names and the end of a chain for an unknown name.
#include "game/scriptfuncs/ScriptBuiltinChain.h"

#include "game/ctrl/GameCtrl.h"
#include "game/scriptfuncs/ScriptCall.h"

ScriptBuiltinChain::ScriptBuiltinChain(std::initializer_list<ScriptFamilyGetter> families)
    : ScriptBuiltinChain(families, nullptr)
{
}

ScriptBuiltinChain::ScriptBuiltinChain(std::initializer_list<ScriptFamilyGetter> families,
                                       bool (*keep)(const char* name))
{
    for (ScriptFamilyGetter getter : families) {
        const ScriptBuiltinFamily family = getter();
        for (size_t i = 0; i < family.count; i++)
            if (!keep || keep(family.entries[i].name))
                m_Handlers.emplace(family.entries[i].name, family.entries[i].handler);  // the first entry stays
    }
}

bool ScriptBuiltinChain::IsAtoGName(const char* name)
{
    char first = name ? name[0] : '\0';
    if (first >= 'a' && first <= 'z')
        first = char(first - 'a' + 'A');
    return static_cast<signed char>(first) < 'H';
}

ScriptBuiltinHandler ScriptBuiltinChain::Find(const char* name) const
{
    if (!name)
        return nullptr;
    const auto found = m_Handlers.find(std::string_view(name));
    return found == m_Handlers.end() ? nullptr : found->second;
}

void ScriptBuiltinChain::Execute(ScriptCall& call) const
{
    if (ScriptBuiltinHandler handler = Find(call.GetName())) {
        handler(call);
        return;
    }
    call.GetCtrl().LowerDebugUse();
    call.SetVoid();
    call.Error("Unknown function '%s' accepting %i arguments", call.GetName(), call.GetCount());
}
