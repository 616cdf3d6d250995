#pragma once
// What must hold of the client whatever a server sends, checked by the receive-path fuzzer
// after every step of an input. A broken one is told on standard error and aborts, so that
// libFuzzer keeps the input.

#include "ClientWorld.h"

namespace clientfuzz {

// Counts the texts each scene layer makes when it is built, the baseline of the label check.
// Once, before the first input.
void learnSceneTexts(ClientWorld& world);

// The held pushes within their bound; no more than one result picture; no scene layer with more
// texts than it makes plus the lines a game end adds; no shown text beyond what the scenes cut
// texts to.
void checkClient(ClientWorld& world);

} // namespace clientfuzz
