#include "Credentials.h"

#include "ResponseDataPack.h"
#include "cocos2d.h"

USING_NS_CC;

namespace scenes {

bool rememberCredentials(const ResponseDataPack& pack) {
    const auto name = pack.request ? pack.request->stringAt(0) : std::nullopt;
    const auto password = pack.context ? pack.context->stringAt(0) : std::nullopt;
    if (!name || !password) {
        return false;
    }
    UserDefault* store = UserDefault::getInstance();
    store->setStringForKey("username", *name);
    store->setStringForKey("password", *password);
    return true;
}

} // namespace scenes
