// Fetching the version description together with its detached signature and checking one against
// the other with the key the updater trusts, before anything in the description is believed. The
// signature covers the description's exact bytes, so the file list and its digests are covered too.
// Runs on the updater's one thread.
#pragma once

#include "updater/UpdateServices.h"
#include "updater/UpdaterParams.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace pellmar {

// The largest version description accepted, and the largest signature (a DER P-256 signature
// holds at most 72 bytes).
constexpr std::uint64_t kMaxVersionInfoBytes = std::uint64_t(4) << 20;
constexpr std::uint64_t kMaxSignatureBytes = 1024;

enum class DescriptionState {
    Unavailable,  // the description itself could not be fetched
    Unsigned,     // no signature beside it
    Forged,       // a signature that the trusted key does not confirm
    Verified,
};

// Downloads IniURL to IniFile and SignatureURL to SignatureFile and checks them with `updateKey`
// (an uncompressed P-256 point). Files it fetched stay for the caller to read and remove.
DescriptionState FetchSignedDescription(const UpdaterParams& params, UpdateServices& services, std::string_view updateKey);

// What the user (or whoever reads the updater's error stream) is told about a refusal.
std::string RefusalText(DescriptionState state, const UpdaterParams& params);

// Said when the updater carries no key: such a build cannot tell a release from a forgery.
std::string MissingKeyText();

}  // namespace pellmar
