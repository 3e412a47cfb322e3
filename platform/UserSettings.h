// The per-user settings store (the registry key HKCU\Software\Quenmarsh\Pellmar on Windows,
// $XDG_CONFIG_HOME/Quenmarsh/Pellmar.conf of "Name=Value" lines on Linux).
// Opened, read and written on one thread; not shared between threads.
#pragma once

#include <memory>
#include <string>

namespace pellmar::platform {

class UserSettings {
public:
    virtual ~UserSettings() = default;

    // Opens the store, creating it when missing; nullptr when it can be neither opened nor created.
    static std::unique_ptr<UserSettings> Open();

    // The value as stored; empty when missing or not a text value.
    virtual std::string ReadText(const std::string& name) = 0;

    // Stores the value; false when it could not be written. Other entries are kept untouched.
    virtual bool WriteText(const std::string& name, const std::string& value) = 0;
};

}  // namespace pellmar::platform
