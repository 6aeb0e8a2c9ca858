#pragma once
// Runs the zoetra-cli program built beside the tests (ZOETRA_CLI_PATH) and collects what it
// prints and its exit status.

#include <cstdio>
#include <string>
#include <sys/wait.h>

struct CliRun {
    int status = -1; // exit status; -1 when the program could not be run or did not exit
    std::string out;
};

enum class CliStderr { Discard, Merge };

inline CliRun runCli(const std::string& arguments, CliStderr errors = CliStderr::Discard)
{
    CliRun run;
    const std::string command =
        std::string(ZOETRA_CLI_PATH) + " " + arguments + (errors == CliStderr::Merge ? " 2>&1" : " 2>/dev/null");
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe)
        return run;
    char buf[4096];
    std::size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, pipe)) > 0)
        run.out.append(buf, n);
    const int status = pclose(pipe);
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}
