// VoiceClass: the class name of a character and what it picks.
#include "scifi/text/VoiceClass.h"

#include "game/ctrl/GuiDBText.h"
#include "game/objects/CreatureObj.h"

VoiceClass::VoiceClass(const CreatureObj* character)
{
    if (!character)
        return;
    const String& id = character->m_CfgID;
    m_Name = id.StartsWith("ch_") ? String(id.c_str() + 3) : id;
}

String VoiceClass::TableName(const char* base) const
{
    if (!IsPlainSqlName(m_Name.c_str()))
        return String();
    String table;
    table.Format("%s_%s", base, m_Name.c_str());
    return table;
}

const char* VoiceClass::GetVoicePrefix() const
{
    if (m_Name.TextLength() < 2)
        return "";
    switch (m_Name.c_str()[1]) {
    case 'A':
    case 'a':
        return "MA_";
    case 'L':
    case 'l':
        return "PL_";
    case 'Y':
    case 'y':
        return "PY_";
    default:
        return "";
    }
}

String VoiceClass::VoicedFile(const String& file) const
{
    String voiced(GetVoicePrefix());
    voiced += file;
    return voiced;
}
