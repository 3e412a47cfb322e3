// The wake-up as a kernel event. A name that already exists in the logon session is another
// host's (or anybody's): its handle is dropped for an unnamed event of our own.
#include "platform/WakeEvent.h"

#include "platform/Event.h"
#include "platform/win32/UniqueHandle.h"
#include "platform/win32/WideText.h"

#include <windows.h>

namespace pellmar::platform {
namespace {

using win32::UniqueHandle;

class KernelWakeEvent final : public WakeEvent {
public:
    explicit KernelWakeEvent(UniqueHandle event) : event_(std::move(event)) {}

    void Set() override { SetEvent(event_.Get()); }
    void Reset() override { ResetEvent(event_.Get()); }
    bool Wait(std::uint32_t timeoutMs) override {
        return WaitForSingleObject(event_.Get(), timeoutMs == kInfinite ? INFINITE : timeoutMs) == WAIT_OBJECT_0;
    }

private:
    UniqueHandle event_;
};

UniqueHandle NewEvent(const wchar_t* name) {
    SetLastError(ERROR_SUCCESS);  // only ERROR_ALREADY_EXISTS is set on success
    return UniqueHandle(CreateEventW(nullptr, TRUE, FALSE, name));
}

}  // namespace

std::unique_ptr<WakeEvent> WakeEvent::Create(const std::string& name) {
    const std::wstring wide = win32::Widen(name);
    UniqueHandle event = NewEvent(wide.c_str());
    if (event.Valid() && GetLastError() == ERROR_ALREADY_EXISTS) event.Reset();
    if (!event.Valid()) event = NewEvent(nullptr);
    if (!event.Valid()) return CreateInProcess();
    return std::make_unique<KernelWakeEvent>(std::move(event));
}

}  // namespace pellmar::platform
