// One row of table `scanners`: a folder monitor's settings as the database, the setup dialog, the
// command line and the session pass them to one another. A plain record; reading and writing the
// row is the database layer's (tray/db/Statements.h).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace pellmar {

struct ScannerValues {
    std::int32_t id = 0;
    std::string root;
    std::vector<std::string> filters;     // joined with ";" in the row
    std::vector<std::string> exceptions;  // joined with ";" in the row
    std::string backuppath;
    bool subfolders = true;
    bool deletions = true;
    bool exclusive = false;
    bool hasversions = false;
    std::int32_t maxversions = 0;
    std::int32_t status = 0;
};

}  // namespace pellmar
