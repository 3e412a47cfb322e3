// The per-user settings store on Windows: string values of HKEY_CURRENT_USER\Software\Quenmarsh\Pellmar.
#include "platform/UserSettings.h"

#include "platform/win32/RegistryKey.h"
#include "platform/win32/WideText.h"

namespace pellmar::platform {
namespace {

const wchar_t kSettingsKey[] = L"Software\\Quenmarsh\\Pellmar";

class RegistrySettings final : public UserSettings {
public:
    explicit RegistrySettings(std::unique_ptr<win32::RegistryKey> key) : key_(std::move(key)) {}

    std::string ReadText(const std::string& name) override {
        return key_->ReadText(win32::Widen(name)).value_or(std::string());
    }

    bool WriteText(const std::string& name, const std::string& value) override {
        return key_->WriteText(win32::Widen(name), value);
    }

private:
    std::unique_ptr<win32::RegistryKey> key_;
};

}  // namespace

std::unique_ptr<UserSettings> UserSettings::Open() {
    auto key = win32::RegistryKey::Open(HKEY_CURRENT_USER, kSettingsKey, KEY_READ | KEY_CREATE_SUB_KEY | KEY_SET_VALUE,
                                        true);
    if (!key) return nullptr;
    return std::make_unique<RegistrySettings>(std::move(key));
}

}  // namespace pellmar::platform
