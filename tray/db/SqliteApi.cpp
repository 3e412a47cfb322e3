// Binding of the SQLite 3 entry points by name; all of them or none.
// Loading the library is platform::SharedLibrary's; using the entry points is SQLiteDatabase's.
#include "tray/db/SqliteApi.h"

namespace pellmar {
namespace {

template <typename Function>
bool Bind(const platform::SharedLibrary& library, const char* name, Function*& target) {
    // Casting from the generic function address is the documented way to use a looked-up symbol.
    target = reinterpret_cast<Function*>(library.Symbol(name));
    return target != nullptr;
}

}  // namespace

std::unique_ptr<SqliteApi> BindSqliteApi(const platform::SharedLibrary& library) {
    auto api = std::make_unique<SqliteApi>();
    const bool complete = Bind(library, "sqlite3_open_v2", api->open_v2) &&
                          Bind(library, "sqlite3_close", api->close) &&
                          Bind(library, "sqlite3_libversion", api->libversion) &&
                          Bind(library, "sqlite3_free", api->free) &&
                          Bind(library, "sqlite3_busy_timeout", api->busy_timeout) &&
                          Bind(library, "sqlite3_busy_handler", api->busy_handler) &&
                          Bind(library, "sqlite3_errstr", api->errstr) &&
                          Bind(library, "sqlite3_complete", api->complete) &&
                          Bind(library, "sqlite3_last_insert_rowid", api->last_insert_rowid) &&
                          Bind(library, "sqlite3_interrupt", api->interrupt) &&
                          Bind(library, "sqlite3_changes", api->changes) &&
                          Bind(library, "sqlite3_exec", api->exec) &&
                          Bind(library, "sqlite3_vmprintf", api->vmprintf) &&
                          Bind(library, "sqlite3_prepare_v2", api->prepare_v2) &&
                          Bind(library, "sqlite3_step", api->step) &&
                          Bind(library, "sqlite3_finalize", api->finalize) &&
                          Bind(library, "sqlite3_column_count", api->column_count) &&
                          Bind(library, "sqlite3_column_type", api->column_type) &&
                          Bind(library, "sqlite3_column_int64", api->column_int64) &&
                          Bind(library, "sqlite3_column_double", api->column_double) &&
                          Bind(library, "sqlite3_column_text", api->column_text) &&
                          Bind(library, "sqlite3_column_bytes", api->column_bytes) &&
                          Bind(library, "sqlite3_errmsg", api->errmsg);
    if (!complete) {
        return nullptr;
    }
    return api;
}

}  // namespace pellmar
