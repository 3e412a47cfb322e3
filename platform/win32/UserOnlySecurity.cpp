// The owner is set to the user's own SID rather than left to the token's default owner, which for
// an elevated administrator is the Administrators group and would fail the client's check.
#include "platform/win32/UserOnlySecurity.h"

#include "platform/win32/UniqueHandle.h"
#include "platform/win32/WideText.h"

#include <aclapi.h>
#include <sddl.h>

namespace pellmar::platform::win32 {
namespace {

std::vector<unsigned char> ProcessUserSid() {
    HANDLE rawToken = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &rawToken)) return {};
    UniqueHandle token(rawToken);
    DWORD size = 0;
    GetTokenInformation(token.Get(), TokenUser, nullptr, 0, &size);
    std::vector<unsigned char> buffer(size);
    if (size == 0 || !GetTokenInformation(token.Get(), TokenUser, buffer.data(), size, &size)) return {};
    PSID sid = reinterpret_cast<TOKEN_USER*>(buffer.data())->User.Sid;
    const auto* bytes = static_cast<const unsigned char*>(sid);
    return std::vector<unsigned char>(bytes, bytes + GetLengthSid(sid));
}

std::string SidText(PSID sid) {
    wchar_t* text = nullptr;
    if (!ConvertSidToStringSidW(sid, &text)) return {};
    std::string narrow = Narrow(text);
    LocalFree(text);
    return narrow;
}

}  // namespace

std::unique_ptr<UserOnlySecurity> UserOnlySecurity::ForCurrentUser() {
    std::vector<unsigned char> sid = ProcessUserSid();
    std::unique_ptr<UserOnlySecurity> security(new UserOnlySecurity());
    if (sid.empty() || !security->Build(std::move(sid))) return nullptr;
    return security;
}

bool UserOnlySecurity::Build(std::vector<unsigned char> sid) {
    sid_ = std::move(sid);
    PSID user = sid_.data();
    acl_.resize(sizeof(ACL) + sizeof(ACCESS_ALLOWED_ACE) - sizeof(DWORD) + GetLengthSid(user));
    auto* acl = reinterpret_cast<ACL*>(acl_.data());
    userText_ = SidText(user);
    if (userText_.empty() || !InitializeAcl(acl, static_cast<DWORD>(acl_.size()), ACL_REVISION) ||
        !AddAccessAllowedAce(acl, ACL_REVISION, GENERIC_ALL, user) ||
        !InitializeSecurityDescriptor(&descriptor_, SECURITY_DESCRIPTOR_REVISION) ||
        !SetSecurityDescriptorOwner(&descriptor_, user, FALSE) ||
        !SetSecurityDescriptorDacl(&descriptor_, TRUE, acl, FALSE)) {
        return false;
    }
    attributes_.nLength = sizeof attributes_;
    attributes_.lpSecurityDescriptor = &descriptor_;
    attributes_.bInheritHandle = FALSE;
    return true;
}

bool UserOnlySecurity::OwnsObject(HANDLE object) const {
    PSID owner = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (GetSecurityInfo(object, SE_KERNEL_OBJECT, OWNER_SECURITY_INFORMATION, &owner, nullptr, nullptr, nullptr,
                        &descriptor) != ERROR_SUCCESS) {
        return false;
    }
    const bool own = owner && EqualSid(owner, const_cast<unsigned char*>(sid_.data()));
    LocalFree(descriptor);
    return own;
}

}  // namespace pellmar::platform::win32
