#pragma once
// The director listeners a scene layer registers name the layer as their owner; a layer's
// destructor takes back whatever is left, the safety net behind the removals each way out
// makes, so that no listener outlives its layer. Main thread only.

namespace scenes {

void forgetListeners(const void* layer);

} // namespace scenes
