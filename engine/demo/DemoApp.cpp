// A small scene in a real window, to see the engine on a display: a 400 x 708 window titled
// "Koralith" with a board, stones, texts, a text field and a button that ends the program.
//   koralith-engine-demo [--screenshot FILE] : with a file, saves the screen after 1 s and ends.

#include "cocos2d.h"
#include "ui/CocosGUI.h"

#include <SDL.h>
#include <SDL_image.h>
#include <cstdlib>
#include <cstring>
#include <string>
#include <unistd.h>

USING_NS_CC;

namespace {

// Pictures drawn here, since the demo ships none: a board with its grid, two stones, a button.
bool writePictures(const std::string& folder) {
    auto save = [&](SDL_Surface* s, const char* name) {
        const bool ok = s && IMG_SavePNG(s, (folder + "/" + name).c_str()) == 0;
        SDL_FreeSurface(s);
        return ok;
    };
    auto surface = [](int w, int h) {
        return SDL_CreateRGBSurfaceWithFormat(0, w, h, 32, SDL_PIXELFORMAT_RGBA32);
    };
    SDL_Surface* board = surface(512, 512);
    SDL_FillRect(board, nullptr, SDL_MapRGBA(board->format, 222, 184, 135, 255));
    for (int i = 0; i < 15; ++i) {
        // Picture rows grow downward; the grid is given from the bottom-left corner.
        const int column = 12 + static_cast<int>(34.8 * i);
        const int row = 512 - (15 + static_cast<int>(34.8 * i));
        SDL_Rect v{column - 1, 10, 2, 488};
        SDL_Rect h{12, row - 1, 488, 2};
        SDL_FillRect(board, &v, SDL_MapRGBA(board->format, 60, 40, 20, 255));
        SDL_FillRect(board, &h, SDL_MapRGBA(board->format, 60, 40, 20, 255));
    }
    auto stone = [&](Uint8 shade) {
        SDL_Surface* s = surface(30, 30);
        SDL_FillRect(s, nullptr, SDL_MapRGBA(s->format, 0, 0, 0, 0));
        for (int y = 0; y < 30; ++y) {
            for (int x = 0; x < 30; ++x) {
                const int dx = x - 15;
                const int dy = y - 15;
                if (dx * dx + dy * dy <= 14 * 14) {
                    SDL_Rect px{x, y, 1, 1};
                    SDL_FillRect(s, &px, SDL_MapRGBA(s->format, shade, shade, shade, 255));
                }
            }
        }
        return s;
    };
    SDL_Surface* button = surface(200, 70);
    SDL_FillRect(button, nullptr, SDL_MapRGBA(button->format, 70, 110, 160, 255));
    return save(board, "board.png") && save(stone(20), "black.png") &&
           save(stone(235), "white.png") && save(button, "button.png");
}

class DemoLayer : public LayerColor {
public:
    CREATE_FUNC(DemoLayer)

    bool init() override {
        if (!LayerColor::initWithColor(Color4B(139, 115, 85, 255))) {
            return false;
        }
        const Size size = Director::getInstance()->getOpenGLView()->getDesignResolutionSize();
        auto* board = Sprite::create("board.png");
        if (board) {
            board->setPosition(size.width / 2, size.height / 2);
            addChild(board);
            const int moves[][3] = {{7, 7, 1}, {8, 8, 2}, {6, 8, 1}, {8, 6, 2}, {5, 9, 1}};
            for (const auto& m : moves) {
                auto* stone = Sprite::create(m[2] == 1 ? "black.png" : "white.png");
                if (stone) {
                    stone->setPosition(12 + 34.8f * m[0], 15 + 34.8f * m[1]);
                    board->addChild(stone, 1);
                }
            }
        }
        auto* title = ui::Text::create("Koralith", "Arial", 48);
        title->setPosition(Vec2(size.width / 2, size.height - 80));
        addChild(title);
        auto* score = ui::Text::create(StringUtils::format("Score : %d", 48), "Arial", 30);
        score->setPosition(Vec2(score->getContentSize().width, score->getContentSize().height));
        addChild(score);
        auto* field = ui::TextField::create("type a name here", "Arial", 26);
        field->setAnchorPoint(Vec2(0, 0.5f));
        field->setPosition(Vec2(60, size.height - 160));
        addChild(field);
        auto* exit = ui::Button::create("button.png", "", "", ui::Widget::TextureResType::LOCAL);
        exit->setPosition(Vec2(size.width - 120, 120));
        exit->addTouchEventListener(this, toucheventselector(DemoLayer::onExitButton));
        addChild(exit);
        auto* label = ui::Text::create("exit", "Arial", 30);
        label->setPosition(exit->getPosition());
        addChild(label);
        return true;
    }

    void onExitButton(Ref*, ui::TouchEventType type) {
        if (type == ui::TOUCH_EVENT_ENDED) {
            Director::getInstance()->end();
        }
    }
};

class DemoApp : public Application {
public:
    DemoApp(std::string folder, std::string screenshot)
        : _folder(std::move(folder)), _screenshot(std::move(screenshot)) {}

    bool applicationDidFinishLaunching() override {
        Director* director = Director::getInstance();
        auto* view = GLViewImpl::createWithRect("Koralith", Rect(0, 0, 400, 708), 1.0f);
        if (!view) {
            return false;
        }
        director->setOpenGLView(view);
        const Size frame = view->getFrameSize();
        view->setDesignResolutionSize(576, 576 * frame.height / frame.width,
                                      ResolutionPolicy::SHOW_ALL);
        director->setAnimationInterval(1.0f / 60);
        FileUtils::getInstance()->addSearchPath(_folder);
        auto* scene = Scene::create();
        scene->addChild(DemoLayer::create());
        director->runWithScene(scene);
        if (!_screenshot.empty()) {
            director->getScheduler()->schedule(
                [this](float) {
                    Director* d = Director::getInstance();
                    std::printf("%s %s\n", d->saveFrame(_screenshot) ? "saved" : "could not save",
                                _screenshot.c_str());
                    d->end();
                },
                this, 0, 0, 1.0f, false, "screenshot");
        }
        return true;
    }
    void applicationDidEnterBackground() override { Director::getInstance()->stopAnimation(); }
    void applicationWillEnterForeground() override { Director::getInstance()->startAnimation(); }

private:
    std::string _folder;
    std::string _screenshot;
};

} // namespace

int main(int argc, char** argv) {
    std::string screenshot;
    for (int i = 1; i + 1 < argc; ++i) {
        if (std::strcmp(argv[i], "--screenshot") == 0) {
            screenshot = argv[i + 1];
        }
    }
    char folder[] = "/tmp/koralith-demo-XXXXXX";
    if (!mkdtemp(folder) || !writePictures(folder)) {
        std::fprintf(stderr, "cannot write the demo pictures\n");
        return 1;
    }
    int status = 0;
    {
        DemoApp app(folder, screenshot);
        status = Application::getInstance()->run();
    }
    for (const char* name : {"board.png", "black.png", "white.png", "button.png"}) {
        ::unlink((std::string(folder) + "/" + name).c_str());
    }
    ::rmdir(folder);
    SDL_Quit();
    return status;
}
