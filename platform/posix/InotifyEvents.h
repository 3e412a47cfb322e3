// Decoding of the bytes an inotify descriptor yields into events. Pure: no descriptor, no state;
// what the events mean for a watched tree is InotifyWatchTree's business.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace pellmar::platform {

struct InotifyEvent {
    int wd = -1;
    std::uint32_t mask = 0;
    std::uint32_t cookie = 0;
    std::string name;  // without the NUL padding; empty for events on the watched folder itself
};

// The events of one read, in order. A record cut off by the end of the bytes is dropped.
std::vector<InotifyEvent> DecodeInotifyEvents(const char* bytes, std::size_t size);

}  // namespace pellmar::platform
