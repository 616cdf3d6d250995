#pragma once
// Finding resource files. A name is looked up below each search path in turn; a relative search
// path is tried against the executable's folder first, then against the working folder. The
// list starts with "" (those two folders themselves).

#include <string>
#include <vector>

namespace cocos2d {

class FileUtils {
public:
    static FileUtils* getInstance();

    // Appended to the list, or put first when `front`.
    void addSearchPath(const std::string& path, bool front = false);
    void setSearchPaths(const std::vector<std::string>& paths);
    const std::vector<std::string>& getSearchPaths() const { return _searchPaths; }

    // The first existing file for the name, or "" (logged) if there is none. An absolute name
    // is taken as it is.
    std::string fullPathForFilename(const std::string& filename) const;
    bool isFileExist(const std::string& filename) const;

    // Tests only (not in cocos2d-x): the folder relative search paths are tried against first,
    // standing for the executable's.
    void setExecutableFolder(const std::string& folder) { _executableFolder = folder; }

private:
    FileUtils();
    std::vector<std::string> candidates(const std::string& filename) const;
    std::vector<std::string> _searchPaths;
    std::string _executableFolder;
};

} // namespace cocos2d
