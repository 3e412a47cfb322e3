// The wire form of pellmarctl's requests and replies. A request is one line: the client's working
// folder and its arguments, each percent-encoded, separated by blanks; the host parses them as
// the command line would. A reply is "<exit> <out bytes> <err bytes>\n" followed by both texts.
#pragma once

#include <string>
#include <vector>

#include "tray/ctl/CtlExecute.h"

namespace pellmar::ctl {

std::string EncodeRequest(const std::string& workingFolder, const std::vector<std::string>& args);
bool DecodeRequest(const std::string& line, std::string* workingFolder, std::vector<std::string>* args);

std::string EncodeReply(const CtlReply& reply);
bool DecodeReply(const std::string& text, CtlReply* reply);

// The channel name of a host on the data folder (as DataLocations gives it).
std::string ControlChannelName(const std::string& dataPath);

// A whole request line to its reply: usage errors and help included. `refusal`, when not empty,
// refuses every command that would change something (the host is busy). `changed` tells whether
// a command that changes something succeeded. Backend's thread.
CtlReply AnswerRequest(const std::string& line, ControlBackend& backend, const std::string& refusal = {},
                       bool* changed = nullptr);

}  // namespace pellmar::ctl
