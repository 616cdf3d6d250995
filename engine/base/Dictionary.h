#pragma once
// Property-list dictionaries of strings, as the text table is stored: a plist XML file whose
// top-level <dict> maps <key> to <string> (numbers are kept as their text). Other values are
// skipped.

#include "base/Ref.h"

#include <map>
#include <string>

namespace cocos2d {

class __String : public Ref {
public:
    static __String* create(const std::string& text);
    const char* getCString() const { return _string.c_str(); }
    size_t length() const { return _string.size(); }

private:
    explicit __String(const std::string& text) : _string(text) {}
    std::string _string;
};

class __Dictionary : public Ref {
public:
    static __Dictionary* create();
    // Empty, with one line logged, when the file is missing or is not a plist dictionary.
    static __Dictionary* createWithContentsOfFile(const char* path);
    ~__Dictionary() override;

    void setObject(Ref* object, const std::string& key);
    // Null when the key is missing.
    Ref* objectForKey(const std::string& key) const;
    // The string under the key; an empty string when the key is missing or not a string.
    const __String* valueForKey(const std::string& key) const;
    unsigned int count() const { return static_cast<unsigned int>(_objects.size()); }

private:
    __Dictionary() = default;
    std::map<std::string, Ref*> _objects; // each retained
};

} // namespace cocos2d
