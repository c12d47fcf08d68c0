// The built program itself, run through the system's command interpreter: its arguments, its
// binary standard streams and its exit status.
#include <gtest/gtest.h>

#include <cstdlib>

#include "CommandLine/FileAccess.h"
#include "CommandLine/tests/TestSupport.h"

#if !defined(_WIN32)
#include <signal.h>
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
// for root): the write fails midway, and the file and its folder stay as they were.
TEST_F(ProgramRun, InPlaceWriteFailureLeavesTheFileAndNoTemporaryFile) {
    const fs::path target = folder_.Path() / "target" / "big.txt";
    fs::create_directories(target.parent_path());
    std::string before;
    while (before.size() < 100000) {
        before += "\tindented line\n";
    }
    WriteFile(target, before);
    const Ran ran = RunProgram("-i -c 6 " + target.string(), "", "trap '' XFSZ; ulimit -f 1; exec ");
    EXPECT_EQ(ran.status, 2);
    EXPECT_NE(ran.errors.find("cannot write: File too large"), std::string::npos) << ran.errors;
    EXPECT_EQ(ReadFile(target), before);
    EXPECT_EQ(std::distance(fs::directory_iterator(target.parent_path()), fs::directory_iterator()), 1);
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

// A signal that ends the program while it writes the replacement takes the replacement with it;
// the file stays as it was and the program ends by that signal.
TEST_F(ProgramRun, ASignalDuringAnInPlaceRewriteLeavesNoTemporaryFile) {
    const fs::path folder = folder_.Path() / "target";
    fs::create_directories(folder);
    const fs::path target = folder / "big.txt";
    const std::string line = "\tan indented line of some length, to be converted\n";
    for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
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
                         sigismember(&mask, SIGHUP) == 1;
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
