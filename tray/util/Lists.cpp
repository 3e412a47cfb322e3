#include "tray/util/Lists.h"

namespace pellmar {

void SplitList(std::string_view text, std::vector<std::string>* list) {
    if (list == nullptr) return;
    std::string_view rest = text;
    for (std::size_t semicolon = rest.find(';'); semicolon != std::string_view::npos; semicolon = rest.find(';')) {
        list->emplace_back(rest.substr(0, semicolon));
        rest.remove_prefix(semicolon + 1);
    }
    if (!rest.empty()) list->emplace_back(rest);
}

std::string JoinList(const std::vector<std::string>& items) {
    std::string joined;
    for (const std::string& item : items) joined += item + ";";
    if (!joined.empty()) joined.pop_back();
    return joined;
}

std::string IfThenText(bool flag, const std::string& a, const std::string& b) { return flag ? a : b; }

int IfThenInt(bool flag, int a, int b) { return flag ? a : b; }

std::string ActiveText(bool flag) { return flag ? "Active" : "Disabled"; }

}  // namespace pellmar
