// Mask compiling and matching. Names and masks are UTF-8: a well-formed multi-byte sequence is one
// character (one literal state, one "?"); a stray byte that starts no sequence is a character too.
#include "tray/monitor/Masks.h"

#include <algorithm>

#include "common/TextCase.h"

namespace pellmar {
namespace {

constexpr int kMaxSkipStates = 30;
// Stray bytes get values outside Unicode so that they never equal a decoded character.
constexpr std::uint32_t kStrayByteBase = 0x110000;

struct Char {
    std::uint32_t value;
    std::size_t length;
};

std::size_t SequenceLength(unsigned char lead) {
    if (lead >= 0xC2 && lead <= 0xDF) return 2;
    if (lead >= 0xE0 && lead <= 0xEF) return 3;
    if (lead >= 0xF0 && lead <= 0xF4) return 4;
    return 0;
}

Char DecodeMultiByte(std::string_view text, std::size_t pos) {
    auto lead = static_cast<unsigned char>(text[pos]);
    std::size_t length = SequenceLength(lead);
    if (length == 0 || pos + length > text.size()) return {kStrayByteBase + lead, 1};
    std::uint32_t value = lead & (0x7F >> length);
    for (std::size_t i = 1; i < length; ++i) {
        auto next = static_cast<unsigned char>(text[pos + i]);
        if ((next & 0xC0) != 0x80) return {kStrayByteBase + lead, 1};
        value = (value << 6) | (next & 0x3F);
    }
    return {value, length};
}

inline Char DecodeAt(std::string_view text, std::size_t pos) {
    auto byte = static_cast<unsigned char>(text[pos]);
    if (byte < 0x80) return {byte, 1};
    return DecodeMultiByte(text, pos);
}

inline std::uint32_t UpperValue(std::uint32_t value) {
    return (value >= 'a' && value <= 'z') ? value - ('a' - 'A') : value;
}

void AddRange(TMask::CharSet& set, std::uint32_t low, std::uint32_t high) {
    for (std::uint32_t v = low; v <= high && v < 128; ++v) set.ascii[v >> 6] |= std::uint64_t{1} << (v & 63);
    if (high >= 128 && high >= low) set.wide.emplace_back(std::max<std::uint32_t>(low, 128), high);
}

// Walks the mask once, left to right, keeping the character count for error positions.
class MaskCompiler {
public:
    MaskCompiler(std::string_view mask, std::vector<TMask::State>& states, std::vector<TMask::CharSet>& sets)
        : mask_(mask), states_(states), sets_(sets) {}

    void Run();

private:
    [[noreturn]] void Fail() const { throw EMaskException(mask_, charIndex_ + 1); }
    Char Next() {
        Char c = DecodeAt(mask_, pos_);
        pos_ += c.length;
        ++charIndex_;
        return c;
    }
    void Write(TMask::Kind kind, std::uint32_t value);
    void ReadSet();
    bool AtEnd() const { return pos_ >= mask_.size(); }
    Char Peek() const { return DecodeAt(mask_, pos_); }

