// LocalText: the localisation database (one SQLite file per language) and the resolving of text
// references such as "DB_NamCon:merchant" or 'DB_GuiCon:ok' inside a text into UTF-16 texts.
// Main thread only: the result rows and the row counter are state of the one object.
#pragma once
#include "base/DynaMem.h"
#include "base/String.h"

#include <cstdint>
#include <exception>
#include <string>

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

    // Runs the SQL and keeps the columns of the given row (1 the first): 1 found, -1 no such row
    // (one row "DBError: entry not found"), 0 failure (one row "DBError").
    int32_t RunQuery(const char* sql, int32_t row);

    // A key beginning with "DB:" is looked up through the template; any other key comes back as
    // one row {"string", key} with the result 0.
    int32_t Query(const char* key, DBRows& rows, const char* queryTemplate);
    // Fills the template's "%s" with the key's comma-separated parts and runs it for row 1.
    int32_t QueryWithTemplate(const char* key, DBRows& rows, const char* queryTemplate);
    // Passes over "DB:" (or "DB", one character and ":") and splits the rest at ","; the last part
    // wanted takes the rest of the text, parts not present are emptied.
    static void SplitKey(const char* key, int32_t count, String* parts);

    // The text with every reference replaced: a whole text "DB_<code>:<id>", or references
    // between quotes inside it (the quotes go with the reference).
    wString Lookup(const char* text);

    DBRows& GetResultRows() { return m_Rows; }

private:
    static int OnRow(void* context, int columns, char** values, char** names);
    std::u16string Resolve(const std::string& code, const std::string& id);
    void SetSingleRow(const char16_t* text);

    sqlite3* m_Database = nullptr;
    DBRows m_Rows;
    int32_t m_RowsToSkip = 0;
    std::exception_ptr m_RowFailure;  // raised in the row callback, rethrown after sqlite3_exec
};
