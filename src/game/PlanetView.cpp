#include "game/PlanetView.h"

#include <GL/glew.h>

#include <algorithm>
#include <cmath>

#include "core/Log.h"
#include "core/MathUtil.h"
#include "core/Utils.h"
#include "game/ArtefactManager.h"
#include "game/EnemyManager.h"
#include "game/FpsGame.h"
#include "game/Hud.h"
#include "game/Level.h"
#include "game/ProjectileManager.h"
#include "render/Camera.h"
#include "render/ParticleSystem.h"
#include "sound/SoundSystem.h"

namespace {
const char* const kMusic = "sounds/background_1.wav";
const glm::vec3 kCameraStart(0.0f, -10.0f, 0.0f);
const glm::vec3 kCameraTarget(0.0f, 0.0f, 1.0f);
const glm::vec3 kCameraUp(0.0f, 0.0f, 1.0f);
// Where the camera stands to watch the rocket land and take off.
const glm::vec3 kRocketWatchPoint(40.0f, 40.0f, 24.8f);
const float kStartYaw = 180.0f;  // towards the rocket from where the player starts
const double kDegreesToRadians = 0.017453292519943295;
const double kHalfPi = 1.5707963267948966;

const float kWalkSpeed = 5.0f;  // units per second; running doubles it
// Pixels of mouse motion per degree of heading (moving right turns right) and per unit of
// the view's height; moving the mouse down looks up.
const float kMouseTurnDivisor = -10.0f;
const float kMousePitchDivisor = 200.0f;
const float kEyeHeight = 0.0f;
// A footstep is due once its timer exceeds this less the frame's step: faster steps come
// closer together.
const float kFootstepPause = 0.5f;
const float kJumpSoundPause = 1.0f;
const int kFullLives = 5;

const int kFpsSamples = 10;
const unsigned int kFpsUpdateFrames = 60;
const float kLocationPause = 1.0f;
}  // namespace

PlanetView::PlanetView(FpsGame* game, std::string levelFile) : game(game), levelFile(std::move(levelFile)) {}

PlanetView::~PlanetView() {
    end();
}

bool PlanetView::setup() {
    game->soundSystem->stopContinousSound();
    game->soundSystem->startContinousSound(kMusic);
    // The level's set-up replaces the music just started with its own.
    level = new Level(levelFile, true);
    if (!level->setup(game->levelObjectManager)) {
        LOG_ERROR("Failed to load level");
        return false;
    }
    projectileManager = new ProjectileManager(level);
    if (!projectileManager->setup()) {
        LOG_ERROR("Failed to setup projectile manager");
        return false;
    }
    EnemyManager* enemies = game->enemyManager;
    enemies->reset();
    enemies->projectileManager = projectileManager;
    enemies->level = level;
    enemies->centre = level->artefactPosition;
    enemies->addEnemies();
    camera = new Camera(kCameraStart, kCameraTarget, kCameraUp, static_cast<float>(kWindowWidth),
                        static_cast<float>(kWindowHeight));
    hud = new Hud(HUD_STATE_PLAYING);
    if (!hud->setup()) {
        LOG_ERROR("Failed to setup HUD");
        return false;
    }
    return true;
}

void PlanetView::begin(uint32_t ticks) {
    game->exitRequested = false;
    SDL_StartTextInput();
    glGetError();
    last = static_cast<float>(ticks);
    SDL_SetRelativeMouseMode(SDL_TRUE);
    SDL_ShowCursor(SDL_DISABLE);
    cursor = SDL_CreateSystemCursor(SDL_SYSTEM_CURSOR_CROSSHAIR);
    SDL_SetCursor(cursor);
    begun = true;

    play(SOUND_TAKEOFF);
    level->land();
    watchRocket();

    yaw = kStartYaw;
    pitch = 0.0f;
    footstepTimer = 0.0f;
    jumpSoundTimer = 0.0f;
    paused = false;
    tookOff = false;
}

