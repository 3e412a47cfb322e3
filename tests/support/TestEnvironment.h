// Environment overrides for one test (HOME, XDG_* folders), restored when the object goes.
// Tests that use it must not run threads that read the environment concurrently.
#pragma once

#include <optional>
#include <string>
#include <vector>
#include <utility>
#include <chrono>
#include <functional>

namespace pellmar::test {

class ScopedEnvironment {
public:
    ScopedEnvironment() = default;
    ~ScopedEnvironment();
    ScopedEnvironment(const ScopedEnvironment&) = delete;
    ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;

    void Set(const std::string& name, const std::string& value);
    void Unset(const std::string& name);

private:
    void Remember(const std::string& name);
    std::vector<std::pair<std::string, std::optional<std::string>>> saved_;
};

// Polls `condition` until it holds or `deadline` passes; returns its last value. For waiting on
// other threads and the OS in tests: generous deadlines, never a fixed sleep.
bool WaitUntil(const std::function<bool()>& condition,
               std::chrono::milliseconds deadline = std::chrono::seconds(30));

}  // namespace pellmar::test
