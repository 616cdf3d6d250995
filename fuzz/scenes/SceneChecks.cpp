// The receive-path fuzzer's checks of the client (see SceneChecks.h).
#include "SceneChecks.h"

#include "GBLoginScene.h"
#include "GBMatchScene.h"
#include "GBNetGame.h"
#include "GBRegistScene.h"
#include "HelloWorld.h"
#include "TextBounds.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <typeindex>
#include <utility>
#include <vector>

USING_NS_CC;

namespace clientfuzz {

namespace {

// The longest line a scene means to show is the menu's notice: a date of 10 characters, two
// blanks and 300 characters, each at most 4 bytes in UTF-8.
constexpr size_t kMaxShownBytes = 4 * (10 + 2 + scenes::kMaxNoticeCharacters);
// What a scene may add to what it builds, once: the network game's notice when the opponent
// left or a clock ran out, and under the latter the line saying whose clock it was.
constexpr size_t kAddedTexts = 2;

struct SceneTexts {
    std::type_index type;
    const char* name;
    size_t built; // texts the layer has when made
};
std::vector<SceneTexts> known;

[[noreturn]] void fail(const std::string& what) {
    std::fprintf(stderr, "client check failed: %s\n", what.c_str());
    std::abort();
}

void forEachNode(Node* node, void (*visit)(Node*, void*), void* context) {
    visit(node, context);
    for (Node* child : node->getChildren()) {
        forEachNode(child, visit, context);
    }
}

// The layer's own lines and notices: what a stream of pushes could pile up. The numbers on the
// stones are bounded by the board and not counted.
size_t textsIn(Node* layer) {
    size_t count = 0;
    for (Node* child : layer->getChildren()) {
        count += dynamic_cast<ui::Text*>(child) != nullptr;
    }
    return count;
}

// The scene the player sees: during a slide, the one sliding in.
Scene* shownScene(ClientWorld& world) {
    Scene* running = world.harness().director()->getRunningScene();
    if (auto* slide = dynamic_cast<TransitionScene*>(running)) {
        return slide->getInScene();
    }
    return running;
}

template <typename Layer>
void learn(Layer* layer, const char* name) {
    if (!layer) {
        fail(std::string("cannot make a ") + name + " to count its texts");
    }
    known.push_back({std::type_index(typeid(*layer)), name, textsIn(layer)});
}

void checkTextsOf(Node* layer) {
    for (const SceneTexts& scene : known) {
        if (scene.type == std::type_index(typeid(*layer))) {
            const size_t texts = textsIn(layer);
            if (texts > scene.built + kAddedTexts) {
                fail(std::to_string(texts) + " texts in " + scene.name + ", which builds " +
                     std::to_string(scene.built));
            }
            return;
        }
    }
    fail(std::string("a scene layer the checks do not know: ") + typeid(*layer).name());
}

// How far a bounded quantity has come, in steps, as coverage: each step is a branch of its own,
// so libFuzzer keeps an input that goes a step further and works its way towards the bound, of
// which nothing else in the code would tell it. One instance per quantity.
volatile size_t furthestStep[2];
template <int Quantity, size_t Step, size_t... Steps>
void stepsReached(size_t n, std::index_sequence<Steps...>) {
    ((n >= Step * (Steps + 1) ? void(furthestStep[Quantity] = Steps) : void()), ...);
}
template <int Quantity, size_t Step, size_t Bound>
void reached(size_t n) {
    stepsReached<Quantity, Step>(n, std::make_index_sequence<Bound / Step + 1>());
}

struct Shown {
    size_t resultPictures = 0;
    size_t longestText = 0;
};

void survey(Node* node, void* context) {
    auto* shown = static_cast<Shown*>(context);
    if (auto* text = dynamic_cast<ui::Text*>(node)) {
        shown->longestText = std::max(shown->longestText, text->getString().size());
    }
    if (auto* button = dynamic_cast<ui::Button*>(node)) {
        if (button->getNormalFile().rfind("images/gameover", 0) == 0) {
            ++shown->resultPictures;
        }
    }
}

} // namespace

void learnSceneTexts(ClientWorld& world) {
    world.begin(Start::MatchRoom);
    learn(HelloWorld::create(), "the menu");
    learn(GBLoginScene::create(), "the login scene");
    learn(GBRegistScene::create(), "the registration scene");
    learn(GBMatchScene::create(), "the match room");
    learn(GBNetGame::create(kMe, kThem), "the network game");
    world.end(); // the layers above were never shown: the end's frame frees them
}

void checkClient(ClientWorld& world) {
    const size_t held = world.director().heldCount();
    reached<0, 8, GBDirector::kMaxHeld>(held);
    if (held > GBDirector::kMaxHeld) {
        fail(std::to_string(held) + " pushes held");
    }
    Scene* scene = shownScene(world);
    if (!scene) {
        return;
    }
    for (Node* layer : scene->getChildren()) {
        checkTextsOf(layer);
    }
    Shown shown;
    forEachNode(scene, survey, &shown);
    reached<1, 64, kMaxShownBytes>(shown.longestText);
    if (shown.longestText > kMaxShownBytes) {
        fail("a text of " + std::to_string(shown.longestText) + " bytes shown");
    }
    if (shown.resultPictures > 1) {
        fail(std::to_string(shown.resultPictures) + " result pictures in one game");
    }
}

} // namespace clientfuzz
