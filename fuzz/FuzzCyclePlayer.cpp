// FuzzCyclePlayer: a creature's cycle player record read from arbitrary bytes at the stream
// versions whose layout or numbering differs; the number it keeps must index the cycle set, its
// state must pack, and a record that loads is written again and must load back to the same bytes.
//
// Input: u8 selector (the version from the table below, n % its size), then the record.
#include "FuzzTarget.h"

#include "game/objects/AC_FadeProperties.h"

namespace {

constexpr uint16_t kVersions[] = {275, 243, 242, 224, 223};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Fuzz::QuietLog();
    if (size == 0 || size > Fuzz::kMaxInput)
        return 0;
    const uint16_t version = kVersions[data[0] % (sizeof kVersions / sizeof kVersions[0])];
    File file;
    Fuzz::LoadMemoryFile(file, data + 1, size - 1);
    AC_FadeProperties player;
    try {
        player.Load(file, version);
    } catch (const ErrorMsg&) {
        return 0;  // cut short
    }
    if (player.cycleNumber < AC_FadeProperties::kNotChosen || player.cycleNumber > AC_FadeProperties::kLastCycle)
        Fuzz::Finding("a loaded cycle number lies outside the cycle set");
    uint16_t cycleWord = 0;
    uint16_t speedWord = 0;
    player.GetStateChange(cycleWord, speedWord);
    auto reload = [](AC_FadeProperties& p, File& in) { p.Load(in, 275); };
    auto save = [](AC_FadeProperties& p, File& out) { p.Save(out); };
    Fuzz::CheckRoundTrip(player, reload, save);
    return 0;
}
