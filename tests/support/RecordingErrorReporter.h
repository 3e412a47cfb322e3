// An error reporter that records every report, installed for the lifetime of the object.
#pragma once

#include "platform/ErrorReporter.h"

#include <mutex>
#include <string>
#include <vector>

namespace pellmar::test {

struct RecordedError {
    std::string caption;
    std::string text;
};

class RecordingErrorReporter final : public platform::ErrorReporter {
public:
    RecordingErrorReporter();   // installs itself
    ~RecordingErrorReporter() override;  // uninstalls itself

    void Report(const std::string& caption, const std::string& text, platform::ErrorIcon icon) override;
    std::vector<RecordedError> Reports() const;

private:
    mutable std::mutex mutex_;
    std::vector<RecordedError> reports_;
};

}  // namespace pellmar::test