void PlanetView::frame(const FrameInput& input) {
    const auto now = static_cast<float>(input.ticks);
    dt = (now - last) / 1000.0f;
    updateFps(dt, hud);
    // Where the eye stood before this frame's step.
    const glm::vec3 eye = *camera->getPosition();
    updateLoc(dt, hud, eye.x, eye.y, camera->getViewXYAngle());
    readMovementKeys(input);
    if (hud->getState() == HUD_STATE_PLAYING) {
        playMovementSounds();
    }

    clicked = false;
    for (const SDL_Event& event : input.events) {
        handleEvent(event);
    }
    if (game->resumeRequested) {
        resume();
    }

    position = *camera->getPosition();
    levelCode = ROCKET_CODE_ON_FOOT;
    if (!paused) {
        updateScene();
    }
    // Also while paused: the pause menu does not hold the death back.
    checkDeath();
    hud->lives = game->lives;
    // The pause menu's buttons send their messages from inside this call.
    hud->update(dt, input.mouseX, kWindowHeight - input.mouseY, clicked);
    game->deathParticleSystem->update(dt);

    if (levelCode == ROCKET_CODE_GONE) {
        game->exitRequested = true;
    } else if (levelCode == ROCKET_CODE_LANDED) {
        camera->reset();
    }
    draw();
    last = now;
}

void PlanetView::updateFps(float dt, Hud* hud) {
    static float rates[kFpsSamples] = {};
    static int index = 0;
    static unsigned int frames = 0;
    // Two frames within one millisecond have no finite rate: such a frame still counts, but
    // leaves the ring as it was, so the mean stays a number.
    if (dt > 0.0f) {
        rates[index] = 1.0f / dt;
        index = (index + 1) % kFpsSamples;
    }
    ++frames;
    if (frames % kFpsUpdateFrames == 0) {
        float sum = 0.0f;
        for (float rate : rates) {
            sum += rate;
        }
        hud->setFPS(static_cast<unsigned int>(sum / static_cast<float>(kFpsSamples)));
    }
}

void PlanetView::updateLoc(float dt, Hud* hud, float x, float y, float angle) {
    static float timer = 0.0f;
    timer += dt;
    // The compass's picture points up at angle zero; the view's angle zero looks along +x.
    hud->setDirectionAngle(static_cast<float>(static_cast<double>(angle) - kHalfPi));
    if (timer > kLocationPause) {
        timer = 0.0f;
        hud->setLoc(x, y);
    }
}

void PlanetView::readMovementKeys(const FrameInput& input) {
    const float step = kWalkSpeed * dt;
    // A wins over D and W over S.
    if (input.isHeld(SDL_SCANCODE_A)) {
        strafe = -step;
    } else if (input.isHeld(SDL_SCANCODE_D)) {
        strafe = step;
    } else {
        strafe = 0.0f;
    }
    if (input.isHeld(SDL_SCANCODE_W)) {
        forward = step;
    } else if (input.isHeld(SDL_SCANCODE_S)) {
        forward = -step;
    } else {
        forward = 0.0f;
    }
    jump = input.isHeld(SDL_SCANCODE_SPACE);
    run = input.isHeld(SDL_SCANCODE_LSHIFT);
}

void PlanetView::playMovementSounds() {
    float speed = std::max(std::fabs(forward), std::fabs(strafe));
    if (run) {
        speed *= 2.0f;
    }
    footstepTimer += dt;
    jumpSoundTimer += dt;
    if (!camera->jumping) {
        // The timer runs on while standing still: the first step after a rest sounds at once.
        if (footstepTimer > kFootstepPause - speed && !MathUtil::fcmp(speed, 0.0f)) {
            play(level->getFootstepSound(*camera->getPosition()));
            footstepTimer = 0.0f;
        }
    } else if (jumpSoundTimer > kJumpSoundPause) {
        play(SOUND_JUMP);
        jumpSoundTimer = 0.0f;
    }
}

void PlanetView::handleEvent(const SDL_Event& event) {
    switch (event.type) {
        case SDL_MOUSEMOTION:
            if (!paused) {
                yaw += static_cast<float>(event.motion.xrel) / kMouseTurnDivisor;
                pitch += static_cast<float>(event.motion.yrel) / kMousePitchDivisor;
            }
            break;
        case SDL_MOUSEBUTTONDOWN:
            // A press always counts for the pause menu's buttons, but shoots only while playing
            // (also while the rocket lands or leaves, with the HUD hidden).
            clicked = true;
            if (hud->getState() == HUD_STATE_PLAYING) {
                shoot();
            }
            break;
        case SDL_KEYUP: handleKeyRelease(event.key.keysym.sym); break;
        default:
            // The window's close request included: the game ends through its exit button or a
            // stop signal.
            break;
    }
}

