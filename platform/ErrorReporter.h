// Process-wide sink for errors that the user must see (a failed SQL statement, an invalid mask).
// The host installs one reporter at start-up: a modal box on the UI thread, stderr when headless,
// a recorder in tests. Does not own the reporter; the host keeps it alive until it uninstalls it.
#pragma once

#include <string>

namespace pellmar::platform {

enum class ErrorIcon { Error };

class ErrorReporter {
public:
    virtual ~ErrorReporter() = default;
    // Called on the reporting thread, which waits until it returns. Must be thread-safe.
    virtual void Report(const std::string& caption, const std::string& text, ErrorIcon icon) = 0;
};

// Installs `reporter` for the whole process (nullptr: reports go to stderr). Any thread.
void InstallErrorReporter(ErrorReporter* reporter);

// Sends one report with the program's caption "Pellmar" and the error icon; blocks until handled.
void ReportError(const std::string& text);

// The headless host's reporter: one line per report on stderr.
class StderrErrorReporter final : public ErrorReporter {
public:
    void Report(const std::string& caption, const std::string& text, ErrorIcon icon) override;
};

}  // namespace pellmar::platform
