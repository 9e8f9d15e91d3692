#include "game/FpsGame.h"

#include <GL/glew.h>
#include <SDL2/SDL.h>

#include "core/Log.h"
#include "core/MailBox.h"
#include "core/StopSignal.h"
#include "game/ArtefactManager.h"
#include "game/EnemyManager.h"
#include "game/FrameInput.h"
#include "game/LevelObjectManager.h"
#include "game/PlanetView.h"
#include "game/StarMapView.h"
#include "render/ParticleSystem.h"
#include "sound/SoundSystem.h"

std::string playLevelPath = "levels/system_1/s1p3.json";

namespace {
const char* const kSolarSystemFile = "levels/system_1/s1.json";
const int kArtefactsInGame = 9;
// A game ended by a signal is neither a success nor a failed start: it exits as a shell
// reports a process killed by that signal.
const int kSignalStatusBase = 128;

// Hands the frame to the driver, then shows it. The swap alone would do on a window, but a
// driver that draws off screen may swap nothing, and a driver left unflushed keeps every
// frame's commands.
void showFrame(SDL_Window* window) {
    glFlush();
    SDL_GL_SwapWindow(window);
}
}  // namespace

FpsGame::FpsGame() {
    MailBox* mailBox = MailBox::getInstance();
    mailBox->registerReceiver(this, MESSAGE_EXIT_GAME);
    mailBox->registerReceiver(this, MESSAGE_PLAY_BUTTON_CLICKED);
    mailBox->registerReceiver(this, MESSAGE_PLAYER_HIT);
}

FpsGame::~FpsGame() {
    // A deleted receiver left registered would be called through a dangling pointer, and
    // would shadow any later game object, since the first registration wins.
    MailBox::getInstance()->removeReceiver(this);
    delete enemyManager;
    enemyManager = nullptr;
    delete levelObjectManager;
    levelObjectManager = nullptr;
    delete deathParticleSystem;
    deathParticleSystem = nullptr;
    delete artefactManager;
    artefactManager = nullptr;
    delete soundSystem;
    soundSystem = nullptr;
}

bool FpsGame::setup() {
    // Each object is stored before its set-up, so the destructor also frees a failed one.
    soundSystem = new SoundSystem(true);
    if (!soundSystem->setup()) {
        LOG_ERROR("Failed to initialize sound system");
        return false;
    }
    artefactManager = new ArtefactManager(kArtefactsInGame);
    deathParticleSystem = new ParticleSystem("particlesystems/death.json", false);
    if (!deathParticleSystem->setup()) {
        LOG_ERROR("Failed to setup death particle system");
        return false;
    }
    levelObjectManager = new LevelObjectManager();
    if (!levelObjectManager->setup()) {
        LOG_ERROR("Failed to setup level object manager");
        return false;
    }
    enemyManager = new EnemyManager();
    if (!enemyManager->setup()) {
        LOG_ERROR("Failed to setup enemy manager");
        return false;
    }
    return true;
}

int FpsGame::gameLoop(SDL_Window* window) {
    if (!setup()) {
        return 1;
    }
    int state = VIEW_STATE_STAR_MAP;
    while (true) {
        // Looked at before each view, so that a signal caught while one ends starts no other.
        const int signal = stop_signal();
        if (signal != 0) {
            return kSignalStatusBase + signal;
        }
        switch (state) {
            case VIEW_STATE_PLANET: state = playLevel(playLevelPath, window); break;
            case VIEW_STATE_STAR_MAP:
                state = viewStarSystem(kSolarSystemFile, window, artefactManager->allArtefactsFound());
                break;
            case VIEW_STATE_FAILED: return 1;
            default: return 0;
        }
    }
}

void FpsGame::handleMessage(Message message, MessagePayload* /*payload*/) {
    switch (message) {
        case MESSAGE_PLAY_BUTTON_CLICKED: resumeRequested = true; break;
        case MESSAGE_EXIT_GAME: exitRequested = true; break;
        case MESSAGE_PLAYER_HIT:
            // The planet view marks the dead with -1: hits never take lives below 0.
            if (lives > 0) {
                --lives;
            }
            break;
        default: break;
    }
}

const char* FpsGame::whoIsThere() {
    return "FpsGame";
}

int FpsGame::viewStarSystem(std::string systemFile, SDL_Window* window, bool allArtefactsFound) {
    StarMapView view(this, std::move(systemFile), allArtefactsFound);
    if (!view.setup()) {
        return VIEW_STATE_FAILED;
    }
    view.begin(SDL_GetTicks());
    FrameInput input;
    // The window's close request is ignored on purpose: the game ends through its exit button
    // or a stop signal.
    while (!exitRequested && stop_signal() == 0) {
        read_frame_input(&input);
        if (!view.frame(input)) {
            break;
        }
        showFrame(window);
    }
    return view.end();
}

int FpsGame::playLevel(std::string levelFile, SDL_Window* window) {
    PlanetView view(this, std::move(levelFile));
    if (!view.setup()) {
        return VIEW_STATE_FAILED;
    }
    view.begin(SDL_GetTicks());
    FrameInput input;
    // Tested after each frame: the frame in which the rocket has gone is still drawn.
    do {
        read_frame_input(&input);
        view.frame(input);
        showFrame(window);
    } while (!exitRequested && stop_signal() == 0);
    return view.end();
}
