// Whether the test program runs under Wine rather than on Windows or Linux: for the few cases
// where Wine's own behaviour differs from Windows' and the case has to be skipped, never passed.
#pragma once

namespace pellmar::test {

bool RunningUnderWine();

}  // namespace pellmar::test
