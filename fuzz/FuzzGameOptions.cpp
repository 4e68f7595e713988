// FuzzGameOptions: arbitrary text read as the game configuration by the options step and as a
// settings file by the rules step, and its entries read by the function, attribute and name-list
// lookups. Errors are the controller's reports; every other way out is a finding, and so is an
// empty name in a name list.
#include "FuzzTarget.h"

#include "base/ConfigFileReader.h"
#include "base/GameOptions.h"
#include "game/ctrl/GameCtrl.h"
#include "world/TransformableAttribute.h"

namespace {

constexpr int32_t kMaxEntries = 6;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Fuzz::QuietLog();
    if (size > (1 << 16))
        return 0;
    // The options name the settings file: the fuzzed text must not send the step to other files.
    const std::string text = Fuzz::ScriptText(data, size, {"settingsCfg"});
    g_Options = GameOptions();
    Fuzz::LoadGameConfig();  // the controller's world needs its language directory
    GameCtrl ctrl;  // a fresh one: the menu video texts and the main characters only grow
    ConfigFileReader& config = GetGameConfig();
    try {
        if (config.OpenMemory(text.data(), int32_t(text.size())) != 0)
            return 0;
    } catch (const ErrorMsg&) {  // brace errors of the text
        return 0;
    }
    // The controller's errors are how a malformed value is reported; each step ends at one.
    try {
        ctrl.LoadGameOptions();
    } catch (const ErrorMsg&) {
    }
    try {
        ctrl.LoadGameRules(config);
    } catch (const ErrorMsg&) {
    }

    const int32_t entries = std::min(config.GetNumEntries(), kMaxEntries);
    for (int32_t entry = -1; entry < entries; ++entry) {
        TransformableAttribute attribute;
        AttributePair pair;
        GameFunction function;
        NameList names;
        try {
            ctrl.FindAttributeFunction(config, attribute, "hitp", entry);
            ctrl.FindAttributeFunctionPair(config, pair, "dam", entry);
            ctrl.FindGameFunction(config, function, "func", entry);
            ctrl.ReadNameList("list", names, config, entry);
        } catch (const ErrorMsg&) {
        }
        for (int32_t i = 0; i < names.GetSize(); ++i)
            if (names.GetAt(i)->name.IsEmpty())
                Fuzz::Finding("a name list holds an empty name");
    }
    config.OpenMemory("", 0);
    return 0;
}