void PlanetView::handleKeyRelease(SDL_Keycode key) {
    switch (key) {
        case SDLK_ESCAPE:
            SDL_SetRelativeMouseMode(SDL_FALSE);
            SDL_ShowCursor(SDL_ENABLE);
            hud->setState(HUD_STATE_PAUSE_MENU);
            paused = true;
            break;
        case SDLK_SPACE:
            if (game->lives <= 0) {
                game->lives = kFullLives;
                hud->setState(HUD_STATE_PLAYING);
                camera->reset();
            }
            break;
        case SDLK_g: pickUpArtefact(); break;
        case SDLK_m: boardRocket(); break;
        default: break;
    }
}

void PlanetView::shoot() {
    game->enemyManager->mouseClick(*camera->getPosition(), *camera->getViewDirection(), level);
    hud->fire();
    play(SOUND_GUN_2);
}

// G and M act in every state, paused and dead included, on the level's facing flags.
void PlanetView::pickUpArtefact() {
    if (!level->facingArtefact) {
        play(SOUND_NEGATIVE);
        return;
    }
    play(SOUND_SUCCESS);
    level->artefactPresent = false;
    game->artefactManager->markArtefactFound(levelFile);
}

void PlanetView::boardRocket() {
    if (!level->facingRocket) {
        play(SOUND_NEGATIVE);
        return;
    }
    level->takeOff();
    play(SOUND_TAKEOFF);
    watchRocket();
    tookOff = true;
}

void PlanetView::watchRocket() {
    camera->followTarget = level->getFollowable();
    camera->position = kRocketWatchPoint;
}

void PlanetView::resume() {
    SDL_SetRelativeMouseMode(SDL_TRUE);
    SDL_ShowCursor(SDL_DISABLE);
    game->resumeRequested = false;
    hud->setState(game->lives <= 0 ? HUD_STATE_DEAD : HUD_STATE_PLAYING);
    // The time spent in the menu is not played.
    dt = 0.0f;
    paused = false;
}

void PlanetView::updateScene() {
    const float pace = run ? 2.0f : 1.0f;
    camera->update(static_cast<float>(yaw * kDegreesToRadians), pitch, forward * pace, strafe * pace, kEyeHeight, jump,
                   level, dt);
    // The level sees where the eye stood before the step, looking the new way.
    levelCode = level->update(dt, position, *camera->getViewDirection());
    // While the camera watches the rocket land or leave the player can neither move nor aim:
    // the UFOs leave the eye alone then, as they do the dead.
    const bool outOfReach = game->lives <= 0 || camera->followTarget != nullptr;
    game->enemyManager->update(dt, position, level, outOfReach);
    // A hit takes a life through the mail box from inside this call.
    projectileManager->update(dt, position);
}

void PlanetView::checkDeath() {
    // Exactly 0: the dead are marked with -1, so the death plays once.
    if (game->lives != 0) {
        return;
    }
    game->lives = -1;
    camera->setStaticRotateAroundCurrentPoint();
    hud->setState(HUD_STATE_DEAD);
    game->deathParticleSystem->activateOnce(position);
    play(SOUND_PLAYER_DEATH);
}

void PlanetView::draw() {
    glClearColor(1.0f, 0.2f, 0.2f, 1.0f);
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_POLYGON_SMOOTH);
    glEnable(GL_PROGRAM_POINT_SIZE);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    level->render(camera, position);
    // The level is most of the frame's pixels: handed over now, a renderer that rasterizes in
    // threads of its own, as the software one does, draws it while the fight's work below
    // (placing the shots, sending the saucers) goes on.
    glFlush();
    game->enemyManager->render(camera, level->skyboxLightPosition);
    projectileManager->render(camera);
    game->deathParticleSystem->render(camera);
    // Hidden while the rocket lands or leaves.
    if (levelCode == ROCKET_CODE_ON_FOOT) {
        hud->render(camera, level->facingRocket, level->facingArtefact);
    }
}

void PlanetView::play(int sound) {
    game->soundSystem->play(static_cast<game_sound>(sound), false);
}

int PlanetView::end() {
    if (begun) {
        SDL_StopTextInput();
        begun = false;
    }
    if (cursor != nullptr) {
        SDL_FreeCursor(cursor);
        cursor = nullptr;
    }
    delete camera;
    camera = nullptr;
    // The enemy manager outlives the visit: it must not keep the visit's objects.
    EnemyManager* enemies = game->enemyManager;
    if (enemies != nullptr && enemies->projectileManager == projectileManager) {
        enemies->projectileManager = nullptr;
        enemies->level = nullptr;
    }
    delete projectileManager;
    projectileManager = nullptr;
    delete level;
    level = nullptr;
    delete hud;
    hud = nullptr;
    return tookOff ? VIEW_STATE_STAR_MAP : VIEW_STATE_END;
}
