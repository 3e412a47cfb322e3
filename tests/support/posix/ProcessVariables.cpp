// setenv / unsetenv.
#include "tests/support/ProcessVariables.h"

#include <cstdlib>

namespace pellmar::test {

void SetProcessVariable(const std::string& name, const std::string& value) { setenv(name.c_str(), value.c_str(), 1); }
void UnsetProcessVariable(const std::string& name) { unsetenv(name.c_str()); }

}  // namespace pellmar::test
