// Runs a command and reports its peak resident set size: "peak-rss-kib N" as the last line on
// standard error, with the command's exit status as its own. A small process of its own forks
// the command, because the kernel counts the parent's size at the fork in the child's peak (a
// benchmark written in Python would otherwise read its own size).
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: peak_memory COMMAND [ARGUMENTS...]\n");
        return 2;
    }
    const pid_t child = fork();
    if (child == 0) {
        execvp(argv[1], argv + 1);
        _exit(127);
    }
    int status = 0;
    struct rusage usage {};
    if (child < 0 || wait4(child, &status, 0, &usage) != child) {
        return 2;
    }
    std::fprintf(stderr, "peak-rss-kib %ld\n", usage.ru_maxrss);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 2;
}
