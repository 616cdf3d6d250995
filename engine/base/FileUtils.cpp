#include "base/FileUtils.h"

#include "base/Log.h"

#include <SDL_filesystem.h>
#include <SDL_stdinc.h>
#include <sys/stat.h>
#include <unistd.h>

namespace cocos2d {

namespace {
bool isRegularFile(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

std::string joined(const std::string& folder, const std::string& name) {
    if (folder.empty()) {
        return name;
    }
    return folder.back() == '/' ? folder + name : folder + "/" + name;
}

std::string workingFolder() {
    char buffer[4096];
    return ::getcwd(buffer, sizeof buffer) ? std::string(buffer) : std::string();
}
} // namespace

FileUtils* FileUtils::getInstance() {
    static FileUtils instance;
    return &instance;
}

FileUtils::FileUtils() : _searchPaths{""} {
    if (char* base = SDL_GetBasePath()) {
        _executableFolder = base;
        SDL_free(base);
    }
}

void FileUtils::addSearchPath(const std::string& path, bool front) {
    if (front) {
        _searchPaths.insert(_searchPaths.begin(), path);
    } else {
        _searchPaths.push_back(path);
    }
}

void FileUtils::setSearchPaths(const std::vector<std::string>& paths) {
    _searchPaths = paths;
}

std::vector<std::string> FileUtils::candidates(const std::string& filename) const {
    if (!filename.empty() && filename[0] == '/') {
        return {filename};
    }
    std::vector<std::string> out;
    const std::string cwd = workingFolder();
    for (const std::string& search : _searchPaths) {
        const std::string relative = joined(search, filename);
        if (!search.empty() && search[0] == '/') {
            out.push_back(relative);
            continue;
        }
        if (!_executableFolder.empty()) {
            out.push_back(joined(_executableFolder, relative));
        }
        if (!cwd.empty()) {
            out.push_back(joined(cwd, relative));
        }
    }
    return out;
}

std::string FileUtils::fullPathForFilename(const std::string& filename) const {
    if (filename.empty()) {
        return "";
    }
    for (const std::string& path : candidates(filename)) {
        if (isRegularFile(path)) {
            return path;
        }
    }
    engineLog("no file found for %s", filename.c_str());
    return "";
}

bool FileUtils::isFileExist(const std::string& filename) const {
    for (const std::string& path : candidates(filename)) {
        if (isRegularFile(path)) {
            return true;
        }
    }
    return false;
}

} // namespace cocos2d
