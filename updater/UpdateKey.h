// The public key the installed qmUpdate trusts, fixed when it is built (PELLMAR_UPDATE_PUBLIC_KEY).
// Kept apart from the updater's core so that its tests run with keys of their own. Any thread.
#pragma once

#include <string>

namespace pellmar {

// The uncompressed P-256 point (65 bytes); empty in a build made without a key.
std::string BuiltInUpdateKey();

}  // namespace pellmar
