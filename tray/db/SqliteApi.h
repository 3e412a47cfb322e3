// The SQLite 3 entry points this layer binds by name, declared here so that the portable code
// needs no SQLite header. Internal to tray/db.
#pragma once

#include "platform/SharedLibrary.h"

#include <cstdarg>
#include <memory>

namespace pellmar {

struct SqliteConnection;  // the library's connection object; never dereferenced here
struct SqliteStatement;   // a prepared statement; never dereferenced here

struct SqliteApi {
    using RowCallback = int (*)(void*, int, char**, char**);
    using BusyCallback = int (*)(void*, int);

    int (*open_v2)(const char*, SqliteConnection**, int, const char*);
    int (*close)(SqliteConnection*);
    const char* (*libversion)();
    void (*free)(void*);
    int (*busy_timeout)(SqliteConnection*, int);
    int (*busy_handler)(SqliteConnection*, BusyCallback, void*);
    const char* (*errstr)(int);
    int (*complete)(const char*);
    long long (*last_insert_rowid)(SqliteConnection*);
    void (*interrupt)(SqliteConnection*);
    int (*changes)(SqliteConnection*);
    int (*exec)(SqliteConnection*, const char*, RowCallback, void*, char**);
    char* (*vmprintf)(const char*, va_list);
    // Stepping a prepared statement and reading its row by column position.
    int (*prepare_v2)(SqliteConnection*, const char*, int, SqliteStatement**, const char**);
    int (*step)(SqliteStatement*);
    int (*finalize)(SqliteStatement*);
    int (*column_count)(SqliteStatement*);
    int (*column_type)(SqliteStatement*, int);
    long long (*column_int64)(SqliteStatement*, int);
    double (*column_double)(SqliteStatement*, int);
    const unsigned char* (*column_text)(SqliteStatement*, int);
    int (*column_bytes)(SqliteStatement*, int);
    const char* (*errmsg)(SqliteConnection*);
};

// nullptr unless every entry point is exported by the library.
std::unique_ptr<SqliteApi> BindSqliteApi(const platform::SharedLibrary& library);

}  // namespace pellmar
