// The places --windows looks up, each read from the environment when it is asked for.
#include "console/drivers/wine_paths.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>

std::string WindowsBuildFolder() {
    const char* setDir = std::getenv("TORVANE_WINDOWS_BUILD");
    return setDir != nullptr && setDir[0] != 0 ? setDir
                                               : std::string(TORVANE_SOURCE_DIR) + "/build/windows";
}

std::string WinePrefixPath() {
    const char* setPrefix = std::getenv("TORVANE_WINE_PREFIX");
    return setPrefix != nullptr && setPrefix[0] != 0
               ? setPrefix
               : WindowsBuildFolder() + "/console-wine-prefix";
}

std::string FindProgram(const std::vector<std::string>& names) {
    const char* path = std::getenv("PATH");
    std::string dirs = path != nullptr ? path : "/usr/bin:/bin";
    for (const auto& name : names) {
        size_t start = 0;
        while (start <= dirs.size()) {
            size_t end = dirs.find(':', start);
            if (end == std::string::npos) end = dirs.size();
            std::string candidate = dirs.substr(start, end - start) + "/" + name;
            if (access(candidate.c_str(), X_OK) == 0) return candidate;
            start = end + 1;
        }
    }
    return "";
}

bool PathExists(const std::string& path) {
    struct stat info {};
    return stat(path.c_str(), &info) == 0;
}
