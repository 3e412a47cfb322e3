// Setting and removing one environment variable of the test process, for ScopedEnvironment.
// One implementation per OS under tests/support/posix and tests/support/win32.
#pragma once

#include <string>

namespace pellmar::test {

void SetProcessVariable(const std::string& name, const std::string& value);
void UnsetProcessVariable(const std::string& name);

}  // namespace pellmar::test
