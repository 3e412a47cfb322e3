// ";"-separated list texts, as the mask lists of the folder monitors are stored, and the small
// choice helpers the configuration texts use. Pure functions.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace pellmar {

// Appends the pieces of `text` cut at every ";" to *list (which is not cleared); a trailing
// empty piece is dropped, middle and leading ones are kept. Does nothing when list is null.
void SplitList(std::string_view text, std::vector<std::string>* list);

// Every item followed by ";", then the last character removed.
std::string JoinList(const std::vector<std::string>& items);

std::string IfThenText(bool flag, const std::string& a, const std::string& b);
int IfThenInt(bool flag, int a, int b);

// "Active" or "Disabled".
std::string ActiveText(bool flag);

}  // namespace pellmar
