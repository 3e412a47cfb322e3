// Version counters over the statement builders of the database layer.
// Reads run on the caller's connection inside its transaction; nothing here commits.
#include "tray/jobs/Versions.h"

#include "tray/db/SQLiteQuery.h"
#include "tray/db/Statements.h"

namespace pellmar {

std::optional<VersionNumbering::Counter> VersionNumbering::Read(std::uint32_t fileid) {
    if (auto known = counters_.find(fileid); known != counters_.end()) return known->second;
    query_.SetText(SelectFileVersionStatement(fileid));
    if (query_.Execute() >= 1) return std::nullopt;
    Counter counter;
    query_.First();
    if (!query_.Eof()) {
        counter.last = ReadInteger(query_.FieldByName("currentversion"));
        counter.stored = true;
    }
    query_.Clear();
    return counter;
}

bool VersionNumbering::Number(ChangeEvent& event, std::string* statements) {
    if (event.maxversions <= 0 || (event.jobtype != ChangeCreated && event.jobtype != ChangeModified) ||
        NamesFolder(event))
        return true;
    std::optional<Counter> counter = Read(event.fileid);
    if (!counter) return false;
    const std::int32_t version = counter->last + 1;
    *statements += counter->stored ? UpdateFileVersionStatement(event.fileid, version)
                                   : InsertFileVersionStatement(event.fileid, version);
    *statements += "\r\n";
    counters_[event.fileid] = Counter{version, true};
    event.currentversion = version;
    event.dest = VersionFileName(event.dest, version);
    return true;
}

}  // namespace pellmar
