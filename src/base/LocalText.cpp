// LocalText: queries through sqlite3_exec and the reference scanner.
//
// Tables, one per kind of text, each with a text column "id" (texts stored as UTF-8):
//   Gui (content, name)  Items (content)  Messages (content, audio)  Names (content)
//   Other (content)  Quests (value, content, info)  Skills (content, info)
// Key parts are never pasted into SQL as they stand: inside quotes a part is quoted as SQL
// quotes it (each ' doubled), outside quotes it must be a number, so no id can change a query.
#include "base/LocalText.h"

#include "base/ErrorClass.h"
#include "base/Utf8.h"
#include "platform/PathResolver.h"

#include <sqlite3.h>

#include <cstring>
#include <string>

namespace {

struct CodeQuery {
    const char* code;
    const char* sql;
    bool withValue;  // the reference holds "id,value"
};

const CodeQuery kCodeQueries[] = {
    {"GuiCon", "SELECT content FROM Gui WHERE id='%s'", false},
    {"ItmCon", "SELECT content FROM Items WHERE id='%s'", false},
    {"MsgCon", "SELECT content FROM Messages WHERE id='%s'", false},
    {"MsgAud", "SELECT audio FROM Messages WHERE id='%s'", false},
    {"NamCon", "SELECT content FROM Names WHERE id='%s'", false},
    {"OthCon", "SELECT content FROM Other WHERE id='%s'", false},
    {"QstCon", "SELECT content FROM Quests WHERE id='%s' AND value=%s", true},
    {"QstInf", "SELECT info FROM Quests WHERE id='%s' AND value=%s", true},
    {"SklCon", "SELECT content FROM Skills WHERE id='%s'", false},
    {"SklInf", "SELECT info FROM Skills WHERE id='%s'", false},
};

bool IsQuote(char c) { return c == '\'' || c == '"'; }

// A number as SQL reads it: optional sign, digits, optional fraction.
bool IsNumber(const char* s)
{
    if (*s == '-' || *s == '+')
        ++s;
    bool digits = false;
    while (*s >= '0' && *s <= '9') {
        ++s;
        digits = true;
    }
    if (*s == '.') {
        ++s;
        while (*s >= '0' && *s <= '9') {
            ++s;
            digits = true;
        }
    }
    return digits && *s == 0;
}

int32_t CountPlaceholders(const char* queryTemplate)
{
    int32_t n = 0;
    for (const char* p = queryTemplate; *p; ++p) {
        if (p[0] == '%' && p[1] == 's')
            ++n;
        else if (p[0] == '%' && p[1] == '%')
            ++p;
    }
    return n;
}

// The template with its "%s" filled from parts in order ("%%" gives "%"); false when a part
// cannot stand where it must, or the template holds another directive.
bool BuildSql(const char* queryTemplate, const String* parts, int32_t count, std::string& sql)
{
    sql.clear();
    bool inQuotes = false;
    int32_t next = 0;
    for (const char* p = queryTemplate; *p; ++p) {
        if (*p == '\'') {
            inQuotes = !inQuotes;
        } else if (*p == '%') {
            ++p;
            if (*p == '%') {
                sql += '%';
                continue;
            }
            if (*p != 's' || next >= count)
                return false;
            const char* part = parts[next++].c_str();
            if (inQuotes) {
                for (const char* c = part; *c; ++c) {
                    if (*c == '\'')
                        sql += '\'';
                    sql += *c;
                }
            } else if (IsNumber(part)) {
                sql += part;
            } else {
                return false;
            }
            continue;
        }
        sql += *p;
    }
    return true;
}

void AppendWidened(std::u16string& out, const std::string& text, size_t from, size_t to)
{
    for (size_t i = from; i < to; ++i)
        out += char16_t(static_cast<unsigned char>(text[i]));
}

void CopyRows(DBRows& from, DBRows& to)
{
    to.DeleteAll();
    for (int32_t i = 0; i < from.GetSize(); ++i) {
        DBEntry* row = to.GetBySlot(to.Add());
        *row = *from.GetAt(i);
    }
}

}  // namespace

LocalText& LocalText::Get()
{
    static LocalText localText;
    return localText;
}

