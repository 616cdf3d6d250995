// A text field: its focus, typing whole characters, its mask, touch area and drawing.

#include "TestSupport.h"

#include <SDL.h>

USING_NS_CC;
using UITextFieldTest = WidgetTest;

TEST_F(UITextFieldTest, ATextFieldTakesTheFocusOnATouchOrFromTheProgramAndTypedTextEvenWhenEmpty) {
    ui::TextField* name = field("user name", Vec2(150, 200));
    ui::TextField* secret = field("password", Vec2(150, 100));
    secret->setPasswordEnabled(true);
    h.runScene(scene);
    h.type("lost"); // nothing has the focus yet
    h.tap(name);
    SDL_Event e{}; // text and keys as the window delivers them
    e.type = SDL_TEXTINPUT;
    SDL_strlcpy(e.text.text, "Jö", sizeof e.text.text);
    h.view()->handleEvent(e);
    h.type("rg");
    EXPECT_EQ(name->getString(), "Jörg");
    h.backspace();
    e = SDL_Event{};
    e.type = SDL_KEYDOWN;
    e.key.keysym.sym = SDLK_BACKSPACE;
    h.view()->handleEvent(e);
    h.backspace();
    EXPECT_EQ(name->getString(), "J"); // the two bytes of ö went together

    h.tap(secret);
    h.type("pässwörd");
    EXPECT_EQ(EngineHarness::textOf(secret), "********");
    h.touch(Vec2(350, 20)); // elsewhere: the focus goes
    h.type("x");
    EXPECT_EQ(secret->getString(), "pässwörd");
    EXPECT_EQ(name->getString(), "J");
    secret->setString("");
    EXPECT_EQ(EngineHarness::textOf(secret), "password");

    // With neither text nor placeholder a field still has a box a player can touch, off its
    // middle too, where a player aims at a box that size.
    ui::TextField* bare = field("", Vec2(300, 250));
    h.touch(Vec2(330, 260));
    h.type("x");
    EXPECT_EQ(bare->getString(), "x");
    h.backspace(); // empty again: the same box
    h.tap(name);
    h.touch(Vec2(270, 240));
    h.type("y");
    EXPECT_EQ(bare->getString(), "y");

    // The program moves the focus as a touch would, and takes it away.
    name->attachWithIME();
    h.type("1");
    secret->attachWithIME();
    h.type("2");
    EXPECT_FALSE(name->isFocused());
    secret->detachWithIME();
    h.type("3");
    EXPECT_EQ(name->getString() + secret->getString(), "J12");
    EXPECT_FALSE(secret->isFocused());
}

TEST_F(UITextFieldTest, ATextFieldsTouchAreaSitsOnItsAnchorAndTakesTheFocus) {
    // Both fields' 200 x 40 areas cover x 100..300, y 80..120 of the scene.
    for (const Vec2 anchor : {Vec2(0, 0.5f), Vec2(0.5f, 0.5f)}) {
        ui::TextField* f = field("", Vec2(100 + 200 * anchor.x, 100));
        f->setAnchorPoint(anchor);
        f->setTouchSize(Size(200, 40));
        f->setTouchAreaEnabled(true);
        h.runScene(scene);
        const std::pair<Vec2, bool> touches[] = {
            {Vec2(101, 81), true},   {Vec2(299, 119), true},  {Vec2(95, 100), false},
            {Vec2(305, 100), false}, {Vec2(200, 125), false}, {Vec2(200, 75), false},
        };
        for (const auto& [at, inside] : touches) {
            h.touch(at);
            EXPECT_EQ(f->isFocused(), inside) << anchor.x << ": " << at.x << ", " << at.y;
        }
        f->removeFromParent();
    }
}

TEST_F(UITextFieldTest, ATextFieldDrawsItsTextAMarginInAndACaretWhileFocused) {
    auto* field = ui::TextField::create("", "Arial", 30);
    field->setColor(Color3B::RED);
    field->setAnchorPoint(Vec2(0, 0.5f));
    field->setPosition(Vec2(40, 100));
    field->setString("MMMM");
    scene->addChild(field);
    h.runScene(scene);
    EXPECT_EQ(redInk(h, 40, 48, 90, 110), 0); // 0.3 font sizes of margin
    EXPECT_GT(redInk(h, 48, 80, 90, 110), 10);
    const float end = 40 + field->getContentSize().width;
    EXPECT_EQ(redInk(h, end, end + 6, 90, 110), 0);
    h.touch(Vec2(60, 100));
    EXPECT_GT(redInk(h, end, end + 6, 90, 110), 5);
    h.touch(Vec2(150, 180)); // elsewhere: the focus goes, and the caret with it
    EXPECT_EQ(redInk(h, end, end + 6, 90, 110), 0);
}
