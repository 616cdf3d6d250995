#include "Listeners.h"

#include "GBDirector.h"

namespace scenes {

void forgetListeners(const void* layer) {
    if (GBDirector* director = GBDirector::getInstance()) {
        director->removeListenersOf(layer);
    }
}

} // namespace scenes
