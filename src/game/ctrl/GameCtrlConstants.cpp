// GameCtrl: the constants file that every game data file depends on, the opening of rules files,
// and the debug scripts.
#include "game/ctrl/GameCtrl.h"

#include "base/File.h"

namespace {

const char* const kConstantsFile = "cfg\\constants.cfg";
const char* const kDebugScriptsFile = "cfg/debugScripts.cfg";

}  // namespace

// "name = value" lines. The file is optional. Reading it changes the constants, so every reader
// that depends on them reads its file again before it is next used.
void GameCtrl::LoadConstants()
{
    if (!File::Exists(kConstantsFile))
        return;
    m_ConstantsReader.SetConstantTable(&m_Constants);  // a constant may be defined by an earlier one
    if (!m_ConstantsReader.NeedsReload())
        return;
    m_ConstantsReader.Open(kConstantsFile, true);
    m_ConstantsReader.ParseConstants(m_Constants);
}

// A rules file that cannot be opened is reported; the rules then run on the empty reader, so
// that every rule takes its default.
void GameCtrl::LoadRulesFile(const char* fileName)
{
    ConfigFileReader reader;
    reader.SetConstantTable(&m_Constants);
    if (reader.Load(fileName) != 0)
        ReportError("Can not open '%s'", fileName ? fileName : "");
    // The game configuration is asked first: a rule it gives holds, and a rule the settings file
    // lacks may stand there alone. Loading clears a link, so it is made after the load.
    reader.SetLinkedReader(&GetGameConfig());
    LoadGameRules(reader);
}

// Only the first text is emptied before a read: the file names the texts it changes.
void GameCtrl::LoadDebugScripts()
{
    if (!m_DebugScriptReader.NeedsReload())
        return;
    m_DebugScripts[0].Release();
    if (!File::Exists(kDebugScriptsFile) || m_DebugScriptReader.Load(kDebugScriptsFile) != 0)
        return;
    for (int32_t i = 0; i < kDebugScriptCount; ++i)
        m_DebugScriptReader.GetString("script", m_DebugScripts[i], -1, i + 1);
}
