// The programs' version: what the updater compares with the published one and what `--version`
// prints. The build refuses a project version that says otherwise, so packages are named by it.
#pragma once

namespace pellmar {

inline constexpr char kProgramVersion[] = "1.2.0.0";

}  // namespace pellmar
