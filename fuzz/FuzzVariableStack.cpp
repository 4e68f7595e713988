// FuzzVariableStack: arbitrary bytes loaded as a saved scope, over an empty scope and over one
// that holds variables already; a loaded scope saved, loaded again and saved again gives the same
// bytes.
#include "FuzzTarget.h"

#include "script/VariableStack.h"

#include <vector>

namespace {

std::vector<uint8_t> Saved(VariableStack& scope)
{
    File file;
    file.CreateMemoryFile(0);
    scope.Save(file);
    return std::vector<uint8_t>(file.GetMemoryBuffer(), file.GetMemoryBuffer() + file.GetSize());
}

void Load(VariableStack& scope, const std::vector<uint8_t>& bytes, bool clearFirst)
{
    File file;
    Fuzz::LoadMemoryFile(file, bytes.data(), bytes.size());
    scope.Load(file, clearFirst);
}

// The variables a scope of a running script could hold when a game is loaded over it.
void Declare(VariableStack& scope)
{
    scope.AddVariable("i", kScriptInt, 0)->m_Integer = 5;
    scope.AddVariable("f", kScriptFloat, 0)->m_Number = 2.5;
    scope.AddVariable("s", kScriptString, 0)->m_Text = "abc";
    scope.AddVariable("v", kScriptVoid, 0);
    scope.AddVariable("a", kScriptInt, 3);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Fuzz::QuietLog();
    if (size > Fuzz::kMaxInput)
        return 0;
    const std::vector<uint8_t> input(data, data + size);
    VariableStack scope;
    try {
        Load(scope, input, true);
    } catch (const ErrorMsg&) {
        return 0;  // short data, a lying count, an unknown type
    }

    const std::vector<uint8_t> first = Saved(scope);
    VariableStack again;
    try {
        Load(again, first, true);
    } catch (const ErrorMsg& e) {
        Fuzz::Finding(e.message);  // a saved scope must load
    }
    if (again.GetVariableCount() != scope.GetVariableCount())
        Fuzz::Finding("loading a saved scope gave another number of variables");
    if (Saved(again) != first)
        Fuzz::Finding("saving a loaded scope again gave other bytes");

    // Over variables already there: a stored variable replaces the one of its name.
    VariableStack over;
    Declare(over);
    Load(over, first, false);
    Load(over, first, false);
    VariableStack merged;
    Load(merged, Saved(over), true);
    if (Saved(merged) != Saved(over))
        Fuzz::Finding("a scope loaded over variables does not save and load the same");
    return 0;
}
