// Objects live while retained, in a tree or until the end of their frame; a node runs its
// callbacks and actions only in the running scene.

#include "TestSupport.h"

USING_NS_CC;

TEST(RefTest, AutoreleasedObjectsLiveUntilTheEndOfTheFrameUnlessRetainedOrInATree) {
    int destroyed = 0;
    EngineHarness h(Size(100, 100));
    Probe::make(&destroyed);
    Probe* parent = Probe::make(&destroyed);
    parent->retain();
    Probe* child = Probe::make(&destroyed);
    parent->addChild(child);
    child->addChild(Probe::make(&destroyed));
    EXPECT_EQ(destroyed, 0);
    h.frame();
    EXPECT_EQ(destroyed, 1); // only the loose one
    parent->release();
    EXPECT_EQ(destroyed, 4);
}

// Callbacks and actions of a node run only while it is in the running scene; removal without
// cleanup pauses them, removal with cleanup ends them for the whole branch.
TEST(NodeTest, ANodeRunsOnlyInTheRunningSceneAndCleanupEndsItsBranch) {
    EngineHarness h(Size(100, 100));
    auto* scene = Scene::create();
    h.runScene(scene);
    auto* branch = Node::create();
    auto* leaf = Node::create();
    branch->retain();
    branch->addChild(leaf);
    int calls = 0;
    leaf->schedule([&](float) { ++calls; }, 0, CC_REPEAT_FOREVER, 0, "tick");
    leaf->runAction(MoveTo::create(1, Vec2(60, 0)));
    h.advance(1);
    EXPECT_EQ(calls, 0);
    EXPECT_EQ(leaf->getPosition(), Vec2::ZERO);
    scene->addChild(branch);
    h.advance(0.5f);
    EXPECT_EQ(calls, 30);
    EXPECT_NEAR(leaf->getPosition().x, 30, 1e-3);
    branch->removeFromParentAndCleanup(false);
    h.frame(3);
    scene->addChild(branch);
    h.frame(3);
    EXPECT_EQ(calls, 33);
    EXPECT_NEAR(leaf->getPosition().x, 33, 1e-3);
    branch->removeFromParentAndCleanup(true);
    scene->addChild(branch); // back in the scene: nothing is left to resume
    branch->release();
    h.frame(5);
    EXPECT_EQ(calls, 33);
    EXPECT_NEAR(leaf->getPosition().x, 33, 1e-3);
}
