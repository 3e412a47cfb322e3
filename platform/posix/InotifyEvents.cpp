// Decoding of raw inotify bytes into events, one read at a time. Holds no descriptor; copies
// each header out because the bytes need not be aligned.
#include "platform/posix/InotifyEvents.h"

#include <cstring>
#include <sys/inotify.h>

namespace pellmar::platform {

std::vector<InotifyEvent> DecodeInotifyEvents(const char* bytes, std::size_t size) {
    std::vector<InotifyEvent> events;
    std::size_t offset = 0;
    while (size - offset >= sizeof(inotify_event)) {
        inotify_event header{};
        std::memcpy(&header, bytes + offset, sizeof header);
        const std::size_t nameStart = offset + sizeof header;
        if (header.len > size - nameStart) break;
        InotifyEvent event;
        event.wd = header.wd;
        event.mask = header.mask;
        event.cookie = header.cookie;
        // The kernel pads the name with NULs up to an alignment boundary.
        const char* name = bytes + nameStart;
        event.name.assign(name, strnlen(name, header.len));
        events.push_back(std::move(event));
        offset = nameStart + header.len;
    }
    return events;
}

}  // namespace pellmar::platform
