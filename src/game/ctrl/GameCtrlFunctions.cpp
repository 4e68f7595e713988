// GameCtrl: the curve functions of "cfg/functions.cfg", the named curves that scale game values by
// a level, experience, might or the number of players.
#include "game/ctrl/GameCtrl.h"

#include "base/File.h"

#include <cstdint>

namespace {

const char* const kFunctionsFile = "cfg/functions.cfg";

struct Keyword {
    const char* name;
    int32_t value;
};

const Keyword kAttributes[] = {
    {"level", GameFunction::kLevel}, {"xp", GameFunction::kXP},   {"might", GameFunction::kMight},
    {"MonsterLevel", GameFunction::kMonsterLevel}, {"none", GameFunction::kNone},
};
const Keyword kOperations[] = {{"multiply", GameFunction::kMultiply}, {"add", GameFunction::kAdd}};

// The key's keyword into value; an unknown keyword leaves it without a word.
template <size_t N>
void ReadKeyword(ConfigFileReader& reader, const char* key, int32_t entry, const Keyword (&keywords)[N],
                 int32_t& value)
{
    String text;
    if (reader.GetString(key, text, entry) != ConfigFileReader::kFound)
        return;
    for (const Keyword& keyword : keywords)
        if (text.EqualsNoCase(keyword.name)) {
            value = keyword.value;
            return;
        }
}

}  // namespace

// Entries ("#" lines) of desc, func (a key curve, see ReadBezierSpline1D), interpolation (0 step,
// 1 linear, 2 cubic; default 2), loopTime (looping above 0), attribute and attributeOperation.
// Names are matched ignoring case; of two equal names the first counts. The file is optional.
void GameCtrl::LoadFunctions()
{
    m_FunctionsReader.SetConstantTable(&m_Constants);
    if (!m_FunctionsReader.NeedsReload() || !File::Exists(kFunctionsFile))
        return;
    m_FunctionsReader.SetDescKey("desc");
    if (m_FunctionsReader.Load(kFunctionsFile) != 0)
        Error("%s", m_FunctionsReader.GetErrorText());
    m_Functions.Clear();

    for (int32_t entry = 0; entry < m_FunctionsReader.GetNumEntries(); ++entry) {
        const String name = m_FunctionsReader.GetDescOfEntry(entry);
        GameFunction* function = nullptr;
        try {
            function = m_Functions.Insert(name);
        } catch (const ErrorMsg&) {
            // the tree has reported a name it cannot hold; the other functions still load
        }
        if (!function)
            continue;  // no name, or one already taken
        const String context = String(kFunctionsFile) + ":" + name;
        ReadBezierSpline1D(m_FunctionsReader, "func", entry, function->curve, context.c_str());

        int32_t interpolation = 2;
        float loopTime = 0.0f;
        m_FunctionsReader.GetInt("interpolation", interpolation, entry);
        m_FunctionsReader.GetFloat("loopTime", loopTime, entry);
        ReadKeyword(m_FunctionsReader, "attribute", entry, kAttributes, function->attribute);
        ReadKeyword(m_FunctionsReader, "attributeOperation", entry, kOperations, function->attributeOperation);

        function->name = name;
        function->curve.SetMode(interpolation > INT32_MIN ? interpolation - 1 : INT32_MIN);  // below 0: step
        if (loopTime > 0.0f) {
            function->curve.SetLoop(true);
            function->curve.SetLoopTime(loopTime);
        }
    }
}
