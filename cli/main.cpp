// zoetra-cli: the command-line front end of Zoetra.
//
// Exit status: 0 on success, 1 on a read or write error ("error: <message>" on standard
// error), 2 on wrong usage.

#include "version.h"

#include <cstdio>
#include <cstring>
#include <exception>
#include <string>
#include <vector>

namespace {

const char* const kUsage =
    "Usage: zoetra-cli COMMAND [OPTIONS] [ARGUMENTS]\n"
    "\n"
    "Zoetra's command-line tool: the editor's GIF library and colour reduction without a display.\n"
    "\n"
    "Options:\n"
    "  --help       show this help and exit\n"
    "  --version    show the version and exit\n";

int usageError(const std::string& message)
{
    std::fprintf(stderr, "zoetra-cli: %s\nTry 'zoetra-cli --help'.\n", message.c_str());
    return 2;
}

} // namespace

int main(int argc, char** argv)
{
    std::vector<std::string> args(argv + 1, argv + argc);
    if (args.empty())
        return usageError("no command given");
    const std::string& command = args[0];
    if (command == "--help" || command == "-h" || command == "help") {
        std::fputs(kUsage, stdout);
        return 0;
    }
    if (command == "--version") {
        std::printf("zoetra-cli %s\n", ZOETRA_VERSION);
        return 0;
    }
    try {
        return usageError("unknown command '" + command + "'");
    } catch (const std::exception& e) {
        std::fprintf(stderr, "error: %s\n", e.what());
        return 1;
    }
}
