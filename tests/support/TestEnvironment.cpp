#include "tests/support/TestEnvironment.h"

#include "tests/support/ProcessVariables.h"

#include <cstdlib>
#include <thread>

namespace pellmar::test {

ScopedEnvironment::~ScopedEnvironment() {
    for (auto it = saved_.rbegin(); it != saved_.rend(); ++it) {
        if (it->second) SetProcessVariable(it->first, *it->second);
        else UnsetProcessVariable(it->first);
    }
}

void ScopedEnvironment::Remember(const std::string& name) {
    const char* old = std::getenv(name.c_str());
    saved_.emplace_back(name, old ? std::optional<std::string>(old) : std::nullopt);
}

void ScopedEnvironment::Set(const std::string& name, const std::string& value) {
    Remember(name);
    SetProcessVariable(name, value);
}

void ScopedEnvironment::Unset(const std::string& name) {
    Remember(name);
    UnsetProcessVariable(name);
}

bool WaitUntil(const std::function<bool()>& condition, std::chrono::milliseconds deadline) {
    auto end = std::chrono::steady_clock::now() + deadline;
    while (!condition()) {
        if (std::chrono::steady_clock::now() >= end) return condition();
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return true;
}

}  // namespace pellmar::test
