// Decoding of the FILE_NOTIFY_INFORMATION records ReadDirectoryChangesW leaves in its buffer, as a
// pure function over bytes: no Windows header, so it is built and tested on Linux as well.
// Knows nothing of handles, threads or masks.
#pragma once

#include "platform/DirectoryWatch.h"

#include <cstddef>
#include <string>
#include <vector>

namespace pellmar::platform::win32 {

// The buffer size of one change request: 4097 bytes, as the design had it (one more than a page).
inline constexpr std::size_t kNotifyBufferSize = 4097;

// Appends one change per record, in buffer order, following NextEntryOffset until it is 0.
// Names are converted from UTF-16LE to UTF-8; records with an empty name (a buffer of zeros after
// an overflow) add nothing. A record or name reaching past `size`, or an offset that does not move
// forward, ends the decoding, so a damaged buffer can never be read outside its bounds.
void DecodeNotifyRecords(const unsigned char* buffer, std::size_t size, std::vector<DirectoryChange>* changes);

// UTF-16LE code units to UTF-8; unpaired surrogates become U+FFFD.
std::string Utf16LeToUtf8(const unsigned char* bytes, std::size_t unitCount);

}  // namespace pellmar::platform::win32