    std::string_view mask_;
    std::vector<TMask::State>& states_;
    std::vector<TMask::CharSet>& sets_;
    std::size_t pos_ = 0;
    std::size_t charIndex_ = 0;  // characters consumed so far
    bool skip_ = false;
    int skipStates_ = 0;
};

void MaskCompiler::Run() {
    while (!AtEnd()) {
        Char c = Peek();
        if (c.value == '[') {
            ReadSet();
            continue;
        }
        if (c.value != '*' && c.value != '?') {
            Write(TMask::Kind::Literal, UpperValue(c.value));
        } else if (c.value == '*') {
            skip_ = true;
        } else if (!skip_) {
            Write(TMask::Kind::AnyOne, 0);  // after a "*" it is dropped: "*?" compiles like "*"
        }
        pos_ += c.length;
        ++charIndex_;
    }
    Write(TMask::Kind::EndOfName, 0);
}

void MaskCompiler::Write(TMask::Kind kind, std::uint32_t value) {
    if (skip_ && skipStates_ == kMaxSkipStates) Fail();
    if (skip_) ++skipStates_;
    states_.push_back({kind, skip_, value});
    skip_ = false;
}

void MaskCompiler::ReadSet() {
    Next();  // "["
    TMask::CharSet set;
    if (!AtEnd() && Peek().value == '!') {
        Next();
        set.negate = true;
    }
    bool havePrevious = false;
    std::uint32_t previous = 0;
    for (;;) {
        if (AtEnd()) Fail();
        Char c = Peek();
        if (c.value == ']') break;
        if (c.value == '-') {
            if (!havePrevious) Fail();
            Next();
            // "[a-]" has no upper bound; taking "]" as one would run the set past its end.
            if (AtEnd() || Peek().value == ']') Fail();
            std::uint32_t high = UpperValue(Next().value);
            AddRange(set, previous, high);
            previous = high;
            continue;
        }
        previous = UpperValue(Next().value);
        havePrevious = true;
        AddRange(set, previous, previous);
    }
    if (set.Empty()) Fail();
    sets_.push_back(std::move(set));
    Write(TMask::Kind::Set, static_cast<std::uint32_t>(sets_.size() - 1));
    Next();  // "]"
}

}  // namespace

namespace {

std::string InvalidMaskText(std::string_view mask, std::size_t position) {
    std::string text = "'";
    text.append(mask).append("' is an invalid mask at (").append(std::to_string(position)).append(")");
    return text;
}

}  // namespace

EMaskException::EMaskException(std::string_view mask, std::size_t position)
    : std::runtime_error(InvalidMaskText(mask, position)), position_(position) {}

bool TMask::CharSet::Contains(std::uint32_t value) const {
    bool member = false;
    if (value < 128) {
        member = (ascii[value >> 6] >> (value & 63)) & 1;
    } else {
        for (const auto& [low, high] : wide)
            if (value >= low && value <= high) member = true;
    }
    return member != negate;
}

TMask::TMask(std::string_view mask) { Compile(mask); }

void TMask::Compile(std::string_view mask) {
    states_.clear();
    sets_.clear();
    MaskCompiler(mask, states_, sets_).Run();
}

bool TMask::Fits(const State& state, std::uint32_t value) const {
    if (state.kind == Kind::AnyOne) return true;
    value = UpperValue(value);
    if (state.kind == Kind::Literal) return value == state.value;
    return sets_[state.value].Contains(value);
}

// Every state but the end-of-name one consumes exactly one character, so when a match fails only
// the most recent "*" needs to slide on: earlier ones could only hand it characters it can take
// itself. That keeps a many-"*" mask linear per "*" instead of exponential.
bool TMask::Matches(std::string_view name) const {
    std::size_t state = 0;
    std::size_t pos = 0;
    bool haveRetry = false;
    std::size_t retryState = 0;
    std::size_t retryPos = 0;
    while (state < states_.size()) {
        const State& current = states_[state];
        if (current.kind == Kind::EndOfName) {
            if (current.skip || pos == name.size()) return true;
        } else {
            if (current.skip) {
                haveRetry = false;
                for (; pos < name.size(); ) {
                    Char c = DecodeAt(name, pos);
                    if (Fits(current, c.value)) {
                        haveRetry = true;
                        retryState = state;
                        retryPos = pos + c.length;
                        break;
                    }
                    pos += c.length;
                }
            }
            if (pos < name.size()) {
                Char c = DecodeAt(name, pos);
                if (Fits(current, c.value)) {
                    pos += c.length;
                    ++state;
                    continue;
                }
            }
        }
        if (!haveRetry) return false;
        state = retryState;
        pos = retryPos;
    }
    return true;
}

bool MatchMask(std::string_view name, std::string_view mask) {
    // Compiled afresh on every call; the scratch only keeps the allocations between calls.
    thread_local TMask scratch;
    scratch.Compile(mask);
    return scratch.Matches(name);
}

// The walks test the lower-cased name against each lower-cased mask. Matching folds A-Z anyway,
// so only an invalid mask's message shows the difference; lower-casing just then keeps the
// per-change cost free of copies.
bool PassesFilters(std::string_view name, const std::vector<std::string>& filters) {
    for (const std::string& mask : filters) {
        try {
            if (MatchMask(name, mask)) return true;
        } catch (const EMaskException& error) {
            throw EMaskException(LowerCaseAscii(mask), error.Position());
        }
    }
    return false;
}

bool IsExcepted(std::string_view name, const std::vector<std::string>& exceptions) {
    return PassesFilters(name, exceptions);
}

}  // namespace pellmar
