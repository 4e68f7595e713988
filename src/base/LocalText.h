// LocalText: the localisation database (one SQLite file per language) and the resolving of text
// references such as "DB_NamCon:merchant" or 'DB_GuiCon:ok' inside a text into UTF-16 texts.
// Every lookup goes through one prepared statement whose values are bound as parameters: an id
// never becomes part of the SQL text. Main thread only: the result rows are state of the one object.
#pragma once
#include "base/DynaMem.h"
#include "base/String.h"

#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

struct sqlite3;

// One column of a result row: the column's name and its text.
struct DBEntry {
    String name;
    wString text;
};

using DBRows = DynaMem<DBEntry, 20>;

class LocalText {
public:
    static constexpr int32_t kMaxKeyParts = 6;
    static constexpr const char16_t* kDBError = u"DBError";  // what callers show when a query failed
    static constexpr const char16_t* kNotFound = u"DBError: entry not found";

    LocalText() = default;
    ~LocalText() { Close(); }
    LocalText(const LocalText&) = delete;
    LocalText& operator=(const LocalText&) = delete;

    // The program's one object; its database closes at exit.
    static LocalText& Get();

    // Closes an open database, then opens the file (a game name) read-only.
    bool Open(const char* path);
    void Close();
    bool IsOpen() const { return m_Database != nullptr; }

    // Runs the first statement of the SQL and keeps the columns of the given row (1 the first):
    // 1 found, -1 no such row (one row "DBError: entry not found"), 0 failure (one row "DBError").
    int32_t RunQuery(const char* sql, int32_t row);
    // The same with the statement's "?" parameters bound, in order, to the texts (null binds an
    // empty text). Table and column names are fixed texts of the caller, never values.
    int32_t RunQuery(const char* sql, std::initializer_list<const char*> texts, int32_t row);
    // The same with values that may be numbers (BoundValue, below).
    struct BoundValue;
    int32_t RunQuery(const char* sql, const std::vector<BoundValue>& values, int32_t row);

    // A key beginning with "DB:" is looked up through the template; any other key comes back as
    // one row {"string", key} with the result 0.
    int32_t Query(const char* key, DBRows& rows, const char* queryTemplate);
    // Fills the template's "%s" with the key's comma-separated parts and runs it for row 1.
    int32_t QueryWithTemplate(const char* key, DBRows& rows, const char* queryTemplate);
    // The same with the parts given apart, so that no part is split at a comma.
    int32_t QueryWithParts(const char* queryTemplate, const String* parts, int32_t count, DBRows& rows);
    // Passes over "DB:" (or "DB", one character and ":") and splits the rest at ","; the last part
    // wanted takes the rest of the text, parts not present are emptied.
    static void SplitKey(const char* key, int32_t count, String* parts);

    // The text with every reference replaced: a whole text "DB_<code>:<id>", or references
    // between quotes inside it (the quotes go with the reference).
    wString Lookup(const char* text);
    // One lookup of a whole text: a text beginning with "SELECT" runs as it stands, "DB:<code>:<id>"
    // is the reference of that code. True with the first column of the row found in out; false,
    // out untouched, when nothing was found or the text is neither.
    bool Translate(const char* text, wString& out);

    DBRows& GetResultRows() { return m_Rows; }

    // A value bound to one "?" of a statement: a text, or a number as SQL reads it.
    struct BoundValue {
        enum Kind { kText, kInteger, kReal } kind = kText;
        std::string text;
        int64_t integer = 0;
        double real = 0.0;
    };

private:
    int32_t Execute(const char* sql, const std::vector<BoundValue>& values, int32_t row);
    // The query of a reference code with its id: RunQuery's result, 0 for an unknown code or id.
    int32_t QueryReference(const std::string& code, const std::string& id);
    std::u16string Resolve(const std::string& code, const std::string& id);
    void SetSingleRow(const char16_t* text);

    sqlite3* m_Database = nullptr;
    DBRows m_Rows;
};
