// The control channel as named pipes "\\.\pipe\pellmar-control-<user SID>-<name>". The client
// sends one line and reads until the host closes its end; one pipe instance serves one client,
// and the next instance exists before that client is served, so a second client waits its turn
// instead of finding nobody. The pipe admits only this user and names it as owner; the client
// checks the owner, so a pipe of that name made first by another user is refused.
#include "platform/ControlChannel.h"

#include "platform/win32/UniqueHandle.h"
#include "platform/win32/UserOnlySecurity.h"
#include "platform/win32/WideText.h"

#include <windows.h>

#include <algorithm>
#include <thread>

namespace pellmar::platform {
namespace {

using win32::UniqueHandle;
using win32::UserOnlySecurity;

constexpr DWORD kClientIdleMs = 5000;  // a client that connects and says nothing is dropped
constexpr std::size_t kMaxRequestBytes = 1 << 20;
constexpr DWORD kPipeBufferBytes = 64 * 1024;

std::wstring PipePath(const UserOnlySecurity& security, const std::string& name) {
    return win32::Widen("\\\\.\\pipe\\pellmar-control-" + security.UserText() + "-" + name);
}

UniqueHandle CreateInstance(const std::wstring& path, UserOnlySecurity& security, bool first) {
    const DWORD openMode = PIPE_ACCESS_DUPLEX | FILE_FLAG_OVERLAPPED | (first ? FILE_FLAG_FIRST_PIPE_INSTANCE : 0);
    return UniqueHandle(CreateNamedPipeW(path.c_str(), openMode,
                                         PIPE_TYPE_BYTE | PIPE_READMODE_BYTE | PIPE_WAIT | PIPE_REJECT_REMOTE_CLIENTS,
                                         PIPE_UNLIMITED_INSTANCES, kPipeBufferBytes, kPipeBufferBytes, 0,
                                         security.Attributes()));
}

std::string Win32Problem(const std::wstring& path, DWORD error) {
    if (error == ERROR_ACCESS_DENIED || error == ERROR_PIPE_BUSY) {
        return win32::Narrow(path) + " is held by another program";
    }
    return win32::Narrow(path) + ": Windows error " + std::to_string(error);
}

class PipeControlChannel final : public ControlChannel {
public:
    PipeControlChannel(Handler handler, std::unique_ptr<UserOnlySecurity> security, std::wstring path,
                       UniqueHandle first, UniqueHandle stopEvent, UniqueHandle ioEvent)
        : handler_(std::move(handler)), security_(std::move(security)), path_(std::move(path)),
          stopEvent_(std::move(stopEvent)), ioEvent_(std::move(ioEvent)),
          thread_([this, listening = std::move(first)]() mutable { Serve(std::move(listening)); }) {}

    ~PipeControlChannel() override {
        stop_.request_stop();
        SetEvent(stopEvent_.Get());
        thread_.join();
    }

private:
    void Serve(UniqueHandle listening) {
        while (listening.Valid() && AwaitClient(listening.Get())) {
            UniqueHandle client = std::move(listening);
            listening = CreateInstance(path_, *security_, false);
            Answer(client.Get());
            // Closing (not disconnecting) keeps the reply readable until the client has it all.
            client.Reset();
            if (!listening.Valid()) listening = CreateInstance(path_, *security_, false);
        }
    }

    bool AwaitClient(HANDLE pipe) {
        OVERLAPPED overlapped{};
        overlapped.hEvent = ioEvent_.Get();
        if (ConnectNamedPipe(pipe, &overlapped)) return true;
        DWORD ignored = 0;
        switch (GetLastError()) {
            case ERROR_PIPE_CONNECTED:
            case ERROR_NO_DATA:  // came and went already: its read fails and the next one is served
                return true;
            case ERROR_IO_PENDING: return Finish(pipe, overlapped, INFINITE, &ignored);
            default: return false;
        }
    }

    void Answer(HANDLE client) {
        std::string request;
        if (!ReceiveLine(client, &request)) return;
        SendAll(client, handler_(request, stop_.get_token()));
    }

    bool ReceiveLine(HANDLE client, std::string* line) {
        char buffer[4096];
        while (line->size() <= kMaxRequestBytes) {
            OVERLAPPED overlapped{};
            overlapped.hEvent = ioEvent_.Get();
            DWORD got = 0;
            if (!Complete(client, ReadFile(client, buffer, sizeof buffer, nullptr, &overlapped), overlapped,
                          kClientIdleMs, &got)) {
                return false;
            }
            line->append(buffer, got);
            const std::size_t end = line->find('\n');
            if (end != std::string::npos) {
                line->resize(end);
                return true;
            }
        }
        return false;
    }

