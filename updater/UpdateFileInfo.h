// The update file list of a version description: which files to download and under which names
// they are installed. Pure over the INI file; any thread.
#pragma once

#include <string>
#include <vector>

namespace pellmar {

struct UpdateFileInfo {
    std::string FileName;  // text after the last "/" of the value, at most 80 characters
    std::string URL;       // the value, at most 255 characters
};

UpdateFileInfo MakeUpdateFileInfo(const std::string& value);

// "File0", "File1", ... of section "VersionUpdateFiles", up to the first missing or empty one.
std::vector<UpdateFileInfo> ReadUpdateFileList(const std::string& iniFile);

// Whether `name` can only name a file directly inside the program folder (not empty, not "." or
// "..", no path delimiter), so a published list can never write outside that folder.
bool IsPlainFileName(const std::string& name);

}  // namespace pellmar
