// The control channel on Windows: not offered yet (a named pipe would carry it). Hosts run without
// it and command lines find no listener, so they refuse to work beside a running host.
#include "platform/ControlChannel.h"

namespace pellmar::platform {

std::unique_ptr<ControlChannel> ControlChannel::Listen(const std::string&, Handler, std::string* problem) {
    *problem = "the control channel is not available on this system";
    return nullptr;
}

ControlResult SendControlRequest(const std::string&, const std::string&, std::string*) {
    return ControlResult::NoListener;
}

}  // namespace pellmar::platform
