// Splitting rules for command lines and the decimal parse of window handles.
#include "common/CommandLine.h"

namespace pellmar {
namespace {

bool IsBlank(char c) {
    auto code = static_cast<unsigned char>(c);
    return code >= 1 && code <= 32;
}

// Skips blanks and pairs of adjacent quotes before a parameter.
std::size_t SkipToParameter(std::string_view line, std::size_t at) {
    while (at < line.size()) {
        if (IsBlank(line[at])) {
            ++at;
        } else if (line[at] == '"' && at + 1 < line.size() && line[at + 1] == '"') {
            at += 2;
        } else {
            break;
        }
    }
    return at;
}

// True for "", "\"\"", "\"\"\"\"", ...: what rule 1 skips before a parameter.
bool OnlyQuotePairs(std::string_view item) {
    if (item.size() % 2 != 0) return false;
    for (char c : item) {
        if (c != '"') return false;
    }
    return true;
}

std::string WithoutOuterQuotes(std::string parameter) {
    if (parameter.size() > 1 && parameter.front() == '"' && parameter.back() == '"') {
        parameter = parameter.substr(1, parameter.size() - 2);
    }
    return parameter;
}

// Reads one parameter starting at `at`; returns the raw text and moves `at` past it.
std::string ReadParameter(std::string_view line, std::size_t& at) {
    std::size_t start = at;
    bool quoted = false;
    while (at < line.size() && (quoted || !IsBlank(line[at]))) {
        if (line[at] == '"') quoted = !quoted;
        ++at;
    }
    return WithoutOuterQuotes(std::string(line.substr(start, at - start)));
}

}  // namespace

std::vector<std::string> ParseCommandLine(std::string_view commandLine) {
    std::vector<std::string> parameters;
    std::size_t at = SkipToParameter(commandLine, 0);
    ReadParameter(commandLine, at);  // the program itself
    while (true) {
        at = SkipToParameter(commandLine, at);
        std::string parameter = ReadParameter(commandLine, at);
        if (parameter.empty()) break;
        parameters.push_back(std::move(parameter));
    }
    return parameters;
}

std::vector<std::string> ParseArgumentVector(const std::vector<std::string>& argv) {
    std::vector<std::string> parameters;
    for (std::size_t i = 1; i < argv.size(); ++i) {
        if (!OnlyQuotePairs(argv[i])) parameters.push_back(WithoutOuterQuotes(argv[i]));
    }
    return parameters;
}

std::int32_t ParseDecimalInt32(std::string_view text) {
    std::size_t at = 0;
    bool negative = false;
    if (!text.empty() && (text[0] == '-' || text[0] == '+')) {
        negative = text[0] == '-';
        at = 1;
    }
    // Unsigned arithmetic wraps by definition; the final cast gives the 32-bit two's complement value.
    std::uint32_t value = 0;
    for (; at < text.size() && text[at] >= '0' && text[at] <= '9'; ++at) {
        value = value * 10u + static_cast<std::uint32_t>(text[at] - '0');
    }
    if (negative) value = 0u - value;
    return static_cast<std::int32_t>(value);
}

}  // namespace pellmar
