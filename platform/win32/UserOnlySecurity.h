// Kernel objects that only the user running this process may open: a descriptor that makes that
// user the owner and admits nobody else, and the check a client makes that an object it opened by
// name belongs to that user (a name is anybody's who creates it first). Any thread.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

namespace pellmar::platform::win32 {

class UserOnlySecurity {
public:
    // nullptr when the process token cannot be read (GetLastError tells why).
    static std::unique_ptr<UserOnlySecurity> ForCurrentUser();

    UserOnlySecurity(const UserOnlySecurity&) = delete;
    UserOnlySecurity& operator=(const UserOnlySecurity&) = delete;

    // For Create* calls; valid while this object lives.
    SECURITY_ATTRIBUTES* Attributes() { return &attributes_; }
    // The user's SID as text ("S-1-5-21-..."), to make per-user object names.
    const std::string& UserText() const { return userText_; }
    // True when `object` (opened with READ_CONTROL) is owned by this user.
    bool OwnsObject(HANDLE object) const;

private:
    UserOnlySecurity() = default;
    bool Build(std::vector<unsigned char> sid);

    std::vector<unsigned char> sid_;
    std::vector<unsigned char> acl_;
    SECURITY_DESCRIPTOR descriptor_{};
    SECURITY_ATTRIBUTES attributes_{};
    std::string userText_;
};

}  // namespace pellmar::platform::win32
