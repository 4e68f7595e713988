// LocalText: queries through prepared statements and the reference scanner.
//
// Tables, one per kind of text, each with a text column "id" (texts stored as UTF-8):
//   Gui (content, name)  Items (content)  Messages (content, audio)  Names (content)
//   Other (content)  Quests (value, content, info)  Skills (content, info)
// Key parts are never pasted into SQL: a template's '%s' becomes a parameter bound to the part as
// a text, and a bare %s a parameter bound to a number (a part that is no number fails the query),
// so that no id can change a query.
#include "base/LocalText.h"

#include "base/ErrorClass.h"
#include "base/Utf8.h"
#include "platform/PathResolver.h"

#include <sqlite3.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <memory>
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

// A number as SQL reads it, blanks around it allowed ("q1, 2" is fine), as a bound value.
bool ParseNumber(const char* part, LocalText::BoundValue& value)
{
    std::string number(part);
    size_t first = number.find_first_not_of(" \t");
    size_t last = number.find_last_not_of(" \t");
    number = first == std::string::npos ? "" : number.substr(first, last - first + 1);
    if (!IsNumber(number.c_str()))
        return false;
    errno = 0;
    if (number.find('.') == std::string::npos) {
        long long integer = std::strtoll(number.c_str(), nullptr, 10);
        if (errno == 0) {
            value.kind = LocalText::BoundValue::kInteger;
            value.integer = integer;
            return true;
        }
    }
    value.kind = LocalText::BoundValue::kReal;
    value.real = std::strtod(number.c_str(), nullptr);
    return true;
}

