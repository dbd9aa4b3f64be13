// The program iec61850-test-device as a person runs it: it reports its port, serves two
// clients at once and then one after the other, and stops on a signal.

#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "DeviceClient.h"
#include "support/ToolCheck.h"
#include "support/WireCheck.h"
#include "system/Polling.h"

extern char** environ;

namespace {

// The program, started with its standard output (or, when asked, its standard error) on a
// pipe; killed if a test leaves it.
class Program {
public:
    explicit Program(std::vector<std::string> arguments, int piped = STDOUT_FILENO) {
        int pipe[2];
        if (::pipe2(pipe, O_CLOEXEC) != 0) return;
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, pipe[1], piped);
        arguments.insert(arguments.begin(), IEC_TEST_DEVICE_PROGRAM);
        std::vector<char*> argv;
        for (std::string& argument : arguments) argv.push_back(argument.data());
        argv.push_back(nullptr);
        // Under ThreadSanitizer a process waits a second at its exit unless told not to.
        std::vector<std::string> environment;
        std::string sanitizer = "TSAN_OPTIONS=atexit_sleep_ms=0";
        for (char** entry = environ; *entry != nullptr; ++entry) {
            const std::string text = *entry;
            if (text.rfind("TSAN_OPTIONS=", 0) == 0) {
                sanitizer = text + " atexit_sleep_ms=0";
            } else {
                environment.push_back(text);
            }
        }
        environment.push_back(sanitizer);
        std::vector<char*> envp;
        for (std::string& entry : environment) envp.push_back(entry.data());
        envp.push_back(nullptr);
        if (posix_spawn(&pid_, IEC_TEST_DEVICE_PROGRAM, &actions, nullptr, argv.data(), envp.data()) != 0) pid_ = -1;
        posix_spawn_file_actions_destroy(&actions);
        ::close(pipe[1]);
        output_ = pipe[0];
    }
    ~Program() {
        if (pid_ > 0) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, nullptr, 0);
        }
        if (output_ >= 0) ::close(output_);
    }

    // The first line of what it writes to the pipe (waits for it).
    std::string FirstLine() {
        std::string line;
        char c = 0;
        while (::read(output_, &c, 1) == 1 && c != '\n') line += c;
        return line;
    }
    // Everything it writes to the pipe, up to its exit.
    std::string AllOutput() {
        std::string all;
        char buffer[256];
        for (ssize_t got = 0; (got = ::read(output_, buffer, sizeof buffer)) > 0;) all.append(buffer, got);
        return all;
    }

    // Sends the signal and waits for the exit: the exit status, -1 when it did not end
    // within the limit.
    int Stop(int signal, std::chrono::milliseconds limit, std::chrono::milliseconds& took) {
        const auto start = std::chrono::steady_clock::now();
        ::kill(pid_, signal);
        int status = 0;
        while (::waitpid(pid_, &status, WNOHANG) == 0) {
            if (std::chrono::steady_clock::now() - start > limit) return -1;
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        took = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start);
        pid_ = -1;
        return status;
    }

    bool Started() const { return pid_ > 0; }

private:
    pid_t pid_ = -1;
    int output_ = -1;
};

std::string ReadMode(MmsLoopback::Client& client) {
    auto* domain = new Mms::Domain(&client.User(), "LD0", &client.vmd);
    client.vmd.AddObject(domain);
    auto* variable = new Mms::NamedVariable(&client.User(), "LLN0$ST$Mod$stVal", domain);
    domain->AddObject(variable);
    if (client.User().RequestVariableAccessAttributes(variable) != System::OkNoError ||
        client.User().WaitForCurrentRequest() != System::OkNoError ||
        client.User().ReadVariableValueAndWait(variable) != System::OkNoError) {
        return "<failed>";
    }
    return MmsObjectTest::Text(*variable);
}

}  // namespace

TEST(DeviceProgram, ServesTwoClientsAtOnceThenOneAfterTheOtherAndStopsOnASignal) {
    Program program({"--port", "0"});
    ASSERT_TRUE(program.Started());
    const std::string first = program.FirstLine();
    ASSERT_EQ(first.rfind("port ", 0), 0u) << first;
    const auto port = static_cast<std::uint16_t>(std::stoi(first.substr(5)));
    ASSERT_NE(port, 0);
    AssociationTest::AssociationWireRelay relay(port);

    {
        MmsLoopback::Client one;
        MmsLoopback::Client two;
        ASSERT_EQ(one.Associate(relay.Port()), System::OkNoError);
        ASSERT_EQ(two.Associate(port), System::OkNoError);
        EXPECT_EQ(ReadMode(one), "1");
        EXPECT_EQ(ReadMode(two), "1");
        EXPECT_EQ(one.Release(), System::OkNoError);
        EXPECT_EQ(two.Release(), System::OkNoError);
    }
    for (int turn = 0; turn < 2; ++turn) {
        MmsLoopback::Client client;
        ASSERT_EQ(client.Associate(port), System::OkNoError) << turn;
        EXPECT_EQ(ReadMode(client), "1");
        EXPECT_EQ(client.Release(), System::OkNoError);
    }

    std::chrono::milliseconds took{0};
    const int status = program.Stop(SIGINT, std::chrono::seconds(30), took);
    ASSERT_NE(status, -1) << "the program did not stop";
    EXPECT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    // An end that waited for a connection's time-out would take 10 s.
    EXPECT_LT(took.count(), 5000);

    if (!TestSupport::WireCheckRuns()) return;
    EXPECT_EQ(TestSupport::FindProblems(relay.Units(0)), "");
}

