// SHA-256 digests of files and ECDSA P-256 / SHA-256 signature checks, from the crypto library
// this OS build links (OpenSSL's libcrypto on Linux, BCrypt on Windows), so both builds verify
// the same signatures. Owns no state; any thread.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace pellmar::platform {

using Sha256Digest = std::array<std::uint8_t, 32>;

// The digest of the file's whole content; nullopt when it cannot be read to its end.
std::optional<Sha256Digest> Sha256OfFile(const std::string& path);

// Length of an uncompressed P-256 point: 0x04, X, Y.
constexpr std::size_t kP256PublicKeyBytes = 65;

// Whether `derSignature` (the ASN.1 form OpenSSL writes) is a valid signature of `message` under
// `publicKey` (an uncompressed point). False on any doubt: a key of another form, a malformed
// signature, a provider that cannot verify.
bool VerifyP256Signature(std::string_view publicKey, std::string_view message, std::string_view derSignature);

// r and s of a DER signature as two 32-byte big-endian numbers (the form BCrypt takes); nullopt
// when it is not exactly one SEQUENCE of two positive INTEGERs that fit. Pure; any thread.
std::optional<std::array<std::uint8_t, 64>> P256SignatureFromDer(std::string_view der);

}  // namespace pellmar::platform
