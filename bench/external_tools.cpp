#include "bench/external_tools.h"

#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <memory>
#include <stdexcept>
#include <sys/wait.h>
#include <unistd.h>

bool toolAvailable(const std::string& program)
{
    const char* path = std::getenv("PATH");
    if (path == nullptr)
        return false;
    std::string dirs(path);
    std::size_t start = 0;
    while (start <= dirs.size()) {
        const std::size_t end = std::min(dirs.find(':', start), dirs.size());
        const std::string dir = dirs.substr(start, end - start);
        if (!dir.empty() && access((dir + "/" + program).c_str(), X_OK) == 0)
            return true;
        start = end + 1;
    }
    return false;
}

int runTool(const std::vector<std::string>& arguments)
{
    if (arguments.empty())
        return -1;
    std::vector<char*> argv;
    for (const std::string& a : arguments)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    const pid_t child = fork();
    if (child < 0)
        return -1;
    if (child == 0) {
        const int devnull = open("/dev/null", O_WRONLY);
        if (devnull >= 0) {
            dup2(devnull, STDOUT_FILENO);
            dup2(devnull, STDERR_FILENO);
        }
        execvp(argv[0], argv.data());
        _exit(127);
    }
    int status = 0;
    if (waitpid(child, &status, 0) != child)
        return -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

void writePpm(const std::filesystem::path& path, const Bitmap& bitmap)
{
    if (bitmap.pixelFormat() != pf24bit)
        throw std::runtime_error("writePpm: 24-bit bitmaps only");
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file << "P6\n" << bitmap.width() << " " << bitmap.height() << "\n255\n";
    std::vector<char> row(std::size_t(bitmap.width()) * 3);
    for (int y = 0; y < bitmap.height(); ++y) {
        const std::uint8_t* in = bitmap.scanLine(y);
        for (int x = 0; x < bitmap.width(); ++x) {
            row[std::size_t(3 * x)] = char(in[3 * x + 2]);
            row[std::size_t(3 * x + 1)] = char(in[3 * x + 1]);
            row[std::size_t(3 * x + 2)] = char(in[3 * x]);
        }
        file.write(row.data(), std::streamsize(row.size()));
    }
    if (!file.flush())
        throw std::runtime_error("cannot write " + path.string());
}

ScratchFolder::ScratchFolder()
{
    std::string pattern = (std::filesystem::temp_directory_path() / "zoetra-bench-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr)
        throw std::runtime_error("cannot make a temporary folder");
    path_ = pattern;
}

ScratchFolder::~ScratchFolder()
{
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}
