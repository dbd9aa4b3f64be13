// The program as a person starts it: every word is the program's (`--port`), one of Qt's own
// options, or refused on the command line, before any window opens.

#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdio>
#include <string>
#include <vector>

#include "app/program/QXApp.h"

namespace {

// The program's standard error and exit status. A platform that does not exist makes any
// window the program opened fail loudly instead of waiting for a person; `timeout` ends one
// that hangs.
std::string RunProgram(const std::string& arguments, int& status, const char* platform = "no-such-platform") {
    const std::string command = "QT_QPA_PLATFORM=" + std::string(platform) + " timeout 20 " + std::string(IEC_PROGRAM) +
                                " " + arguments + " 2>&1 >/dev/null";
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
        {"--port=0", "--port=0: not a port number from 1 to 65535"},
        {"--port=", "--port=: not a port number from 1 to 65535"},
        {"--bogus", "--bogus: not an option of this program"},
        {"-port abc", "-port: not an option of this program"},
        {"--PORT abc", "--PORT: not an option of this program"},
        {"--port 12000 extra", "extra: not an argument of this program"},
        {"--port 102 --port=12000", "--port given twice"},
        {"-platform=offscreen", "-platform=offscreen: not an option of this program"},
        {"-style", "-style needs a value"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.arguments);
        int status = -1;
        EXPECT_EQ(RunProgram(row.arguments, status), "iec61850-tester: " + std::string(row.line) + "\n");
        ASSERT_TRUE(WIFEXITED(status));
        EXPECT_EQ(WEXITSTATUS(status), 2);
    }
    // One of Qt's options that this platform does not take ("-display" is X11's): refused once
    // Qt has taken its own, still before any window (one would wait here for a person).
    // (Qt may have warned of its own before: the line is the program's last word.)
    int status = -1;
    const std::string output = RunProgram("-display :0 --port 12000", status, "offscreen");
    EXPECT_TRUE(output.ends_with("\niec61850-tester: -display: not taken by Qt on this platform\n") ||
                output == "iec61850-tester: -display: not taken by Qt on this platform\n")
        << output;
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 2);
}

// The program's own words and Qt's pass: the program goes on to Qt, which looks for its
// platform (one that does not exist stops it there, before any window).
TEST(ProgramArguments, ThePortInEitherFormAndQtsOwnOptionsAreTaken) {
    struct Row {
        std::vector<const char*> words;
        const char* port;  // "" for none given
    };
    const Row rows[] = {
        {{"--port=12054"}, "12054"},
        {{"--port", "12054"}, "12054"},
        {{"-style", "Fusion", "--port=7"}, "7"},
        {{"--style=Fusion", "-platform", "no-such-platform", "-reverse", "--port", "65535"}, "65535"},
        {{"-geometry", "800x600", "-display", ":0"}, ""},
        {{}, ""},
    };
    for (const Row& row : rows) {
        std::string arguments;
        for (const char* word : row.words) arguments += std::string(word) + " ";
        SCOPED_TRACE(arguments);
        std::string port;
        std::string problem;
        EXPECT_TRUE(App::QXApp::TakeArguments(static_cast<int>(row.words.size()), row.words.data(), port, problem))
            << problem;
        EXPECT_EQ(port, row.port);
        if (row.words.empty() || std::string(row.words.front()) == "-geometry") continue;
        int status = -1;
        const std::string output = RunProgram(arguments, status);
        EXPECT_EQ(output.find("iec61850-tester:"), std::string::npos) << output;
        EXPECT_NE(output.find("no-such-platform"), std::string::npos) << output;
        EXPECT_FALSE(WIFEXITED(status) && WEXITSTATUS(status) == 2);
    }
}
