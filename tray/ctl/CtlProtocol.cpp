// Percent-encoding keeps blanks, line breaks and every other byte of a path intact in one line.
#include "tray/ctl/CtlProtocol.h"

#include "tray/util/Checksums.h"

#include <charconv>
#include <cstdio>

namespace pellmar::ctl {
namespace {

std::string Encode(const std::string& text) {
    std::string encoded = text.empty() ? "%" : "";  // a lone "%" stands for an empty argument
    for (unsigned char c : text) {
        if (c <= ' ' || c == '%' || c >= 0x7f) {
            char escape[4];
            std::snprintf(escape, sizeof(escape), "%%%02X", c);
            encoded += escape;
        } else {
            encoded += static_cast<char>(c);
        }
    }
    return encoded;
}

bool Decode(const std::string& word, std::string* text) {
    text->clear();
    if (word == "%") return true;
    for (std::size_t i = 0; i < word.size(); ++i) {
        if (word[i] != '%') {
            *text += word[i];
            continue;
        }
        unsigned value = 0;
        if (i + 2 >= word.size() ||
            std::from_chars(word.data() + i + 1, word.data() + i + 3, value, 16).ptr !=
                                            word.data() + i + 3) {
            return false;
        }
        *text += static_cast<char>(value);
        i += 2;
    }
    return true;
}

}  // namespace

std::string EncodeRequest(const std::string& workingFolder, const std::vector<std::string>& args) {
    std::string line = Encode(workingFolder);
    for (const std::string& arg : args) line += " " + Encode(arg);
    return line;
}

bool DecodeRequest(const std::string& line, std::string* workingFolder, std::vector<std::string>* args) {
    args->clear();
    std::size_t start = 0;
    bool first = true;
    while (start <= line.size()) {
        std::size_t end = line.find(' ', start);
        if (end == std::string::npos) end = line.size();
        std::string text;
        if (!Decode(line.substr(start, end - start), &text)) return false;
        if (first) *workingFolder = text;
        else args->push_back(text);
        first = false;
        start = end + 1;
    }
    return !first;
}

std::string EncodeReply(const CtlReply& reply) {
    return std::to_string(reply.exitCode) + " " + std::to_string(reply.out.size()) + " " +
           std::to_string(reply.err.size()) + "\n" + reply.out + reply.err;
}

bool DecodeReply(const std::string& text, CtlReply* reply) {
    std::size_t outSize = 0, errSize = 0;
    const std::size_t header = text.find('\n');
    if (header == std::string::npos ||
        std::sscanf(text.substr(0, header).c_str(), "%d %zu %zu", &reply->exitCode, &outSize, &errSize) != 3 ||
        text.size() != header + 1 + outSize + errSize) {
        return false;
    }
    reply->out = text.substr(header + 1, outSize);
    reply->err = text.substr(header + 1 + outSize);
    return true;
}

std::string ControlChannelName(const std::string& dataPath) {
    char name[16];
    std::snprintf(name, sizeof(name), "%08x", static_cast<unsigned>(Crc32OfText(dataPath)));
    return name;
}

CtlReply AnswerRequest(const std::string& line, ControlBackend& backend, const std::string& refusal, bool* changed) {
    if (changed) *changed = false;
    std::string workingFolder;
    std::vector<std::string> args;
    if (!DecodeRequest(line, &workingFolder, &args)) return Failure(kExitUsage, "the request could not be read");
    ParseResult parsed = ParseCommand(args, workingFolder);
    if (!parsed.command) return Failure(kExitUsage, parsed.error);
    if (parsed.command->help) return {kExitDone, HelpText(parsed.command->verb), {}};
    if (!refusal.empty() && ChangesState(parsed.command->verb)) return Failure(kExitFailure, refusal);
    CtlReply reply = Execute(*parsed.command, backend);
    if (changed) *changed = reply.exitCode == kExitDone && ChangesState(parsed.command->verb);
    return reply;
}

}  // namespace pellmar::ctl