    bool SendAll(HANDLE client, const std::string& data) {
        std::size_t sent = 0;
        while (sent < data.size()) {
            OVERLAPPED overlapped{};
            overlapped.hEvent = ioEvent_.Get();
            DWORD done = 0;
            const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(data.size() - sent, 1u << 30));
            if (!Complete(client, WriteFile(client, data.data() + sent, chunk, nullptr, &overlapped), overlapped,
                          INFINITE, &done) ||
                done == 0) {
                return false;
            }
            sent += done;
        }
        return true;
    }

    bool Complete(HANDLE pipe, BOOL started, OVERLAPPED& overlapped, DWORD timeoutMs, DWORD* bytes) {
        if (!started && GetLastError() != ERROR_IO_PENDING) return false;
        return Finish(pipe, overlapped, timeoutMs, bytes);
    }

    // Waits for a request begun on `pipe`; false on stop, time-out or failure. Returns only once
    // the system has let go of the request's buffer, cancelled if need be.
    bool Finish(HANDLE pipe, OVERLAPPED& overlapped, DWORD timeoutMs, DWORD* bytes) {
        HANDLE waits[2] = {stopEvent_.Get(), overlapped.hEvent};
        const DWORD woken = WaitForMultipleObjects(2, waits, FALSE, timeoutMs);
        if (woken != WAIT_OBJECT_0 + 1) CancelIoEx(pipe, &overlapped);
        const BOOL done = GetOverlappedResult(pipe, &overlapped, bytes, TRUE);
        return done && woken == WAIT_OBJECT_0 + 1;
    }

    Handler handler_;
    std::unique_ptr<UserOnlySecurity> security_;
    std::wstring path_;
    UniqueHandle stopEvent_;
    UniqueHandle ioEvent_;
    std::stop_source stop_;
    std::thread thread_;
};

// Opens the host's end, waiting while every instance is busy with other clients.
ControlResult Connect(const std::wstring& path, UniqueHandle* pipe) {
    for (;;) {
        // Identification only: a pipe server cannot act as this user with the client's token.
        *pipe = UniqueHandle(CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                         SECURITY_SQOS_PRESENT | SECURITY_IDENTIFICATION, nullptr));
        if (pipe->Valid()) return ControlResult::Answered;
        const DWORD error = GetLastError();
        if (error == ERROR_FILE_NOT_FOUND) return ControlResult::NoListener;
        if (error != ERROR_PIPE_BUSY) return ControlResult::Failed;
        if (!WaitNamedPipeW(path.c_str(), NMPWAIT_WAIT_FOREVER) && GetLastError() == ERROR_FILE_NOT_FOUND) {
            return ControlResult::NoListener;
        }
    }
}

bool WriteAll(HANDLE pipe, const std::string& data) {
    std::size_t sent = 0;
    while (sent < data.size()) {
        DWORD done = 0;
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(data.size() - sent, 1u << 30));
        if (!WriteFile(pipe, data.data() + sent, chunk, &done, nullptr) || done == 0) return false;
        sent += done;
    }
    return true;
}

// Reads until the host closes its end, which is how a whole reply ends.
bool ReadToEnd(HANDLE pipe, std::string* data) {
    char buffer[4096];
    for (;;) {
        DWORD got = 0;
        if (!ReadFile(pipe, buffer, sizeof buffer, &got, nullptr)) return GetLastError() == ERROR_BROKEN_PIPE;
        data->append(buffer, got);
    }
}

}  // namespace

std::unique_ptr<ControlChannel> ControlChannel::Listen(const std::string& name, Handler handler, std::string* problem) {
    std::unique_ptr<UserOnlySecurity> security = UserOnlySecurity::ForCurrentUser();
    if (!security) {
        *problem = "this user's identity cannot be read: Windows error " + std::to_string(GetLastError());
        return nullptr;
    }
    std::wstring path = PipePath(*security, name);
    UniqueHandle first = CreateInstance(path, *security, true);
    if (!first.Valid()) {
        *problem = Win32Problem(path, GetLastError());
        return nullptr;
    }
    UniqueHandle stopEvent(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    UniqueHandle ioEvent(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    if (!stopEvent.Valid() || !ioEvent.Valid()) {
        *problem = Win32Problem(path, GetLastError());
        return nullptr;
    }
    return std::make_unique<PipeControlChannel>(std::move(handler), std::move(security), std::move(path),
                                                std::move(first), std::move(stopEvent), std::move(ioEvent));
}

ControlResult SendControlRequest(const std::string& name, const std::string& request, std::string* reply) {
    std::unique_ptr<UserOnlySecurity> security = UserOnlySecurity::ForCurrentUser();
    if (!security) return ControlResult::Failed;
    UniqueHandle pipe;
    const ControlResult connected = Connect(PipePath(*security, name), &pipe);
    if (connected != ControlResult::Answered) return connected;
    if (!security->OwnsObject(pipe.Get()) || !WriteAll(pipe.Get(), request + "\n")) return ControlResult::Failed;
    reply->clear();
    return ReadToEnd(pipe.Get(), reply) ? ControlResult::Answered : ControlResult::Failed;
}

}  // namespace pellmar::platform
