// SqliteFile: a database file made by a test from SQL statements, through the library itself.
#pragma once
#include <sqlite3.h>

#include <string>

// Creates (or extends) the database at path by running the statements; false when a step fails.
inline bool WriteSqliteFile(const std::string& path, const std::string& sql)
{
    sqlite3* db = nullptr;
    const bool opened = sqlite3_open(path.c_str(), &db) == SQLITE_OK;
    const bool ran = opened && sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr) == SQLITE_OK;
    sqlite3_close(db);
    return ran;
}
