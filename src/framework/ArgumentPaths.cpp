#include "ArgumentPaths.h"

#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <string_view>

namespace {

// The path with every link and "." or ".." resolved; empty where it cannot be.
std::string ResolvedPath(const std::string& path)
{
    char* resolved = ::realpath(path.c_str(), nullptr);
    if (!resolved)
        return {};
    std::string result(resolved);
    std::free(resolved);
    return result;
}

} // namespace

std::vector<std::string> ArgumentPaths::Of(int argc, char** argv)
{
    std::vector<std::string> paths;
    const std::string workingFolder = WorkingFolder();
    for (int i = 1; i < argc; ++i)
        paths.push_back(FullPath(argv[i], workingFolder));
    return paths;
}

std::string ArgumentPaths::WorkingFolder()
{
    std::vector<char> buffer(4096);
    while (!::getcwd(buffer.data(), buffer.size())) {
        if (errno != ERANGE)
            return {};
        buffer.resize(buffer.size() * 2);
    }
    return buffer.data();
}

std::string ArgumentPaths::FullPath(const std::string& argument, const std::string& workingFolder)
{
    if (argument.empty())
        return argument;
    const std::string path =
        argument.front() == '/' || workingFolder.empty() ? argument : workingFolder + '/' + argument;
    std::string_view trimmed = path;
    while (trimmed.size() > 1 && trimmed.back() == '/')
        trimmed.remove_suffix(1);
    const std::size_t slash = trimmed.rfind('/');
    const std::string_view last = slash == std::string_view::npos ? trimmed : trimmed.substr(slash + 1);
    if (last == "." || last == ".." || last.empty() || trimmed.size() != path.size()) {
        if (std::string resolved = ResolvedPath(path); !resolved.empty())
            return resolved;
    } else if (slash != std::string_view::npos) {
        const std::string folder = slash == 0 ? "/" : std::string(trimmed.substr(0, slash));
        if (std::string resolved = ResolvedPath(folder); !resolved.empty())
            return (resolved == "/" ? std::string() : resolved) + '/' + std::string(last);
    }
    return path;
}
