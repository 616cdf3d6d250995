#include "harness/EngineHarness.h"

#include <gtest/gtest.h>

USING_NS_CC;

namespace {
// A node that counts its destruction.
class Counted : public Node {
public:
    static Counted* make(int* destroyed) {
        auto* n = new Counted(destroyed);
        n->autorelease();
        return n;
    }
    ~Counted() override { ++*destroyed_; }

private:
    explicit Counted(int* destroyed) : destroyed_(destroyed) {}
    int* destroyed_;
};
} // namespace

TEST(RefTest, AutoreleasedObjectsLiveUntilTheEndOfTheFrameUnlessRetained) {
    int destroyed = 0;
    EngineHarness h(Size(100, 100));
    Counted* loose = Counted::make(&destroyed);
    Counted* kept = Counted::make(&destroyed);
    kept->retain();
    EXPECT_EQ(loose->getReferenceCount(), 1u);
    h.frame();
    EXPECT_EQ(destroyed, 1);
    EXPECT_EQ(kept->getReferenceCount(), 1u);
    kept->release();
    EXPECT_EQ(destroyed, 2);
}

TEST(RefTest, TheTreeOwnsItsChildren) {
    int destroyed = 0;
    EngineHarness h(Size(100, 100));
    Counted* parent = Counted::make(&destroyed);
    parent->retain();
    Counted* child = Counted::make(&destroyed);
    parent->addChild(child);
    child->addChild(Counted::make(&destroyed));
    h.frame(); // the pool lets go: only the tree holds the child and grandchild
    EXPECT_EQ(destroyed, 0);
    EXPECT_EQ(child->getParent(), parent);
    parent->release();
    EXPECT_EQ(destroyed, 3);
}

TEST(RefTest, RemovingWithCleanupStopsActionsAndCallbacksOfTheWholeBranch) {
    EngineHarness h(Size(100, 100));
    auto* scene = Scene::create();
    auto* branch = Node::create();
    auto* leaf = Node::create();
    branch->addChild(leaf);
    scene->addChild(branch);
    h.runScene(scene);
    int calls = 0;
    leaf->schedule([&](float) { ++calls; }, 0, CC_REPEAT_FOREVER, 0, "tick");
    leaf->runAction(MoveTo::create(10, Vec2(100, 0)));
    h.frame(2);
    EXPECT_EQ(calls, 2);
    branch->retain();
    branch->removeFromParentAndCleanup(true);
    EXPECT_EQ(leaf->getNumberOfRunningActions(), 0u);
    EXPECT_FALSE(leaf->isScheduled("tick"));
    scene->addChild(branch); // back in the scene: nothing was left to resume
    branch->release();
    const Vec2 at = leaf->getPosition();
    h.frame(5);
    EXPECT_EQ(calls, 2);
    EXPECT_EQ(leaf->getPosition(), at);
}

TEST(RefTest, RemovingWithoutCleanupPausesAndReAddingResumes) {
    EngineHarness h(Size(100, 100));
    auto* scene = Scene::create();
    auto* node = Node::create();
    scene->addChild(node);
    h.runScene(scene);
    int calls = 0;
    node->schedule([&](float) { ++calls; }, 0, CC_REPEAT_FOREVER, 0, "tick");
    node->retain();
    node->removeFromParentAndCleanup(false);
    h.frame(3);
    EXPECT_EQ(calls, 0); // not in the running scene: paused
    scene->addChild(node);
    node->release();
    h.frame(3);
    EXPECT_EQ(calls, 3);
}
