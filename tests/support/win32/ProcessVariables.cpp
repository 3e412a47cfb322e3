// _putenv_s changes the C runtime's copy and the process environment the system calls read alike;
// an empty value removes the variable.
#include "tests/support/ProcessVariables.h"

#include <cstdlib>

namespace pellmar::test {

void SetProcessVariable(const std::string& name, const std::string& value) { _putenv_s(name.c_str(), value.c_str()); }
void UnsetProcessVariable(const std::string& name) { _putenv_s(name.c_str(), ""); }

}  // namespace pellmar::test
