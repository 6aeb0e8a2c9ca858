#pragma once
// Subcommands of zoetra-cli. Each subcommand lives in its own file and registers itself with a
// static CommandRegistration, so main() needs no list of them.

#include <functional>
#include <string>
#include <vector>

struct CliCommand {
    std::string name;
    std::string synopsis;    // e.g. "info [--json] FILE"
    std::string description; // one or more lines for --help
    // Runs with the arguments after the command name; returns the exit status
    // (0 success, 1 read or write error, 2 wrong usage). Exceptions are reported by main()
    // as "error: <message>" with status 1.
    std::function<int(const std::vector<std::string>& args)> run;
};

std::vector<CliCommand>& cliCommands();

struct CommandRegistration {
    explicit CommandRegistration(CliCommand command) { cliCommands().push_back(std::move(command)); }
};

// Prints "zoetra-cli: <message>" and a hint to standard error; returns 2.
int cliUsageError(const std::string& message);
