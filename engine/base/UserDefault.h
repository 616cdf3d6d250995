#pragma once
// The settings store: integer and string values by key, kept in memory and written to disk at
// every change (an XML file, replaced atomically, readable by its owner only, as it may hold a
// password). Its folder is the one SDL_GetPrefPath gives for the executable's name, unless a
// test points it elsewhere.

#include <map>
#include <string>

namespace cocos2d {

class UserDefault {
public:
    static UserDefault* getInstance();

    int getIntegerForKey(const char* key, int defaultValue = 0);
    void setIntegerForKey(const char* key, int value);
    std::string getStringForKey(const char* key, const std::string& defaultValue = "");
    void setStringForKey(const char* key, const std::string& value);
    // Writes the file; every set already does.
    bool flush();

    // Uses (and reads) the store in this folder from now on.
    static void setStorageDirectory(const std::string& folder);
    std::string getFilePath() const;

private:
    UserDefault() = default;
    void loadIfNeeded();
    void set(const char* key, const std::string& value);

    std::map<std::string, std::string> _values;
    std::string _folder;
    bool _loaded = false;
    bool _reportedWriteFailure = false;
};

} // namespace cocos2d
