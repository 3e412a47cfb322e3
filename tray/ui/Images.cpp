// The drawn images, kept as XPM files (which are C text) under tray/ui/images. In the strip the
// key "m" is magenta (255, 0, 255), left out when the images are shown; the tray icon uses XPM's
// own transparent colour instead.
#include "tray/ui/Images.h"

namespace pellmar {
namespace {

#include "tray/ui/images/ZMAINFORM_TRAYICONMAIN.xpm"
#include "tray/ui/images/LOGFORM_IMGSMALL.xpm"

}  // namespace

const char* const* FindImageResource(std::string_view name) {
    if (name == kTrayIconResource) return kTrayIconXpm;
    if (name == kLogImagesResource) return kLogImagesXpm;
    return nullptr;
}

}  // namespace pellmar
