// ScriptBuiltinChain: one of the two name chains of the built-in script functions (names whose
// first letter comes before 'H', and the others): the family tables in their order of comparison,
// looked up by the exact, case-sensitive name; where a name stands twice the first entry serves it.
// A name no entry holds is taken back from the call counter and reported as unknown.
//
// How a family plugs in: its file in this folder defines one function that returns its table,
//     ScriptBuiltinFamily ScriptFamilyLookups() { static const ScriptBuiltinEntry entries[] = {
//         {"GetObject", GetObject}, ...}; return {entries, std::size(entries)}; }
// declared in ScriptBuiltinFamilies.h and listed once in its chain in ScriptBuiltinChains.cpp.
// A handler reads its arguments and sets its result through the ScriptCall it is given.
#pragma once
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <string_view>
#include <unordered_map>

class ScriptCall;

using ScriptBuiltinHandler = void (*)(ScriptCall& call);

struct ScriptBuiltinEntry {
    const char* name;
    ScriptBuiltinHandler handler;
};

// A family's table: its entries in their order of comparison.
struct ScriptBuiltinFamily {
    const ScriptBuiltinEntry* entries = nullptr;
    size_t count = 0;
};

using ScriptFamilyGetter = ScriptBuiltinFamily (*)();

class ScriptBuiltinChain {
public:
    explicit ScriptBuiltinChain(std::initializer_list<ScriptFamilyGetter> families);
    // Only the names that keep accepts: one half of families whose tables hold both halves.
    ScriptBuiltinChain(std::initializer_list<ScriptFamilyGetter> families, bool (*keep)(const char* name));

    // The handler of the name, null when the chain does not hold it.
    ScriptBuiltinHandler Find(const char* name) const;
    // Runs the name's handler; an unknown name takes its count back and reports "Unknown
    // function '%s' accepting %i arguments", the result staying Void.
    void Execute(ScriptCall& call) const;

    // Whether a name belongs to the chain of 'A' to 'G': its first letter, a lower-case one taken
    // as upper case, below 'H' as a signed byte (so bytes from 128 on go there too).
    static bool IsAtoGName(const char* name);
    static bool IsHtoZName(const char* name) { return !IsAtoGName(name); }

    // The two chains, filled on first use.
    static const ScriptBuiltinChain& AtoG();
    static const ScriptBuiltinChain& HtoZ();

private:
    std::unordered_map<std::string_view, ScriptBuiltinHandler> m_Handlers;
};
