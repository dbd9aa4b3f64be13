#include "support/ShellCommand.h"

#include <sys/wait.h>

#include <cstdio>
#include <stdexcept>

namespace TestSupport {

std::string ShellQuote(const std::string& text) {
    std::string quoted = "'";
    for (char c : text) {
        if (c == '\'') quoted += "'\\''";
        else quoted += c;
    }
    return quoted + "'";
}

int RunCommand(const std::string& command, std::string& output) {
    output.clear();
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) return -1;
    char buffer[4096];
    std::size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) output.append(buffer, n);
    return pclose(pipe);
}

std::string CaptureCommand(const std::string& command) {
    std::string output;
    const int status = RunCommand(command, output);
    if (status == -1 && output.empty()) throw std::runtime_error("cannot run: " + command);
    if (status == -1 || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
        throw std::runtime_error("command failed: " + command + "\n" + output);
    return output;
}

bool CommandSucceeds(const std::string& command) {
    std::string output;
    const int status = RunCommand(command + " 2>&1", output);
    return status != -1 && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

}  // namespace TestSupport
