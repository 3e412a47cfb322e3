// Parsing of the engine settings; the store itself is the platform's.
#include "tray/monitor/EngineSettings.h"

#include "common/TextCase.h"
#include "platform/UserSettings.h"

#include <charconv>

namespace pellmar {
namespace {

// Below this a rescan loop would keep a core busy; above a day the value is surely a typing error.
constexpr double kMinSeconds = 0.01;
constexpr double kMaxSeconds = 86400.0;

}  // namespace

EngineSettings ParseEngineSettings(const std::string& engine, const std::string& rescanSeconds) {
    EngineSettings settings;
    const std::string name = LowerCaseAscii(engine);
    if (name == "notification") settings.choice = EngineChoice::Notification;
    if (name == "snapshot") settings.choice = EngineChoice::Snapshot;
    if (name == "rescan") settings.choice = EngineChoice::Rescan;
    if (!rescanSeconds.empty()) {
        // from_chars: a decimal point whatever the locale says.
        double seconds = 0;
        const char* last = rescanSeconds.data() + rescanSeconds.size();
        const auto [end, error] = std::from_chars(rescanSeconds.data(), last, seconds);
        if (error == std::errc() && end == last && seconds >= kMinSeconds && seconds <= kMaxSeconds)
            settings.rescanInterval = std::chrono::milliseconds(static_cast<long long>(seconds * 1000.0 + 0.5));
    }
    return settings;
}

EngineSettings ReadEngineSettings() {
    std::unique_ptr<platform::UserSettings> store = platform::UserSettings::Open();
    if (!store) return EngineSettings{};
    return ParseEngineSettings(store->ReadText(kChangeEngineSetting), store->ReadText(kRescanSecondsSetting));
}

}  // namespace pellmar
