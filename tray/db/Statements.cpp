// Statement texts of every table, and reading stored values back.
// Builds texts only: running them is the caller's unit of work.
#include "tray/db/Statements.h"

#include "tray/db/SQLiteQuery.h"
#include "tray/util/Lists.h"

#include <charconv>

namespace pellmar {

std::string SqlText(std::string_view value) {
    std::string text;
    text.reserve(value.size() + 2);
    text += '\'';
    for (const char c : value) {
        if (c == '\'') {
            text += '\'';
        }
        text += c;
    }
    text += '\'';
    return text;
}

std::string SqlInteger(std::int64_t value) {
    return std::to_string(value);
}

std::string SqlFileId(std::uint32_t fileid) {
    return std::to_string(fileid);
}

std::string SqlFlag(bool value) {
    return value ? "1" : "0";
}

std::int64_t ReadInteger64(std::string_view text) {
    // from_chars takes no "+"; a leading one is still a decimal number.
    if (text.size() > 1 && text.front() == '+' && text[1] != '-') {
        text.remove_prefix(1);
    }
    std::int64_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size()) {
        return 0;
    }
    return value;
}

std::int32_t ReadInteger(std::string_view text) {
    return static_cast<std::int32_t>(ReadInteger64(text));
}

std::uint32_t ReadFileId(std::string_view text) {
    return static_cast<std::uint32_t>(ReadInteger64(text));
}

bool ReadFlag(std::string_view text) {
    return text == "1";
}

// --- scanners -------------------------------------------------------------------------------

ScannerValues ReadScannerRow(const RowField& field) {
    ScannerValues values;
    values.id = ReadInteger(field("id"));
    values.root = field("root");
    SplitList(field("filters"), &values.filters);
    SplitList(field("exceptions"), &values.exceptions);
    values.backuppath = field("backuppath");
    values.subfolders = ReadFlag(field("subfolders"));
    values.deletions = ReadFlag(field("deletions"));
    values.exclusive = ReadFlag(field("exclusive"));
    values.hasversions = ReadFlag(field("hasversions"));
    values.maxversions = ReadInteger(field("maxversions"));
    values.status = ReadInteger(field("status"));
    return values;
}

ScannerValues ReadScannerRow(const SQLiteQuery& query) {
    return ReadScannerRow([&query](const std::string& column) { return query.FieldByName(column); });
}

std::string SelectScannersStatement() {
    return "SELECT * FROM scanners;";
}

std::string InsertScannerStatement(const ScannerValues& s) {
    return "INSERT INTO scanners VALUES(NULL," + SqlText(s.root) + "," + SqlText(JoinList(s.filters)) +
           "," + SqlText(JoinList(s.exceptions)) + "," + SqlText(s.backuppath) + "," +
           SqlFlag(s.subfolders) + "," + SqlFlag(s.deletions) + "," + SqlFlag(s.exclusive) + "," +
           SqlFlag(s.hasversions) + "," + SqlInteger(s.maxversions) + "," + SqlInteger(s.status) +
           ");";
}

std::string UpdateScannerStatement(const ScannerValues& s) {
    return "UPDATE scanners SET root=" + SqlText(s.root) + ",filters=" + SqlText(JoinList(s.filters)) +
           ",exceptions=" + SqlText(JoinList(s.exceptions)) + ",backuppath=" + SqlText(s.backuppath) +
           ",subfolders=" + SqlFlag(s.subfolders) + ",deletions=" + SqlFlag(s.deletions) +
           ",exclusive=" + SqlFlag(s.exclusive) + ",hasversions=" + SqlFlag(s.hasversions) +
           ",maxversions=" + SqlInteger(s.maxversions) + ",status=" + SqlInteger(s.status) +
           " WHERE id=" + SqlInteger(s.id) + ";";
}

std::string DeleteScannerStatement(std::int32_t id) {
    return "DELETE FROM scanners WHERE id=" + SqlInteger(id) + ";";
}

std::string UpdateScannerStatusStatement(std::int32_t id, std::int32_t status) {
    return "UPDATE scanners SET status=" + SqlInteger(status) + " WHERE id=" + SqlInteger(id) + ";";
}

// --- fileinfo -------------------------------------------------------------------------------

std::string SelectFileVersionStatement(std::uint32_t fileid) {
    return "SELECT currentversion FROM fileinfo where fileid=" + SqlText(SqlFileId(fileid)) + ";";
}

std::string UpdateFileVersionStatement(std::uint32_t fileid, std::int32_t version) {
    return "UPDATE fileinfo SET currentversion=" + SqlInteger(version) +
           " WHERE fileid=" + SqlText(SqlFileId(fileid)) + ";";
}

