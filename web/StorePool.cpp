#include "StorePool.h"

#include "WebLog.h"

StorePool::Lease::~Lease() {
    if (store) {
        std::lock_guard<std::mutex> lock(pool.mutex);
        pool.idle.push_back(std::move(store));
    }
}

StorePool::Lease StorePool::lease(bool& missing) {
    missing = false;
    std::unique_ptr<WebStore> store;
    {
        std::lock_guard<std::mutex> lock(mutex);
        if (!idle.empty()) {
            store = std::move(idle.back());
            idle.pop_back();
        }
    }
    if (store && !store->stale()) {
        return Lease(*this, std::move(store));
    }
    std::string error;
    const WebStore::Opened opened = WebStore::open(path, store, error);
    missing = opened == WebStore::Opened::Missing;
    note(opened == WebStore::Opened::Failed ? "error: cannot read database " + path + ": " + error
         : missing                          ? "database " + path + " not there yet"
                                            : "reading database " + path);
    return Lease(*this, std::move(store));
}

void StorePool::note(const std::string& line) {
    std::lock_guard<std::mutex> lock(mutex);
    if (line != lastLine) {
        lastLine = line;
        webLog("%s", line.c_str());
    }
}
