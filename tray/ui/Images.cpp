// The drawn images. Colour keys: in the strip "m" is magenta (255, 0, 255), the colour that is
// left out when the images are shown; the tray icon uses a true transparent colour instead.
#include "tray/ui/Images.h"

namespace pellmar {
namespace {

static const char* const kTrayIconXpm[] = {
    "16 16 6 1",
    "  c None",
    ". c #203060",
    "b c #3C78D8",
    "w c #FFFFFF",
    "g c #E4E8EE",
    "o c #606870",
    "                ",
    " ooooooooo      ",
    " ogggggggo      ",
    " ogggggggo      ",
    " ogggg......... ",
    " ogggg.bbbbbbb. ",
    " ogggg.bbbbbbb. ",
    " ogggg.bbbwbbb. ",
    " ogggg.bbbbwbb. ",
    " ogggg.bwwwwwb. ",
    " ogggg.bbbbwbb. ",
    " ooooo.bbbwbbb. ",
    "      .bbbbbbb. ",
    "      .bbbbbbb. ",
    "      ......... ",
    "                ",
    nullptr};
static const char* const kLogImagesXpm[] = {
    "48 16 9 1",
    "m c #FF00FF",
    "B c #2F6FD0",
    "D c #1B4A96",
    "w c #FFFFFF",
    "Y c #F5C518",
    "K c #8A6A00",
    "k c #000000",
    "E c #D83A2E",
    "R c #8E1E16",
    "mmmmmmmmmmmmmmmmmmmmmmmmmmmmmmmmmmmmmmmmmmmmmmmm",
    "mmmmmDDDDDDmmmmmmmmmmmmKKmmmmmmmmmmmmRRRRRRmmmmm",
    "mmmDDBBBBBBDDmmmmmmmmmmKKmmmmmmmmmmRREEEEEERRmmm",
    "mmDDBBBwwBBBDDmmmmmmmmKYYKmmmmmmmmRREEEEEEEERRmm",
    "mmDBBBBwwBBBBDmmmmmmmmKYYKmmmmmmmmREwwEEEEwwERmm",
    "mDBBBBBBBBBBBBDmmmmmmKYkkYKmmmmmmREEEwwEEwwwEERm",
    "mDBBBBwwwBBBBBDmmmmmmKYkkYKmmmmmmREEEEwwwwwEEERm",
    "mDBBBBBwwBBBBBDmmmmmKYYkkYYKmmmmmREEEEEwwwEEEERm",
    "mDBBBBBwwBBBBBDmmmmKKYYkkYYKKmmmmREEEEEwwwEEEERm",
    "mDBBBBBwwBBBBBDmmmmKYYYkkYYYKmmmmREEEEwwwwEEEERm",
    "mDBBBBBwwBBBBBDmmmKYYYYkkYYYYKmmmREEEwwEEwwEEERm",
    "mmDBBBBwwBBBBDmmmmKYYYYYYYYYYKmmmmREwwEEEEwwERmm",
    "mmDDBBwwwwBBDDmmmKYYYYYkkYYYYYKmmmRREEEEEEEERRmm",
    "mmmDDBBBBBBDDmmmmKYYYYYkkYYYYYKmmmmRREEEEEERRmmm",
    "mmmmmDDDDDDmmmmmKKKKKKKKKKKKKKKKmmmmmRRRRRRmmmmm",
    "mmmmmmmmmmmmmmmmmmmmmmmmmmmmmmmmmmmmmmmmmmmmmmmm",
    nullptr};

}  // namespace

const char* const* FindImageResource(std::string_view name) {
    if (name == kTrayIconResource) return kTrayIconXpm;
    if (name == kLogImagesResource) return kLogImagesXpm;
    return nullptr;
}

}  // namespace pellmar
