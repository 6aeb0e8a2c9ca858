// zoetra-cli: the command-line front end of Zoetra.
//
// Exit status: 0 on success, 1 on a read or write error ("error: <message>" on standard
// error), 2 on wrong usage.

#include "cli/command.h"
#include "version.h"

#include <algorithm>
#include <cstdio>
#include <exception>
#include <string>
#include <vector>

std::vector<CliCommand>& cliCommands()
{
    static std::vector<CliCommand> commands;
    return commands;
}

int cliUsageError(const std::string& message)
{
    std::fprintf(stderr, "zoetra-cli: %s\nTry 'zoetra-cli --help'.\n", message.c_str());
    return 2;
}

namespace {

void printHelp()
{
    std::printf("Usage: zoetra-cli COMMAND [OPTIONS] [ARGUMENTS]\n"
                "\n"
                "Zoetra's command-line tool: the editor's GIF library and colour reduction without a display.\n"
                "\n"
                "Options:\n"
                "  --help       show this help and exit\n"
                "  --version    show the version and exit\n");
    auto commands = cliCommands();
    std::sort(commands.begin(), commands.end(),
              [](const CliCommand& a, const CliCommand& b) { return a.name < b.name; });
    if (!commands.empty())
        std::printf("\nCommands:\n");
    for (const auto& c : commands) {
        std::printf("  zoetra-cli %s\n", c.synopsis.c_str());
        std::string text = c.description;
        std::size_t start = 0;
        while (start < text.size()) {
            std::size_t end = text.find('\n', start);
            if (end == std::string::npos)
                end = text.size();
            std::printf("      %s\n", text.substr(start, end - start).c_str());
            start = end + 1;
        }
    }
    std::printf("\nExit status: 0 on success, 1 on a read or write error, 2 on wrong usage.\n");
}

} // namespace

int main(int argc, char** argv)
{
    std::vector<std::string> args(argv + 1, argv + argc);
    if (args.empty())
        return cliUsageError("no command given");
    const std::string command = args[0];
    if (command == "--help" || command == "-h" || command == "help") {
        printHelp();
        return 0;
    }
    if (command == "--version") {
        std::printf("zoetra-cli %s\n", ZOETRA_VERSION);
        return 0;
    }
    for (const auto& c : cliCommands()) {
        if (c.name != command)
            continue;
        try {
            return c.run(std::vector<std::string>(args.begin() + 1, args.end()));
        } catch (const std::exception& e) {
            std::fflush(stdout);
            std::fprintf(stderr, "error: %s\n", e.what());
            return 1;
        }
    }
    return cliUsageError("unknown command '" + command + "'");
}
