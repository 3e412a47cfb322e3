// The file mask language of the monitors' `filters` and `exceptions` lists: compiling a mask
// ("*", "?", "[set]", literals; A-Z case folded; UTF-8 characters whole) and matching a file name
// against it, anchored at both ends. Pure functions; nothing here knows about scanners or paths.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace pellmar {

// Raised for a mask that does not compile: "'<mask>' is an invalid mask at (<position>)", where
// the position counts characters from 1 and names the place where compiling stopped.
class EMaskException : public std::runtime_error {
public:
    EMaskException(std::string_view mask, std::size_t position);
    std::size_t Position() const { return position_; }

private:
    std::size_t position_;
};

// A compiled mask. Matches may run on several threads at once; Compile needs it to itself.
class TMask {
public:
    TMask() : TMask(std::string_view()) {}  // the empty mask: matches only the empty name
    explicit TMask(std::string_view mask);  // throws EMaskException
    void Compile(std::string_view mask);    // replaces the compiled form; throws EMaskException
    bool Matches(std::string_view name) const;

    enum class Kind : std::uint8_t { Literal, AnyOne, Set, EndOfName };
    struct CharSet {
        std::uint64_t ascii[2] = {0, 0};  // one bit per single-byte character 0-127
        std::vector<std::pair<std::uint32_t, std::uint32_t>> wide;  // inclusive ranges above 127
        bool negate = false;
        bool Contains(std::uint32_t value) const;
        bool Empty() const { return ascii[0] == 0 && ascii[1] == 0 && wide.empty(); }
    };
    struct State {
        Kind kind = Kind::Literal;
        bool skip = false;        // a "*" stands before it
        std::uint32_t value = 0;  // Literal: the character, A-Z upper-cased; Set: index into sets_
    };

private:
    bool Fits(const State& state, std::uint32_t value) const;  // not for EndOfName

    std::vector<State> states_;
    std::vector<CharSet> sets_;
};

// True when `name` matches `mask`; compiles the mask on every call. Throws EMaskException.
bool MatchMask(std::string_view name, std::string_view mask);

// True when `name` matches at least one mask of the list; an empty list gives false. Masks are
// tried in order and the first match ends the walk, so an invalid mask after it is never met.
// Throws EMaskException for the first invalid mask reached, naming it A-Z lower-cased: the walk
// tests the lower-cased name against the lower-cased mask.
bool PassesFilters(std::string_view name, const std::vector<std::string>& filters);
bool IsExcepted(std::string_view name, const std::vector<std::string>& exceptions);

}  // namespace pellmar
