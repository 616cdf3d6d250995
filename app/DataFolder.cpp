#include "DataFolder.h"

#include <cstdlib>
#include <filesystem>
#include <system_error>

namespace {
std::string absoluteVariable(const char* name) {
    const char* value = std::getenv(name);
    return value && value[0] == '/' ? value : "";
}
} // namespace

std::string gameDataFolder() {
    std::string base = absoluteVariable("XDG_DATA_HOME");
    if (base.empty()) {
        const std::string home = absoluteVariable("HOME");
        if (home.empty()) {
            return "";
        }
        base = home + "/.local/share";
    }
    const std::filesystem::path folder = std::filesystem::path(base) / "koralith";
    std::error_code ec;
    if (std::filesystem::create_directories(folder, ec)) {
        std::filesystem::permissions(folder, std::filesystem::perms::owner_all, ec);
    }
    return std::filesystem::is_directory(folder, ec) ? folder.string() : "";
}
