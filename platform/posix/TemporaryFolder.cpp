// Private temporary folders through mkdtemp, which makes them 0700 in one step (no moment in which
// another user could enter them).
#include "platform/TemporaryFolder.h"

#include <cstdlib>
#include <vector>

namespace pellmar::platform {

std::string MakePrivateTemporaryFolder(const std::string& prefix) {
    const char* base = std::getenv("TMPDIR");
    std::string folder = (base && *base) ? base : "/tmp";
    while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
    std::string pattern = folder + "/" + prefix + "XXXXXX";
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    return mkdtemp(name.data()) ? std::string(name.data()) : std::string();
}

}  // namespace pellmar::platform
