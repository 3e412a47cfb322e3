// The signed description: both downloads, then one signature check over the bytes as fetched.
#include "updater/SignedDescription.h"

#include "platform/FileSystem.h"
#include "platform/Signature.h"

namespace pellmar {

DescriptionState FetchSignedDescription(const UpdaterParams& params, UpdateServices& services, std::string_view updateKey) {
    using platform::DownloadedFileKind;
    if (!services.Download(params.IniURL, params.IniFile, {}, kMaxVersionInfoBytes, DownloadedFileKind::Data)) {
        return DescriptionState::Unavailable;
    }
    if (!services.Download(params.SignatureURL, params.SignatureFile, {}, kMaxSignatureBytes, DownloadedFileKind::Data)) {
        return DescriptionState::Unsigned;
    }
    std::string description = platform::ReadTextFile(params.IniFile);
    std::string signature = platform::ReadTextFile(params.SignatureFile);
    return platform::VerifyP256Signature(updateKey, description, signature) ? DescriptionState::Verified
                                                                           : DescriptionState::Forged;
}

std::string RefusalText(DescriptionState state, const UpdaterParams& params) {
    switch (state) {
    case DescriptionState::Unsigned:
        return "qmUpdate: " + params.IniURL + " has no signature (" + params.SignatureURL + "); no update is offered.\n";
    case DescriptionState::Forged:
        return "qmUpdate: the signature of " + params.IniURL + " does not match this program's update key; "
               "no update is offered.\n";
    default:
        return {};
    }
}

std::string MissingKeyText() {
    return "qmUpdate: THIS BUILD HAS NO UPDATE KEY (a development build): it cannot tell a published release "
           "from a forged one, so it offers no update. Build with -DPELLMAR_UPDATE_PUBLIC_KEY=FILE "
           "(made by tools/update-keys.sh).\n";
}

}  // namespace pellmar