std::string InsertFileVersionStatement(std::uint32_t fileid, std::int32_t version) {
    return "INSERT INTO fileinfo VALUES(" + SqlText(SqlFileId(fileid)) + "," + SqlInteger(version) +
           ");";
}

// --- jobs -----------------------------------------------------------------------------------

std::string InsertJobStatement(const ChangeEvent& e, std::int64_t scheduled) {
    const std::string id = e.id > 0 ? SqlInteger(e.id) : std::string("NULL");
    return "INSERT INTO jobs VALUES(" + id + "," + SqlInteger(e.jobtype) + "," + SqlFileId(e.fileid) + "," +
           SqlFlag(e.createfolder) + "," + SqlFlag(e.waitexclusive) + "," + SqlText(e.src) +
           "," + SqlText(e.dest) + "," + SqlInteger(scheduled) + "," + SqlInteger(e.currentversion) +
           "," + SqlInteger(e.maxversions) + ",0,0);";
}

std::string SelectJobIdFloorStatement() {
    // Monitor start failures (operation 2) carry a path checksum, not a job id.
    return "SELECT max(coalesce((SELECT max(id) FROM jobs),0),"
           "coalesce((SELECT max(jobid) FROM log WHERE operation<>2),0)) AS top;";
}

std::string SelectTopJobIdStatement() {
    return "SELECT coalesce(max(id),0) AS top FROM jobs;";
}

std::string SelectAllJobsStatement() {
    return "SELECT * FROM jobs;";
}

std::string SelectNewJobsStatement() {
    // Ordered explicitly: the planner may walk the deferred index, and jobs of one destination
    // must run in the order they were reported.
    return "SELECT * FROM jobs WHERE deferred=0 OR dest IN (SELECT dest FROM jobs WHERE deferred=0) ORDER BY id;";
}

std::string SelectWaitingCopiesStatement() {
    return "SELECT src FROM jobs WHERE jobtype<>3;";
}

std::string DeleteJobStatement(std::int32_t id) {
    return "DELETE FROM jobs WHERE id=" + SqlInteger(id) + ";\r\n";
}

std::string DeferJobStatement(std::int32_t id) {
    return "UPDATE jobs SET deferred=1 WHERE id=" + SqlInteger(id) + ";\r\n";
}

std::string DeferJobWithTempCopyStatement(std::int32_t id, std::string_view tempcopy) {
    return "UPDATE jobs SET deferred=1, src=" + SqlText(tempcopy) + " WHERE id=" + SqlInteger(id) +
           ";\r\n";
}

std::string CancelJobStatement(std::int32_t id) {
    return "DELETE FROM jobs WHERE id=" + SqlInteger(id) + ";\r\nDELETE FROM log WHERE jobid=" +
           SqlInteger(id) + " AND operation<>2;";
}

ChangeEvent ReadJobRow(const SQLiteQuery& query) {
    ChangeEvent job;
    job.id = ReadInteger(query.FieldByName("id"));
    job.jobtype = ReadInteger(query.FieldByName("jobtype"));
    job.fileid = ReadFileId(query.FieldByName("fileid"));
    job.createfolder = ReadFlag(query.FieldByName("createfolder"));
    job.waitexclusive = ReadFlag(query.FieldByName("waitexclusive"));
    job.currentversion = ReadInteger(query.FieldByName("currentversion"));
    job.maxversions = ReadInteger(query.FieldByName("maxversions"));
    job.src = query.FieldByName("src");
    job.dest = query.FieldByName("dest");
    return job;
}

// --- log ------------------------------------------------------------------------------------

std::string InsertLogStatement(const LogValues& e) {
    return "INSERT INTO log VALUES(NULL," + SqlInteger(e.status) + "," + SqlInteger(e.jobid) + "," +
           SqlFlag(e.cancancel) + "," + SqlInteger(e.logdate) + "," + SqlInteger(e.operation) + "," +
           SqlText(e.message) + "," + SqlText(e.src) + "," + SqlText(e.dest) + ");";
}

std::string PurgeLogStatement(std::int64_t cutoff) {
    return "DELETE FROM log WHERE logdate<" + SqlInteger(cutoff) + ";";
}

std::string SelectLogStatement() {
    // Ids break the ties of one second: the newest entry comes first there too.
    return "SELECT * FROM log ORDER BY logdate DESC, id DESC;";
}

std::string SelectLogEntriesStatement() {
    // In the order of LogEntryColumn.
    return "SELECT status,logdate,operation,message,jobid,src,dest FROM log ORDER BY id DESC;";
}

}  // namespace pellmar