// The template as a statement: each '%s' (a whole quoted literal) becomes a "?" bound to the next
// part as a text, each bare %s a "?" bound to it as a number, "%%" a "%". False when a part
// cannot stand where it must, or the template holds any other directive (a placeholder inside a
// longer literal among them).
bool BuildStatement(const char* queryTemplate, const String* parts, int32_t count, std::string& sql,
                    std::vector<LocalText::BoundValue>& values)
{
    sql.clear();
    values.clear();
    int32_t next = 0;
    for (const char* p = queryTemplate; *p; ++p) {
        if (*p == '\'') {
            if (std::strncmp(p + 1, "%s'", 3) == 0) {
                if (next >= count)
                    return false;
                LocalText::BoundValue value;
                value.text = parts[next++].c_str();
                values.push_back(std::move(value));
                sql += '?';
                p += 3;
                continue;
            }
            sql += *p++;  // a literal of the template, doubled quotes and all
            for (;; ++p) {
                if (*p == 0)
                    return false;
                if (*p == '%' && *++p != '%')
                    return false;
                sql += *p;
                if (*p == '\'') {
                    if (p[1] != '\'')
                        break;
                    sql += *++p;
                }
            }
            continue;
        }
        if (*p == '%') {
            ++p;
            if (*p == '%') {
                sql += '%';
                continue;
            }
            LocalText::BoundValue value;
            if (*p != 's' || next >= count || !ParseNumber(parts[next++].c_str(), value))
                return false;
            values.push_back(value);
            sql += '?';
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

int32_t LocalText::RunQuery(const char* sql, int32_t row) { return Execute(sql, {}, row); }

int32_t LocalText::RunQuery(const char* sql, std::initializer_list<const char*> texts, int32_t row)
{
    std::vector<BoundValue> values;
    for (const char* text : texts) {
        BoundValue value;
        value.text = text ? text : "";
        values.push_back(std::move(value));
    }
    return Execute(sql, values, row);
}

int32_t LocalText::RunQuery(const char* sql, const std::vector<BoundValue>& values, int32_t row)
{
    return Execute(sql, values, row);
}

int32_t LocalText::Execute(const char* sql, const std::vector<BoundValue>& values, int32_t row)
{
    m_Rows.DeleteAll();
    sqlite3_stmt* prepared = nullptr;
    if (!m_Database || !sql || sqlite3_prepare_v2(m_Database, sql, -1, &prepared, nullptr) != SQLITE_OK ||
        !prepared) {
        sqlite3_finalize(prepared);
        SetSingleRow(kDBError);
        return 0;
    }
    std::unique_ptr<sqlite3_stmt, int (*)(sqlite3_stmt*)> statement(prepared, sqlite3_finalize);
    bool bound = sqlite3_bind_parameter_count(prepared) == int(values.size());
    for (size_t i = 0; bound && i < values.size(); ++i) {
        const BoundValue& value = values[i];
        const int index = int(i) + 1;
        int rc = SQLITE_OK;
        switch (value.kind) {
        case BoundValue::kText:
            rc = sqlite3_bind_text(prepared, index, value.text.c_str(), int(value.text.size()), SQLITE_TRANSIENT);
            break;
        case BoundValue::kInteger: rc = sqlite3_bind_int64(prepared, index, value.integer); break;
        case BoundValue::kReal: rc = sqlite3_bind_double(prepared, index, value.real); break;
        }
        bound = rc == SQLITE_OK;
    }
    if (!bound) {
        SetSingleRow(kDBError);
        return 0;
    }
    for (int32_t seen = 0;;) {
        const int rc = sqlite3_step(prepared);
        if (rc == SQLITE_DONE)
            break;
        if (rc != SQLITE_ROW) {
            SetSingleRow(kDBError);
            return 0;
        }
        if (++seen != row)
            continue;
        const int columns = sqlite3_column_count(prepared);
        for (int i = 0; i < columns; ++i) {
            DBEntry* entry = m_Rows.GetBySlot(m_Rows.Add());
            const char* name = sqlite3_column_name(prepared, i);
            entry->name = name ? name : "";
            const char* text = reinterpret_cast<const char*>(sqlite3_column_text(prepared, i));
            if (text && !Utf8::ToUtf16(text, entry->text)) {  // a null value leaves the text empty
                SetSingleRow(kDBError);
                ErrorClassSimple::StaticError("Could not convert string");
            }
        }
        break;
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
    if (count <= kMaxKeyParts)
        SplitKey(key, count, parts);
    return QueryWithParts(sqlTemplate, parts, count, rows);
}

int32_t LocalText::QueryWithParts(const char* queryTemplate, const String* parts, int32_t count, DBRows& rows)
{
    std::string sql;
    std::vector<BoundValue> values;
    int32_t result = 0;
    if (queryTemplate && count <= kMaxKeyParts && BuildStatement(queryTemplate, parts, count, sql, values))
        result = Execute(sql.c_str(), values, 1);
    else
        SetSingleRow(kDBError);
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

int32_t LocalText::QueryReference(const std::string& code, const std::string& id)
{
    const CodeQuery* query = nullptr;
    for (const CodeQuery& q : kCodeQueries)
        if (code == q.code)
            query = &q;
    if (!query)
        return 0;
    String parts[2];
    size_t comma = query->withValue ? id.find(',') : std::string::npos;
    parts[0] = id.substr(0, comma).c_str();
    if (comma != std::string::npos)
        parts[1] = id.substr(comma + 1).c_str();
    std::string sql;
    std::vector<BoundValue> values;
    if (!BuildStatement(query->sql, parts, query->withValue ? 2 : 1, sql, values))
        return 0;
    return Execute(sql.c_str(), values, 1);
}

std::u16string LocalText::Resolve(const std::string& code, const std::string& id)
{
    switch (QueryReference(code, id)) {
    case 1: return m_Rows.GetAt(0)->text.c_str();
    case -1: return kNotFound;
    default: return kDBError;
    }
}

bool LocalText::Translate(const char* text, wString& out)
{
    if (!text)
        return false;
    int32_t result = 0;
    if (std::strncmp(text, "SELECT", 6) == 0) {
        result = RunQuery(text, 1);
    } else if (std::strncmp(text, "DB:", 3) == 0) {
        const char* colon = std::strchr(text + 3, ':');
        if (!colon || colon[1] == 0)
            return false;
        result = QueryReference(std::string(text + 3, colon), colon + 1);
    }
    if (result != 1)
        return false;
    out = m_Rows.GetAt(0)->text;
    return true;
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