TEST(DeviceProgram, HoldsAsManyAssociationsAtOnceAsItHasSlots) {
    Program program({"--port", "0", "--slots", "1"});
    ASSERT_TRUE(program.Started());
    const std::string first = program.FirstLine();
    ASSERT_EQ(first.rfind("port ", 0), 0u) << first;
    const auto port = static_cast<std::uint16_t>(std::stoi(first.substr(5)));

    MmsLoopback::Client one;
    MmsLoopback::Client two;
    ASSERT_EQ(one.Associate(port), System::OkNoError);
    // Its one slot is taken: the second client's connect is closed at once.
    EXPECT_NE(two.Associate(port), System::OkNoError);
    EXPECT_EQ(one.Release(), System::OkNoError);
    // Free again once the first has gone (the slot may still be letting go of it).
    ASSERT_TRUE(TestSupport::Eventually([&] { return two.Associate(port) == System::OkNoError; }));
    EXPECT_EQ(ReadMode(two), "1");
    EXPECT_EQ(two.Release(), System::OkNoError);
}

// What it cannot serve as asked is refused with one line that says what is wrong, never
// dropped without a word.
TEST(DeviceProgram, RefusesArgumentsItDoesNotKnowWithOneLineThatSaysWhy) {
    struct Row {
        std::vector<std::string> arguments;
        std::string line;
    };
    const std::string help = " (--help lists the options)";
    const std::string smallOnly =
        " shapes the small model and cannot be given with the large one (--large, --lds, --lns)";
    const Row rows[] = {
        {{"--bogus"}, "not understood: --bogus" + help},
        {{"--lds"}, "--lds needs a value: --lds N" + help},
        {{"--port", "0", "--vendor"}, "--vendor needs a value: --vendor TEXT" + help},
        {{"--port", "0", "--slots", "0"}, "not understood: --slots 0" + help},
        {{"--port", "0", "--identify-late", "soon"}, "not understood: --identify-late soon" + help},
        {{"--settings"}, "--port N is needed" + help},
        {{"--port", "0", "--large", "--settings"}, "--settings" + smallOnly},
        {{"--port", "0", "--harmonics", "--large"}, "--harmonics" + smallOnly},
        {{"--port", "0", "--lns", "40", "--attribute-data-set"}, "--attribute-data-set" + smallOnly},
        {{"--port", "0", "--data-set", "MMXU1$MX$TotW", "--lds", "2"}, "--data-set" + smallOnly},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.arguments.back());
        Program program(row.arguments, STDERR_FILENO);
        ASSERT_TRUE(program.Started());
        EXPECT_EQ(program.AllOutput(), "iec61850-test-device: " + row.line + "\n");
        std::chrono::milliseconds took{0};
        const int status = program.Stop(0, std::chrono::seconds(10), took);
        ASSERT_NE(status, -1);
        EXPECT_EQ(WEXITSTATUS(status), 2);
    }
}

// What a person asks for on the command line is what the program's device serves: the
// models' nodes and lists, and the identity it answers with.
TEST(DeviceProgram, ItsOptionsShapeTheModelAndTheIdentity) {
    struct Row {
        std::vector<std::string> options;
        std::string domain;
        std::int32_t objectClass;
        std::string name;  // one of the domain's names of that class
    };
    const Row rows[] = {
        {{"--settings"}, "LD0", Mms::MmsClassNamedVariable, "PTOC1$SG"},
        {{"--harmonics"}, "LD0", Mms::MmsClassNamedVariableList, "LLN0$dsHar"},
        {{"--attribute-data-set"}, "bay1", Mms::MmsClassNamedVariableList, "LLN0$dsAttr"},
        {{"--data-set", "MMXU1$MX$TotW,GGIO1$ST$Ind1"}, "LD0", Mms::MmsClassNamedVariableList, "LLN0$dsx"},
        {{"--lds", "2", "--lns", "6", "--vendor", "Other Works", "--model", "Relay 7", "--revision", "2.1"},
         "LD02",
         Mms::MmsClassNamedVariable,
         "LLN0"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.options.front());
        std::vector<std::string> arguments{"--port", "0"};
        arguments.insert(arguments.end(), row.options.begin(), row.options.end());
        Program program(arguments);
        ASSERT_TRUE(program.Started());
        const std::string first = program.FirstLine();
        ASSERT_EQ(first.rfind("port ", 0), 0u) << first;
        MmsLoopback::Client client;
        ASSERT_EQ(client.Associate(static_cast<std::uint16_t>(std::stoi(first.substr(5)))), System::OkNoError);
        Mms::NameCollection names;
        ASSERT_EQ(client.User().GetAllNamesInDomain(Mms::MmsObjectClassBasic, row.objectClass,
                                                    Mms::MmsObjectScopeDomain, row.domain, names),
                  System::OkNoError);
        ASSERT_EQ(client.User().WaitForCurrentRequest(), System::OkNoError);
        EXPECT_NE(std::find(names.begin(), names.end(), row.name), names.end());
        ASSERT_EQ(client.User().Identify(&client.vmd), System::OkNoError);
        ASSERT_EQ(client.User().WaitForCurrentRequest(), System::OkNoError);
        const bool otherIdentity = row.options.size() > 4;
        EXPECT_EQ(client.vmd.GetIdentity().vendorName, otherIdentity ? "Other Works" : "Test Works");
        EXPECT_EQ(client.vmd.GetIdentity().modelName, otherIdentity ? "Relay 7" : "IEC 61850 test device");
        EXPECT_EQ(client.vmd.GetIdentity().revision, otherIdentity ? "2.1" : "1.0");
        EXPECT_EQ(client.Release(), System::OkNoError);
    }
}
