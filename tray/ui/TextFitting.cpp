// Binary search over how many characters of the text stay.
#include "tray/ui/TextFitting.h"

#include <vector>

namespace pellmar {
namespace {

constexpr const char* kEllipsis = "\u2026";

// Where each character begins, and the text's end.
std::vector<std::size_t> CharacterStarts(const std::string& text) {
    std::vector<std::size_t> starts;
    for (std::size_t at = 0; at < text.size(); ++at) {
        if ((static_cast<unsigned char>(text[at]) & 0xC0) != 0x80) starts.push_back(at);
    }
    starts.push_back(text.size());
    return starts;
}

std::string Shortened(const std::string& text, const std::vector<std::size_t>& starts, std::size_t kept,
                      Elision elision) {
    const std::size_t count = starts.size() - 1;
    const std::size_t head = elision == Elision::End ? kept : (kept + 1) / 2;
    const std::size_t tail = kept - head;
    return text.substr(0, starts[head]) + kEllipsis + text.substr(starts[count - tail]);
}

}  // namespace

std::string FitByEliding(const std::string& text, Elision elision, const std::function<bool(const std::string&)>& fits) {
    if (fits(text)) return text;
    const std::vector<std::size_t> starts = CharacterStarts(text);
    const std::size_t count = starts.size() - 1;
    std::size_t low = 0;  // kept characters known to fit (none: the ellipsis alone)
    std::size_t high = count;  // known not to fit
    while (high - low > 1) {
        const std::size_t middle = low + (high - low) / 2;
        if (fits(Shortened(text, starts, middle, elision))) {
            low = middle;
        } else {
            high = middle;
        }
    }
    return Shortened(text, starts, low, elision);
}

}  // namespace pellmar
