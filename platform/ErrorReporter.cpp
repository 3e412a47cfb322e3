// Routing of error reports to the reporter the host installed.
#include "platform/ErrorReporter.h"

#include <cstdio>
#include <mutex>

namespace pellmar::platform {
namespace {

std::mutex g_reporterMutex;
ErrorReporter* g_reporter = nullptr;

ErrorReporter& CurrentReporter() {
    static StderrErrorReporter fallback;
    std::lock_guard lock(g_reporterMutex);
    return g_reporter ? *g_reporter : static_cast<ErrorReporter&>(fallback);
}

}  // namespace

void InstallErrorReporter(ErrorReporter* reporter) {
    std::lock_guard lock(g_reporterMutex);
    g_reporter = reporter;
}

void ReportError(const std::string& text) {
    // The lock is released before the call: a reporter may block for as long as a modal box is open.
    CurrentReporter().Report("Pellmar", text, ErrorIcon::Error);
}

void StderrErrorReporter::Report(const std::string& caption, const std::string& text, ErrorIcon) {
    static std::mutex stderrMutex;
    std::lock_guard lock(stderrMutex);
    std::fprintf(stderr, "%s: error: %s\n", caption.c_str(), text.c_str());
    std::fflush(stderr);
}

}  // namespace pellmar::platform
