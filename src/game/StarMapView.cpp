#include "game/StarMapView.h"

#include <GL/glew.h>

#include "core/Log.h"
#include "core/Utils.h"
#include "game/FpsGame.h"
#include "game/Hud.h"
#include "game/SolarSystem.h"
#include "game/SolarSystemCamera.h"
#include "sound/SoundSystem.h"

namespace {
const glm::vec3 kCameraStart(0.0f, -100.0f, 100.0f);
const char* const kMusic = "sounds/background_2.wav";
const char* const kFinalMusic = "sounds/background_7.wav";

// SDL numbers the mouse buttons from 1; a number past the mask's width counts as none.
uint32_t mouseButtonBit(uint8_t button) {
    return button < 32 ? 1u << button : 0u;
}
}  // namespace

StarMapView::StarMapView(FpsGame* game, std::string systemFile, bool allArtefactsFound)
    : game(game), systemFile(std::move(systemFile)), allArtefactsFound(allArtefactsFound) {}

StarMapView::~StarMapView() {
    delete camera;
    delete solarSystem;
    delete hud;
    if (cursor != nullptr) {
        SDL_FreeCursor(cursor);
    }
}

bool StarMapView::setup() {
    game->soundSystem->stopContinousSound();
    game->soundSystem->startContinousSound(allArtefactsFound ? kFinalMusic : kMusic);
    hud = new Hud(HUD_STATE_STAR_MAP);
    if (!hud->setup()) {
        LOG_ERROR("Failed to setup HUD");
        return false;
    }
    solarSystem = new SolarSystem(systemFile, hud, game->artefactManager);
    if (!solarSystem->setup()) {
        LOG_ERROR("Failed to initialize solar system");
        return false;
    }
    camera =
        new SolarSystemCamera(kCameraStart, glm::vec3(0.0f), glm::vec3(0.0f, 0.0f, 1.0f), kWindowWidth, kWindowHeight);
    return true;
}

void StarMapView::begin(uint32_t ticks) {
    game->exitRequested = false;
    SDL_StartTextInput();
    glGetError();
    last = static_cast<float>(ticks);
    SDL_SetRelativeMouseMode(SDL_FALSE);
    cursor = SDL_CreateSystemCursor(SDL_SYSTEM_CURSOR_CROSSHAIR);
    SDL_SetCursor(cursor);
    SDL_ShowCursor(SDL_ENABLE);
    begun = true;
    if (allArtefactsFound) {
        hud->setState(HUD_STATE_ALL_FOUND);
    }
}

bool StarMapView::frame(const FrameInput& input) {
    const auto now = static_cast<float>(input.ticks);
    mouse = glm::vec2(static_cast<float>(input.mouseX), static_cast<float>(input.mouseY));
    dt = (now - last) / 1000.0f;
    dragDelta = glm::vec2(0.0f);
    clicked = false;
    pressedThisFrame = 0;

    for (const SDL_Event& event : input.events) {
        handleEvent(event);
    }
    if (game->resumeRequested) {
        hud->setState(solarSystem->getSelectedPlanetName().empty() ? HUD_STATE_STAR_MAP : HUD_STATE_PLANET_SELECTED);
        game->resumeRequested = false;
        dt = 0.0f;
        paused = false;
    }
    // The next frame's drag is measured from here.
    if (dragging) {
        dragStart = mouse;
    }
    // The buttons shown act on a click over them and send their messages from inside the
    // update: explore launches below.
    const int hudY = kWindowHeight - input.mouseY;
    if (clicked && hud->isOverShownButton(input.mouseX, hudY)) {
        heldByHud |= pressedThisFrame;
    }
    hud->update(dt, input.mouseX, hudY, clicked);
    if (!paused) {
        selected = solarSystem->update(dt, dragDelta.x, dragDelta.y);
        camera->update(dt);
    }
    // The launch frame is not drawn.
    if (!selected.empty()) {
        return false;
    }
    draw();
    last = now;
    return true;
}

void StarMapView::handleEvent(const SDL_Event& event) {
    switch (event.type) {
        case SDL_MOUSEBUTTONUP: {
            // The cursor mirrored through the window's centre: screen_to_world mirrors it back.
            const glm::vec2 mirrored(kWindowWidth - mouse.x, kWindowHeight - mouse.y);
            glm::vec3 ground = screen_to_world(mirrored, *camera->getPerspectiveMatrix(), camera->getViewMatrix());
            glm::vec2 screen(mouse.x, kWindowHeight - mouse.y);
            const bool hudsClick = releaseBelongsToHud(event.button.button, screen);
            if (hud->getState() != HUD_STATE_ALL_FOUND && !hudsClick) {
                solarSystem->mouseClick(event.button.button == SDL_BUTTON_LEFT, ground, screen, camera);
            }
            dragging = false;
            break;
        }
        case SDL_MOUSEBUTTONDOWN:
            // A new click: whether the HUD takes it is known once the HUD has been updated.
            pressedThisFrame |= mouseButtonBit(event.button.button);
            heldByHud &= ~mouseButtonBit(event.button.button);
            dragStart = mouse;
            dragging = true;
            clicked = true;
            break;
        case SDL_MOUSEMOTION:
            // The cursor is the one of the frame's start, so every motion event of a frame
            // pans by the same delta once more.
            if (dragging) {
                const glm::vec2 delta = mouse - dragStart;
                camera->setOffset(delta);
                dragDelta = delta;
            }
            break;
        case SDL_KEYUP:
            // Keys act on release; the final screen has no pause menu.
            if (event.key.keysym.sym == SDLK_ESCAPE && hud->getState() != HUD_STATE_ALL_FOUND) {
                paused = true;
                hud->setState(HUD_STATE_PAUSE_MENU);
            }
            break;
        case SDL_MOUSEWHEEL:
            if (!paused) {
                if (event.wheel.y > 0) {
                    camera->zoomIn();
                } else if (event.wheel.y < 0) {
                    camera->zoomOut();
                }
            }
            break;
        default:
            // The window's close request included: the game ends through its exit button or a
            // stop signal.
            break;
    }
}

bool StarMapView::releaseBelongsToHud(uint8_t button, const glm::vec2& screen) {
    const uint32_t bit = mouseButtonBit(button);
    // PLAY and EXPLORE act on the press and change what the window shows, and a person's click
    // lasts several frames: the release of a click they took must not pick the planet under
    // them, nor one that the click's drag ends over. Any other release picks.
    if ((heldByHud & bit) != 0) {
        heldByHud &= ~bit;
        return true;
    }
    // Pressed in this very frame, before the HUD has seen the press: it will take it when the
    // cursor stands on a button it shows.
    if ((pressedThisFrame & bit) != 0) {
        pressedThisFrame &= ~bit;
        return hud->isOverShownButton(static_cast<int>(screen.x), static_cast<int>(screen.y));
    }
    return false;
}

void StarMapView::draw() {
    glClearColor(1.0f, 0.2f, 0.2f, 1.0f);
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_POLYGON_SMOOTH);
    glEnable(GL_PROGRAM_POINT_SIZE);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    solarSystem->render(camera);
    hud->render(camera, false, false);
}

int StarMapView::end() {
    if (begun) {
        SDL_StopTextInput();
    }
    if (cursor != nullptr) {
        SDL_FreeCursor(cursor);
        cursor = nullptr;
    }
    delete camera;
    camera = nullptr;
    delete solarSystem;
    solarSystem = nullptr;
    delete hud;
    hud = nullptr;
    playLevelPath = selected;
    return selected.empty() ? VIEW_STATE_END : VIEW_STATE_PLANET;
}
