#pragma once

// Running the external decoders (tshark, text2pcap) from the tests.

#include <string>

namespace TestSupport {

// The text as one shell word, whatever it holds.
std::string ShellQuote(const std::string& text);

// Runs a shell command, keeping what it printed on its standard output; the wait status
// pclose gives (see WIFEXITED), or -1 when it could not be started.
int RunCommand(const std::string& command, std::string& output);

// Runs a shell command quietly: whether it exited with success.
bool CommandSucceeds(const std::string& command);

// Runs a shell command and returns its standard output; throws std::runtime_error with
// the command and its output when it cannot run or exits with a failure.
std::string CaptureCommand(const std::string& command);

}  // namespace TestSupport
