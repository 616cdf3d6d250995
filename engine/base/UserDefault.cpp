#include "base/UserDefault.h"

#include "base/Log.h"

#include <SDL_filesystem.h>
#include <SDL_stdinc.h>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <pugixml.hpp>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

namespace cocos2d {

namespace {
const char* const kFileName = "UserDefault.xml";

std::string executableName() {
    char buffer[4096];
    const ssize_t n = ::readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    if (n <= 0) {
        return "koralith";
    }
    buffer[n] = '\0';
    const char* slash = std::strrchr(buffer, '/');
    return slash ? slash + 1 : buffer;
}

std::string defaultFolder() {
    std::string folder;
    if (char* pref = SDL_GetPrefPath("", executableName().c_str())) {
        folder = pref;
        SDL_free(pref);
    }
    return folder;
}

bool writeAll(int fd, const std::string& data) {
    size_t done = 0;
    while (done < data.size()) {
        const ssize_t n = ::write(fd, data.data() + done, data.size() - done);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return false;
        }
        done += static_cast<size_t>(n);
    }
    return true;
}
} // namespace

UserDefault* UserDefault::getInstance() {
    static UserDefault instance;
    instance.loadIfNeeded();
    return &instance;
}

void UserDefault::setStorageDirectory(const std::string& folder) {
    UserDefault* self = getInstance();
    self->_folder = folder;
    self->_values.clear();
    self->_loaded = false;
    self->loadIfNeeded();
}

std::string UserDefault::getFilePath() const {
    if (_folder.empty()) {
        return "";
    }
    return _folder.back() == '/' ? _folder + kFileName : _folder + "/" + kFileName;
}

void UserDefault::loadIfNeeded() {
    if (_loaded) {
        return;
    }
    _loaded = true;
    if (_folder.empty()) {
        _folder = defaultFolder();
    }
    const std::string path = getFilePath();
    pugi::xml_document doc;
    if (path.empty() || !doc.load_file(path.c_str())) {
        return; // no store yet (or an unreadable one): start empty, the next write replaces it
    }
    for (pugi::xml_node entry : doc.child("userDefaultRoot").children("entry")) {
        _values[entry.attribute("key").value()] = entry.text().get();
    }
}

int UserDefault::getIntegerForKey(const char* key, int defaultValue) {
    auto it = _values.find(key);
    return it == _values.end() ? defaultValue : std::atoi(it->second.c_str());
}

void UserDefault::setIntegerForKey(const char* key, int value) {
    set(key, std::to_string(value));
}

std::string UserDefault::getStringForKey(const char* key, const std::string& defaultValue) {
    auto it = _values.find(key);
    return it == _values.end() ? defaultValue : it->second;
}

void UserDefault::setStringForKey(const char* key, const std::string& value) {
    set(key, value);
}

void UserDefault::set(const char* key, const std::string& value) {
    _values[key] = value;
    flush();
}

bool UserDefault::flush() {
    const std::string path = getFilePath();
    bool ok = !path.empty();
    if (ok) {
        pugi::xml_document doc;
        pugi::xml_node root = doc.append_child("userDefaultRoot");
        for (const auto& kv : _values) {
            pugi::xml_node entry = root.append_child("entry");
            entry.append_attribute("key") = kv.first.c_str();
            entry.text() = kv.second.c_str();
        }
        std::ostringstream text;
        doc.save(text);
        // Written beside the store and renamed over it: a crash never leaves half a file.
        const std::string temp = path + ".tmp";
        const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
        ok = fd >= 0;
        if (ok) {
            ok = ::fchmod(fd, 0600) == 0 && writeAll(fd, text.str()) && ::fsync(fd) == 0;
            ok = ::close(fd) == 0 && ok;
            ok = ok && std::rename(temp.c_str(), path.c_str()) == 0;
            if (!ok) {
                std::remove(temp.c_str());
            }
        }
    }
    if (!ok && !_reportedWriteFailure) {
        _reportedWriteFailure = true;
        engineLog("cannot write the settings file %s", path.c_str());
    }
    return ok;
}

} // namespace cocos2d
