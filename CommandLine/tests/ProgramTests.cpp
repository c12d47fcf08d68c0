// The built program itself, run through the system's command interpreter: its arguments, its
// binary standard streams and its exit status.
#include <gtest/gtest.h>

#include <cstdlib>

#include "CommandLine/System/FileAccess.h"
#include "CommandLine/System/Threads.h"
#include "CommandLine/tests/TestSupport.h"

#if !defined(_WIN32)
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <thread>
#endif

namespace BlankwiseCli {
namespace {

using Testing::ReadFile;
using Testing::TemporaryFolder;
using Testing::WriteFile;
namespace fs = std::filesystem;

struct Ran {
    int status;
    std::string output;
    std::string errors;
};

class ProgramRun : public testing::Test {
  protected:
    void SetUp() override {
        // Relative to the folder CTest runs the tests in.
        ASSERT_TRUE(fs::exists(BLANKWISE_PROGRAM)) << BLANKWISE_PROGRAM << " from " << fs::current_path();
    }

    // Runs the program with the arguments (no quoting needed) and the bytes as its standard input.
    Ran RunProgram(const std::string& arguments, std::string_view input, const std::string& prefix = "") {
        const fs::path in = folder_.Path() / "in.bin";
        const fs::path out = folder_.Path() / "out.bin";
        const fs::path err = folder_.Path() / "err.bin";
        WriteFile(in, input);
        fs::path program = fs::path(BLANKWISE_PROGRAM);
        program.make_preferred();
        const std::string command = prefix + program.string() + " " + arguments + " < " + in.string() +
                                    " > " + out.string() + " 2> " + err.string();
        int status = std::system(command.c_str());
#if !defined(_WIN32)
        status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
#endif
        return {status, ReadFile(out), ReadFile(err)};
    }

    // Runs a command line of the shell, with the program for @ and the standard streams as given.
    Ran RunShell(const std::string& command) {
        const fs::path out = folder_.Path() / "shell-out.bin";
        const fs::path err = folder_.Path() / "shell-err.bin";
        fs::path program = fs::path(BLANKWISE_PROGRAM);
        program.make_preferred();
        std::string line = command;
        line.replace(line.find('@'), 1, program.string());
        int status = std::system(("(" + line + ") 2> " + err.string()).c_str());
#if !defined(_WIN32)
        status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
#endif
        return {status, fs::exists(out) ? ReadFile(out) : std::string(), ReadFile(err)};
    }

