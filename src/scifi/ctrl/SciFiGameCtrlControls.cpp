// SciFiGameCtrl: the key bindings and the localised key names, read when the game starts. The
// server reads them as a client would; it never asks them.
#include "scifi/ctrl/SciFiGameCtrl.h"

#include "base/ConfigFileReader.h"
#include "base/File.h"

namespace {

// "lang\LANG\keynames.cfg": the language's folder under "lang\"; a language directory that names
// its folder from the game directory already ("lang\english\") is taken as it stands.
String KeyNamesFile(const String& languageDir)
{
    String file = languageDir;
    if (!file.StartsWithNoCase("lang\\"))
        file = String("lang\\") + file;
    file += "keynames.cfg";
    return file;
}

}  // namespace

void SciFiGameCtrl::LoadControls()
{
    if (!File::Exists(Controls::kDefaultFile))
        return;
    LoadUserControls(m_Controls);
    const String file = KeyNamesFile(GetWorld().GetLanguageDir());
    ConfigFileReader& names = Controls::GetKeyNameReader();
    if (names.Load(file.c_str(), true) != 0) {
        // Nothing on the server shows a key's name: a missing file is worth a warning there.
        if (IsDedicated())
            Warning("Can not load file: \"%s\"", file.c_str());
        else
            Error("Can not load file: \"%s\"", file.c_str());
        return;
    }
    bool utf8 = false;
    names.GetBoolRounded("utf8", utf8);
    Controls::s_KeyNamesUtf8 = utf8;
}