bool LocalText::Open(const char* path)
{
    Close();
    if (!path)
        return false;
    // Read-only: a missing file must fail here instead of becoming an empty database.
    sqlite3* db = nullptr;
    int rc = sqlite3_open_v2(Platform::ResolvePath(path).c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
    if (rc != SQLITE_OK || !db) {
        sqlite3_close(db);
        return false;
    }
    m_Database = db;
    return true;
}

void LocalText::Close()
{
    if (m_Database) {
        sqlite3_close(m_Database);
        m_Database = nullptr;
    }
}

void LocalText::SetSingleRow(const char16_t* text)
{
    m_Rows.DeleteAll();
    DBEntry* entry = m_Rows.GetBySlot(m_Rows.Add());
    entry->name = "string";
    entry->text = text;
}

int LocalText::OnRow(void* context, int columns, char** values, char** names)
{
    LocalText* self = static_cast<LocalText*>(context);
    // Nothing may unwind through SQLite's C frames: keep the failure, stop the statement, and
    // let RunQuery raise it once sqlite3_exec has returned.
    try {
        if (--self->m_RowsToSkip != 0 || !values || columns < 1)
            return 0;
        for (int i = 0; i < columns; ++i) {
            DBEntry* entry = self->m_Rows.GetBySlot(self->m_Rows.Add());
            entry->name = names && names[i] ? names[i] : "";
            if (values[i] && !Utf8::ToUtf16(values[i], entry->text))
                ErrorClassSimple::StaticError("Could not convert string");
        }
        return 0;
    } catch (...) {
        self->m_RowFailure = std::current_exception();
        return 1;
    }
}

int32_t LocalText::RunQuery(const char* sql, int32_t row)
{
    m_RowsToSkip = row;
    m_Rows.DeleteAll();
    m_RowFailure = nullptr;
    if (!m_Database || !sql) {
        SetSingleRow(kDBError);
        return 0;
    }
    int rc = sqlite3_exec(m_Database, sql, OnRow, this, nullptr);
    if (m_RowFailure) {
        std::exception_ptr failure = m_RowFailure;
        m_RowFailure = nullptr;
        SetSingleRow(kDBError);
        std::rethrow_exception(failure);
    }
    if (rc != SQLITE_OK) {
        SetSingleRow(kDBError);
        return 0;
    }
    if (m_Rows.GetSize() > 0)
        return 1;
    SetSingleRow(kNotFound);
    return -1;
}

int32_t LocalText::Query(const char* key, DBRows& rows, const char* queryTemplate)
{
    rows.DeleteAll();
    if (key && std::strncmp(key, "DB:", 3) == 0)
        return QueryWithTemplate(key, rows, queryTemplate);
    DBEntry* entry = rows.GetBySlot(rows.Add());
    entry->name = "string";
    entry->text = key ? key : "";
    return 0;
}

int32_t LocalText::QueryWithTemplate(const char* key, DBRows& rows, const char* queryTemplate)
{
    const char* sqlTemplate = queryTemplate ? queryTemplate : "";
    int32_t count = CountPlaceholders(sqlTemplate);
    String parts[kMaxKeyParts];
    std::string sql;
    int32_t result = 0;
    if (count <= kMaxKeyParts) {
        SplitKey(key, count, parts);
        if (BuildSql(sqlTemplate, parts, count, sql))
            result = RunQuery(sql.c_str(), 1);
        else
            SetSingleRow(kDBError);
    } else {
        SetSingleRow(kDBError);
    }
    CopyRows(m_Rows, rows);
    return result;
}

void LocalText::SplitKey(const char* key, int32_t count, String* parts)
{
    if (count > kMaxKeyParts)
        count = kMaxKeyParts;
    for (int32_t i = 0; i < count; ++i)
        parts[i] = "";
    if (!key || count < 1)
        return;
    std::string rest(key);
    if (rest.compare(0, 3, "DB:") == 0)
        rest.erase(0, 3);
    else if (rest.size() >= 4 && rest.compare(0, 2, "DB") == 0 && rest[3] == ':')
        rest.erase(0, 4);
    for (int32_t i = 0; i < count; ++i) {
        size_t comma = rest.find(',');
        if (i == count - 1 || comma == std::string::npos) {
            parts[i] = rest.c_str();
            return;
        }
        parts[i] = rest.substr(0, comma).c_str();
        rest.erase(0, comma + 1);
    }
}

std::u16string LocalText::Resolve(const std::string& code, const std::string& id)
{
    const CodeQuery* query = nullptr;
    for (const CodeQuery& q : kCodeQueries)
        if (code == q.code)
            query = &q;
    if (!query)
        return kDBError;
    String parts[2];
    size_t comma = query->withValue ? id.find(',') : std::string::npos;
    parts[0] = id.substr(0, comma).c_str();
    if (comma != std::string::npos)
        parts[1] = id.substr(comma + 1).c_str();
    std::string sql;
    if (!BuildSql(query->sql, parts, query->withValue ? 2 : 1, sql))
        return kDBError;
    switch (RunQuery(sql.c_str(), 1)) {
    case 1: return m_Rows.GetAt(0)->text.c_str();
    case -1: return kNotFound;
    default: return kDBError;
    }
}

wString LocalText::Lookup(const char* text)
{
    std::string s(text ? text : "");
    std::u16string out;
    size_t copied = 0;
    if (s.size() > 5) {
        for (size_t i = 0; i < s.size() - 6; ++i) {
            bool whole = i == 0 && s.compare(0, 3, "DB_") == 0;
            bool embedded = IsQuote(s[i]) && s.compare(i + 1, 3, "DB_") == 0;
            if (!whole && !embedded)
                continue;
            size_t codeStart = (whole ? 0 : i + 1) + 3;
            size_t colon = s.find(':', codeStart);
            if (colon == std::string::npos)
                continue;
            size_t close = whole ? s.size() : s.find_first_of("'\"", colon + 1);
            if (close == std::string::npos || close == colon + 1)
                break;  // no closing quote or no id: the rest stays as it is
            std::u16string replacement =
                Resolve(s.substr(codeStart, colon - codeStart), s.substr(colon + 1, close - colon - 1));
            if (whole) {
                wString result;
                result = replacement.c_str();
                return result;
            }
            AppendWidened(out, s, copied, i);
            out += replacement;
            copied = close + 1;
            i = close;
        }
    }
    AppendWidened(out, s, copied, s.size());
    wString result;
    result = out.c_str();
    return result;
}
