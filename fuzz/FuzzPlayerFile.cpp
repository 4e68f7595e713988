// FuzzPlayerFile: "player.sv" from arbitrary bytes: a refused file leaves the record as it was,
// and a file that reads is exactly what the writer writes of what was read (up to its end marker).
#include "FuzzTarget.h"

#include <iterator>

#include "scifi/save/PlayerSaveID.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Fuzz::QuietLog();
    if (size > PlayerSaveID::kMaxPlayerFileSize)
        return 0;
    PlayerSaveID player;
    player.name = wString(u"before");
    player.playerID = 7;
    bool multiplayer = false;
    if (!player.ReadPlayerBytes(data, size, multiplayer, "player.sv")) {
        if (!(player.name == wString(u"before")) || player.playerID != 7 || !player.characterConfigID.IsEmpty())
            Fuzz::Finding("a refused file changed the record");
        return 0;
    }
    const std::string scratch = Fuzz::WriteScratchFile(data, size);
    if (!player.WritePlayerFile(String(scratch.c_str()), multiplayer))
        Fuzz::Finding("a record that was read could not be written");
    std::ifstream in(scratch, std::ios::binary);
    const std::string written((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (written.size() > size || std::memcmp(written.data(), data, written.size()) != 0)
        Fuzz::Finding("a file that was read is not what the writer writes of it");
    return 0;
}
