// A Linux test program never runs under Wine.
#include "tests/support/Wine.h"

namespace pellmar::test {

bool RunningUnderWine() { return false; }

}  // namespace pellmar::test
