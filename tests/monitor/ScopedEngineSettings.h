// The change engine settings for one test, written through the platform's own store (a private
// configuration folder on Linux, the user's registry key on Windows) and emptied again afterwards,
// since the registry outlives the test program and empty values mean the defaults.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "platform/UserSettings.h"
#include "tests/support/TempFolder.h"
#include "tests/support/TestEnvironment.h"
#include "tray/monitor/EngineSettings.h"

namespace pellmar::test {

class ScopedEngineSettings {
public:
    ScopedEngineSettings() { environment_.Set("XDG_CONFIG_HOME", config_.Path()); }
    ~ScopedEngineSettings() { Write("", ""); }
    ScopedEngineSettings(const ScopedEngineSettings&) = delete;
    ScopedEngineSettings& operator=(const ScopedEngineSettings&) = delete;

    void Write(const std::string& engine, const std::string& rescanSeconds) {
        std::unique_ptr<platform::UserSettings> store = platform::UserSettings::Open();
        ASSERT_TRUE(store && store->WriteText(kChangeEngineSetting, engine) &&
                    store->WriteText(kRescanSecondsSetting, rescanSeconds));
    }

private:
    ScopedEnvironment environment_;
    TempFolder config_;
};

}  // namespace pellmar::test
