// Detached starts: a hidden start through the shell's "open" verb (ShellExecuteExW with SW_HIDE),
// a shown start through CreateProcessW. Neither waits; both close every handle they get at once.
#include "platform/ProgramStart.h"

#include "platform/win32/WideText.h"

#include <windows.h>
#include <shellapi.h>

namespace pellmar::platform {
namespace {

// The C runtime's splitting rule: quotes around words with blanks, backslashes doubled where they
// stand before a quote, so every argument arrives as the one word it was.
void AppendQuoted(std::wstring& line, const std::wstring& word) {
    if (!line.empty()) line += L' ';
    if (!word.empty() && word.find_first_of(L" \t\n\v\"") == std::wstring::npos) {
        line += word;
        return;
    }
    line += L'"';
    std::size_t backslashes = 0;
    for (wchar_t c : word) {
        if (c == L'\\') {
            ++backslashes;
            continue;
        }
        line.append(c == L'"' ? backslashes * 2 + 1 : backslashes, L'\\');
        backslashes = 0;
        line += c;
    }
    line.append(backslashes * 2, L'\\');
    line += L'"';
}

std::wstring ArgumentText(const std::vector<std::string>& arguments) {
    std::wstring line;
    for (const std::string& argument : arguments) AppendQuoted(line, win32::Widen(argument));
    return line;
}

bool IsFile(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

bool StartHidden(const std::wstring& program, const std::wstring& parameters) {
    SHELLEXECUTEINFOW info{};
    info.cbSize = sizeof info;
    info.fMask = SEE_MASK_NOASYNC | SEE_MASK_FLAG_NO_UI;
    info.lpVerb = L"open";
    info.lpFile = program.c_str();
    info.lpParameters = parameters.c_str();
    info.nShow = SW_HIDE;
    return ShellExecuteExW(&info) != FALSE;
}

bool StartShown(const std::wstring& program, const std::wstring& parameters) {
    // The program is named apart from the command line, so a folder with blanks can never be read
    // as a shorter program name followed by arguments.
    std::wstring commandLine;
    AppendQuoted(commandLine, program);
    if (!parameters.empty()) commandLine += L' ' + parameters;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_SHOWNORMAL;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, NORMAL_PRIORITY_CLASS, nullptr,
                        nullptr, &startup, &process)) {
        return false;
    }
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return true;
}

}  // namespace

bool StartDetachedProgram(const std::string& program, const std::vector<std::string>& arguments, bool hidden) {
    const std::wstring file = win32::Widen(program);
    if (file.empty() || !IsFile(file)) return false;
    const std::wstring parameters = ArgumentText(arguments);
    return hidden ? StartHidden(file, parameters) : StartShown(file, parameters);
}

std::string ExecutableFileName(const std::string& baseName) { return baseName + ".exe"; }

}  // namespace pellmar::platform
