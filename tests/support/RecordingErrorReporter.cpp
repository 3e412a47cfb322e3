#include "tests/support/RecordingErrorReporter.h"

namespace pellmar::test {

RecordingErrorReporter::RecordingErrorReporter() { platform::InstallErrorReporter(this); }

RecordingErrorReporter::~RecordingErrorReporter() { platform::InstallErrorReporter(nullptr); }

void RecordingErrorReporter::Report(const std::string& caption, const std::string& text, platform::ErrorIcon) {
    std::lock_guard lock(mutex_);
    reports_.push_back({caption, text});
}

std::vector<RecordedError> RecordingErrorReporter::Reports() const {
    std::lock_guard lock(mutex_);
    return reports_;
}

}  // namespace pellmar::test
