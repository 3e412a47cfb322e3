// Cutting a text down to what a fixed-size label can show, for every toolkit: the longest form
// with "…" in place of what is left out that the caller's measure accepts. No toolkit.
#pragma once

#include <functional>
#include <string>

namespace pellmar {

enum class Elision {
    End,     // a list: its first entries stay
    Middle,  // a path: its start and its last folder stay
};

// `text` itself when it fits, else the longest shortened form that fits (at least "…"). UTF-8:
// characters are never cut apart. `fits` must accept a shorter text whenever it accepts a longer.
std::string FitByEliding(const std::string& text, Elision elision, const std::function<bool(const std::string&)>& fits);

}  // namespace pellmar
