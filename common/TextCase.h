// ASCII-only case rules: A-Z and a-z change, every other byte (UTF-8 included) stays as it is.
#pragma once

#include <string>
#include <string_view>

namespace pellmar {

char LowerCaseAscii(char c);
char UpperCaseAscii(char c);
std::string LowerCaseAscii(std::string_view text);
std::string UpperCaseAscii(std::string_view text);
bool EqualIgnoringAsciiCase(std::string_view a, std::string_view b);

}  // namespace pellmar
