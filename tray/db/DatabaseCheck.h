// Telling a damaged database file apart from a busy or a missing one, and the advice a host or
// pellmarctl gives before it refuses to work on it. Reads only: a damaged file is never written,
// so whatever it still holds can be rescued from it.
#pragma once

#include <optional>
#include <string>

namespace pellmar {

// What SQLite says is wrong with the file at `databasePath` (not a database, a malformed page);
// nothing when it is sound, missing, or cannot be checked now (locked, no SQLite). Reads the
// whole file: meant for a start, not for every statement. Any thread; opens its own connection.
std::optional<std::string> DatabaseDamage(const std::string& databasePath);

// True when a statement's error text means the file is damaged rather than busy.
bool IsDamageError(const std::string& errorText);

// The message that names the file, the problem and the way out.
std::string DamagedDatabaseAdvice(const std::string& databasePath, const std::string& problem);

}  // namespace pellmar
