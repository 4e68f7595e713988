// GuiDBText: opening the localisation database of the chosen language, the lookups of the "Gui"
// table and of one field by id, values bound as parameters, and the controller's answers to the
// world with them.
#include "game/ctrl/GuiDBText.h"

#include "base/ConfigFileReader.h"
#include "base/FileList.h"
#include "base/LocalText.h"
#include "base/Utf8.h"
#include "engine/gfx/DXC_Gfx.h"
#include "game/ctrl/GameCtrl.h"

#include <cstring>

#include <string>

namespace {

String ToUtf8(const wString& text)
{
    String narrow;
    if (!Utf8::FromUtf16(text.c_str(), narrow))
        narrow = text.ToNarrow();  // an unpaired surrogate: no row has such an id
    return narrow;
}

// The text shown for a missing row: its names are UTF-8, as the database's texts are.
wString MissingText(const String& text)
{
    wString wide;
    if (!Utf8::ToUtf16(text.c_str(), wide))
        wide = text.c_str();
    return wide;
}

}  // namespace

bool IsPlainSqlName(const char* name)
{
    if (!name || !*name)
        return false;
    for (const char* c = name; *c; ++c) {
        const bool letter = (*c >= 'a' && *c <= 'z') || (*c >= 'A' && *c <= 'Z') || *c == '_';
        if (!letter && !(*c >= '0' && *c <= '9'))
            return false;
    }
    return true;
}

wString GetGuiDBText(const char* group, const char* name, uint8_t* found)
{
    LocalText& database = LocalText::Get();
    if (database.RunQuery("SELECT content FROM Gui WHERE id=? AND name=?", {group, name}, 1) == 1) {
        if (found)
            *found = 1;
        return database.GetResultRows().GetAt(0)->text;
    }
    if (found)
        *found = 0;
    String missing;
    missing.Format("DBErr:%s,%s", group ? group : "", name ? name : "");
    return MissingText(missing);
}

bool DBGetField(wString& text, const char* table, const char* field)
{
    if (text.TextLength() < 4 || !IsPlainSqlName(table) || !IsPlainSqlName(field))
        return false;
    const bool prefixed = text.StartsWith(u"DB:");
    const String id = ToUtf8(prefixed ? text : wString(u"DB:") + text);
    const std::string sql = std::string("SELECT ") + field + " FROM " + table + " WHERE id=?";
    LocalText& database = LocalText::Get();
    if (database.RunQuery(sql.c_str(), {id.c_str()}, 1) != 1) {
        if (prefixed) {
            String missing;
            missing.Format("DBErr:%s,%s='%s'", table, field, id.c_str() + 3);
            text = MissingText(missing);
        }
        return false;
    }
    const bool single = database.GetResultRows().GetSize() == 1;
    text = database.GetResultRows().GetAt(0)->text;
    if (GameCtrl* ctrl = dynamic_cast<GameCtrl*>(g_GameCtrl))
        ctrl->GetWorld().TranslateWString(text);
    return single && !text.IsEmpty();
}

wString GameCtrl::GetGuiDBText(const char* group, const char* name, uint8_t* found)
{
    return ::GetGuiDBText(group, name, found);
}

bool GameCtrl::DBGetField(wString& text, const char* table, const char* field)
{
    return ::DBGetField(text, table, field);
}

// The game configuration's "DatabaseFile" may name another file; its "LANG\" stands for the
// language directory ("langdir").
void GameCtrl::OpenLocalisationDB()
{
    String fileName("lang\\LANG\\localisation.db");
    GetGameConfig().GetString("DatabaseFile", fileName);
    String languageDir;
    GetGameConfig().GetString("langdir", languageDir);
    if (languageDir.IsEmpty() || languageDir.c_str()[languageDir.TextLength() - 1] != '\\')
        languageDir += "\\";
    if (const char* mark = std::strstr(fileName.c_str(), "LANG\\"))
        fileName.Replace(int32_t(mark - fileName.c_str()), 5, languageDir.c_str());
    if (!LocalText::Get().Open(fileName.c_str()))
        Error("Could not open database file %s", fileName.c_str());
    FileList* usedFiles = g_Gfx ? g_Gfx->loadedFiles : nullptr;
    if (usedFiles && usedFiles->FindFile(fileName) < 0)
        usedFiles->AddFile(fileName);
}

void GameCtrl::ProcessText(wString& text) { (void)text; }
