// GuiDBText: one query of the "Gui" table.
#include "game/ctrl/GuiDBText.h"

#include "base/LocalText.h"

wString GetGuiDBText(const char* group, const char* name, uint8_t* found)
{
    String sql;
    sql.Format("SELECT content FROM Gui WHERE id='%s' AND name='%s'", group, name);
    LocalText& database = LocalText::Get();
    if (database.RunQuery(sql.c_str(), 1) == 1) {
        if (found)
            *found = 1;
        return database.GetResultRows().GetAt(0)->text;
    }
    if (found)
        *found = 0;
    String missing;
    missing.Format("DBErr:%s,%s", group, name);
    return wString(missing.c_str());
}
