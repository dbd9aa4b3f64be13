// The program as a person starts it: a port it cannot connect to is refused on the command
// line, before any window opens.

#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdio>
#include <string>

namespace {

// The program's standard error and exit status. A platform that does not exist makes any
// window the program opened fail loudly instead of waiting for a person; `timeout` ends one
// that hangs.
std::string RunProgram(const std::string& arguments, int& status) {
    const std::string command = "QT_QPA_PLATFORM=no-such-platform timeout 20 " + std::string(IEC_PROGRAM) + " " +
                                arguments + " 2>&1 >/dev/null";
    std::FILE* pipe = ::popen(command.c_str(), "r");
    if (pipe == nullptr) return "<not started>";
    std::string output;
    char buffer[256];
    for (std::size_t got = 0; (got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) output.append(buffer, got);
    status = ::pclose(pipe);
    return output;
}

}  // namespace

TEST(ProgramArguments, APortThatIsNoPortIsRefusedInOneLineBeforeAnyWindow) {
    struct Row {
        const char* arguments;
        const char* line;
    };
    const Row rows[] = {
        {"--port abc", "--port abc: not a port number from 1 to 65535"},
        {"--port 0", "--port 0: not a port number from 1 to 65535"},
        {"--port 70000", "--port 70000: not a port number from 1 to 65535"},
        {"--port 102x", "--port 102x: not a port number from 1 to 65535"},
        {"--port", "--port needs a port number from 1 to 65535"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.arguments);
        int status = -1;
        EXPECT_EQ(RunProgram(row.arguments, status), "iec61850-tester: " + std::string(row.line) + "\n");
        ASSERT_TRUE(WIFEXITED(status));
        EXPECT_EQ(WEXITSTATUS(status), 2);
    }
}
