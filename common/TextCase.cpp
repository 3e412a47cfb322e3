#include "common/TextCase.h"

namespace pellmar {

char LowerCaseAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

char UpperCaseAscii(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

std::string LowerCaseAscii(std::string_view text) {
    std::string result(text);
    for (char& c : result) c = LowerCaseAscii(c);
    return result;
}

std::string UpperCaseAscii(std::string_view text) {
    std::string result(text);
    for (char& c : result) c = UpperCaseAscii(c);
    return result;
}

bool EqualIgnoringAsciiCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (LowerCaseAscii(a[i]) != LowerCaseAscii(b[i])) return false;
    return true;
}

}  // namespace pellmar
