#include "base/Dictionary.h"

#include "base/FileUtils.h"
#include "base/Log.h"

#include <cstring>
#include <new>
#include <pugixml.hpp>

namespace cocos2d {

__String* __String::create(const std::string& text) {
    auto* s = new (std::nothrow) __String(text);
    if (s) {
        s->autorelease();
    }
    return s;
}

__Dictionary* __Dictionary::create() {
    auto* d = new (std::nothrow) __Dictionary();
    if (d) {
        d->autorelease();
    }
    return d;
}

__Dictionary::~__Dictionary() {
    for (auto& kv : _objects) {
        kv.second->release();
    }
}

void __Dictionary::setObject(Ref* object, const std::string& key) {
    if (!object) {
        return;
    }
    object->retain();
    auto it = _objects.find(key);
    if (it != _objects.end()) {
        it->second->release();
        it->second = object;
    } else {
        _objects.emplace(key, object);
    }
}

Ref* __Dictionary::objectForKey(const std::string& key) const {
    auto it = _objects.find(key);
    return it == _objects.end() ? nullptr : it->second;
}

const __String* __Dictionary::valueForKey(const std::string& key) const {
    if (auto* s = dynamic_cast<const __String*>(objectForKey(key))) {
        return s;
    }
    return __String::create("");
}

__Dictionary* __Dictionary::createWithContentsOfFile(const char* path) {
    __Dictionary* result = create();
    const std::string full = FileUtils::getInstance()->fullPathForFilename(path ? path : "");
    if (full.empty()) {
        return result; // FileUtils has logged the missing file
    }
    pugi::xml_document doc;
    const pugi::xml_parse_result parsed = doc.load_file(full.c_str());
    pugi::xml_node dict = doc.child("plist").child("dict");
    if (!parsed || !dict) {
        engineLog("%s is not a property-list dictionary: an empty dictionary", full.c_str());
        return result;
    }
    std::string key;
    bool haveKey = false;
    for (pugi::xml_node n : dict.children()) {
        if (n.type() != pugi::node_element) {
            continue;
        }
        const char* name = n.name();
        if (std::strcmp(name, "key") == 0) {
            key = n.text().get();
            haveKey = true;
            continue;
        }
        if (haveKey && (std::strcmp(name, "string") == 0 || std::strcmp(name, "integer") == 0 ||
                        std::strcmp(name, "real") == 0)) {
            result->setObject(__String::create(n.text().get()), key);
        }
        haveKey = false; // a value of another kind is skipped with its key
    }
    return result;
}

} // namespace cocos2d