    TemporaryFolder folder_;
};

TEST_F(ProgramRun, StandardStreamsAreBinary) {
    const std::string input = "a\tb\r\n\tc\n\x1A\td";
    const Ran ran = RunProgram("--conversion tabs-to-spaces", input);
    EXPECT_EQ(ran.status, 0) << ran.errors;
    EXPECT_EQ(ran.output, "a   b\r\n    c\n\x1A   d");
    EXPECT_EQ(ran.errors, "");
}

TEST_F(ProgramRun, ExitStatusTellsSuccessChangeAndError) {
    EXPECT_EQ(RunProgram("--version", "").output, "blankwise 1.4.3\n");
    const Ran wouldChange = RunProgram("--check -c 6", "\t");
    EXPECT_EQ(wouldChange.status, 1);
    EXPECT_EQ(wouldChange.output, "-\n");
    EXPECT_EQ(RunProgram("--check -c 6", "no tab").status, 0);
    const Ran invalid = RunProgram("-c 6 -e utf-16le", "abc");
    EXPECT_EQ(invalid.status, 2);
    EXPECT_EQ(invalid.errors, "blankwise: standard input: bytes not valid in utf-16le at byte offset 2\n");
    const Ran unknown = RunProgram("--frobnicate", "");
    EXPECT_EQ(unknown.status, 2);
    EXPECT_EQ(unknown.errors.find("blankwise: unrecognized option '--frobnicate'\nUsage: "), 0u)
        << unknown.errors;
}

#if !defined(_WIN32)
// The file system refuses the replacement's bytes past 512 (a file size limit, which also holds
// for root): the write fails midway, and the file and its folder stay as they were; the program
// reports it instead of being ended by SIGXFSZ.
TEST_F(ProgramRun, InPlaceWriteFailureLeavesTheFileAndNoTemporaryFile) {
    const fs::path target = folder_.Path() / "target" / "big.txt";
    fs::create_directories(target.parent_path());
    std::string before;
    while (before.size() < 100000) {
        before += "\tindented line\n";
    }
    WriteFile(target, before);
    const Ran ran = RunProgram("-i -c 6 " + target.string(), "", "ulimit -f 1; exec ");
    EXPECT_EQ(ran.status, 2);
    EXPECT_NE(ran.errors.find("cannot write: File too large"), std::string::npos) << ran.errors;
    EXPECT_EQ(ReadFile(target), before);
    EXPECT_EQ(std::distance(fs::directory_iterator(target.parent_path()), fs::directory_iterator()), 1);
}

// GNU's bounded-memory check: given the address space it needs for an empty input and 8000 KiB
// more, less than a helper thread's stack, the program converts a long line on fewer threads. With
// less, each run converts it or fails as out of memory, never aborts.
TEST_F(ProgramRun, ALongLineConvertsInBoundedMemoryOrFailsAsOutOfMemory) {
    const auto limited = [](long kib, const std::string& command) {
        return "ulimit -v " + std::to_string(kib) + " && exec " + command;
    };
    long least = 200000;  // KiB; where even this fails (a sanitizer's shadow memory), no test
    long most = 1000;
    while (most + 100 < least) {
        const long middle = (least + most) / 2;
        (RunShell(limited(middle, "@ -c6 < /dev/null")).status == 0 ? least : most) = middle;
    }
    if (least == 200000) {
        GTEST_SKIP() << "the program does not run under ulimit -v here";
    }
    const fs::path out = folder_.Path() / "shell-out.bin";
    const std::string zeros = "head -c 10485760 /dev/zero | ";
    for (long kib = least; kib <= least + 8000; kib += 1000) {
        for (const char* threads : {"", "--threads 4 "}) {
            const Ran ran = RunShell(
                zeros + "(" + limited(kib, std::string("@ -c6 ") + threads + "> " + out.string()) + ")");
            const bool converted = ran.status == 0 && ran.output.size() == 10485760 && ran.errors.empty();
            const bool outOfMemory =
                ran.status == 2 && ran.errors == "blankwise: standard input: out of memory\n";
            EXPECT_TRUE(converted || (outOfMemory && kib < least + 8000))
                << kib << " KiB, " << threads << "status " << ran.status << ": " << ran.errors;
        }
    }
}
#endif

#if !defined(_WIN32)
// Standard output that fails is blamed, not the file whose name was being listed; a pipe named as
// a file is not a regular file, even through /dev/stdin.
TEST_F(ProgramRun, MessagesBlameWhatFailed) {
    const fs::path file = folder_.Path() / "tabbed.txt";
    WriteFile(file, "\tx\n");
    const Ran full = RunShell("@ --check -c 6 " + file.string() + " > /dev/full");
    EXPECT_EQ(full.status, 2);
    EXPECT_EQ(full.errors, "blankwise: standard output: cannot write: No space left on device\n");

    const Ran pipe = RunShell("printf '\\tx\\n' | @ -c 6 -i /dev/stdin");
    EXPECT_EQ(pipe.status, 2);
    EXPECT_EQ(pipe.errors, "blankwise: /dev/stdin: not a regular file\n");
    const Ran unchangedPipe = RunShell("printf 'x\\n' | @ -c 6 -i /dev/stdin");
    EXPECT_EQ(unchangedPipe.errors, "blankwise: /dev/stdin: not a regular file\n");
}

// Standard error that is full or closed takes no message: the program goes on with the next
// file and its exit status still tells the failure.
TEST_F(ProgramRun, AFullOrClosedStandardErrorEndsNothingEarly) {
    const fs::path file = folder_.Path() / "tabbed.txt";
    WriteFile(file, "\tx\n");
    const std::string out = (folder_.Path() / "shell-out.bin").string();
    for (const char* errors : {"2>/dev/full", "2>&-"}) {
        const Ran ran = RunShell("@ -c 6 " + folder_.Path().string() + "/missing.txt " + file.string() +
                                 " > " + out + " " + errors);
        EXPECT_EQ(ran.status, 2) << errors;
        EXPECT_EQ(ran.output, "    x\n") << errors;
    }
}

// Standard output appended to one of the inputs would read back what it writes for as long as the
// disk holds: that input is refused, as cat refuses it, and the others are converted. An input that
// the output emptied first has nothing left to read and is no error.
TEST_F(ProgramRun, AnInputThatStandardOutputWritesIsRefused) {
    const std::string f = (folder_.Path() / "f").string();
    const std::string g = (folder_.Path() / "g").string();
    const std::string refused = ": input file is output file\n";
    const struct {
        std::string command;
        int status;
        std::string errors;
        std::string fAfter;
    } rows[] = {
        {"@ -c6 " + f + " >> " + f, 2, "blankwise: " + f + refused, "\tx\n"},
        {"@ -c6 < " + f + " >> " + f, 2, "blankwise: standard input" + refused, "\tx\n"},
        {"@ -c6 --diff " + f + " >> " + f, 2, "blankwise: " + f + refused, "\tx\n"},
        {"@ -c6 " + g + " " + f + " > " + f, 2, "blankwise: " + f + refused, "    y\n"},
        {"@ -c6 - < " + f + " 1<> " + f, 2, "blankwise: standard input" + refused, "\tx\n"},
        {"@ -c6 " + f + " " + g + " > " + f, 0, "", "    y\n"},
    };
    for (const auto& row : rows) {
        WriteFile(f, "\tx\n");
        WriteFile(g, "\ty\n");
        const Ran ran = RunShell(row.command);
        EXPECT_EQ(ran.status, row.status) << row.command;
        EXPECT_EQ(ran.errors, row.errors) << row.command;
        EXPECT_EQ(ReadFile(f), row.fAfter) << row.command;
    }
}

// A signal that ends the program while it writes the replacement takes the replacement with it;
// the file stays as it was and the program ends by that signal.
TEST_F(ProgramRun, ASignalDuringAnInPlaceRewriteLeavesNoTemporaryFile) {
    const fs::path folder = folder_.Path() / "target";
    fs::create_directories(folder);
    const fs::path target = folder / "big.txt";
    const std::string line = "\tan indented line of some length, to be converted\n";
    for (const int signal : {SIGINT, SIGTERM, SIGHUP, SIGQUIT}) {
        // On a busy machine the rewrite may finish before the signal arrives: then the file is
        // made larger and the signal sent again.
        bool signalled = false;
        for (std::size_t megabytes = 48; !signalled && megabytes <= 768; megabytes *= 2) {
            std::string before;
            while (before.size() < (megabytes << 20)) {
                before += line;
            }
            WriteFile(target, before);
            const pid_t child = ::fork();
            ASSERT_GE(child, 0);
            if (child == 0) {
                const rlimit noCore{0, 0};  // SIGQUIT would leave a core file
                ::setrlimit(RLIMIT_CORE, &noCore);
                ::execl(BLANKWISE_PROGRAM, "blankwise", "-i", "-c", "6", target.c_str(),
                        static_cast<char*>(nullptr));
                ::_exit(127);
            }
            // Waits for the temporary file to appear, then sends the signal.
            bool seen = false;
            bool exited = false;
            int status = 0;
            const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
            while (!seen && !exited && std::chrono::steady_clock::now() < deadline) {
                for (const auto& entry : fs::directory_iterator(folder)) {
                    seen = seen || entry.path().filename() != "big.txt";
                }
                exited = ::waitpid(child, &status, WNOHANG) == child;
            }
            if (!exited) {
                ::kill(child, signal);
                ::waitpid(child, &status, 0);
            }
            if (WIFEXITED(status) && WEXITSTATUS(status) == 0) {
                continue;
            }
            signalled = true;
            EXPECT_TRUE(seen) << "no temporary file appeared";
            EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == signal) << signal << ": status " << status;
            EXPECT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator()), 1) << signal;
            EXPECT_EQ(ReadFile(target), before) << signal;
        }
        EXPECT_TRUE(signalled) << signal << ": every rewrite finished before its signal";
    }
}

// A signal taken by a helper thread before it blocked the ending signals itself would end the
// process without removing the temporary file the main thread was naming at that moment.
TEST(EndingSignals, AHelperThreadHasThemBlockedFromItsStart) {
    bool blockedAtStart = false;
    std::thread helper = StartThreadWithoutEndingSignals([&blockedAtStart] {
        sigset_t mask;
        ::pthread_sigmask(SIG_BLOCK, nullptr, &mask);
        blockedAtStart = sigismember(&mask, SIGINT) == 1 && sigismember(&mask, SIGTERM) == 1 &&
                         sigismember(&mask, SIGHUP) == 1 && sigismember(&mask, SIGQUIT) == 1;
    });
    helper.join();
    EXPECT_TRUE(blockedAtStart);
    sigset_t mask;
    ::pthread_sigmask(SIG_BLOCK, nullptr, &mask);
    EXPECT_EQ(sigismember(&mask, SIGINT), 0) << "the calling thread keeps its own mask";
}
#endif

}  // namespace
}  // namespace BlankwiseCli
