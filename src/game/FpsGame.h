// The game object: owns what lives for the whole game (sound, the found artefacts, the death
// burst, the level objects, the enemies), alternates between the star map and the planet
// view, and receives the messages that change the game's course: resume, exit, player hit.
#pragma once

#include <cstdint>
#include <string>

#include "core/MessageReceiver.h"

struct SDL_Window;
class ArtefactManager;
class EnemyManager;
class LevelObjectManager;
class ParticleSystem;
class SoundSystem;

// The level file of the planet the star map chose; the planet view reads it.
extern std::string playLevelPath;

// The game loop's states; each view returns the next one.
enum view_state : int {
    VIEW_STATE_PLANET = 0,
    VIEW_STATE_STAR_MAP = 1,
    VIEW_STATE_END = 2,
    // A view could not be set up: the game ends as a failure.
    VIEW_STATE_FAILED = 3,
};

class FpsGame : public MessageReceiver {
public:
    FpsGame();
    ~FpsGame() override;
    FpsGame(const FpsGame&) = delete;
    FpsGame& operator=(const FpsGame&) = delete;

    // Runs the game on the calling thread; the result becomes the exit status: 1 when a
    // long-lived object or a view fails to set up, 128 plus the signal's number when a stop
    // signal ended it, else 0.
    int gameLoop(SDL_Window* window);
    // Creates the long-lived objects in their order; false after the failing one's line.
    bool setup();

    void handleMessage(Message message, MessagePayload* payload) override;
    const char* whoIsThere() override;

    // The star map: VIEW_STATE_PLANET once a planet is launched, VIEW_STATE_FAILED when it
    // cannot be set up, else VIEW_STATE_END.
    int viewStarSystem(std::string systemFile, SDL_Window* window, bool allArtefactsFound);
    // The planet view: VIEW_STATE_STAR_MAP after a take-off, VIEW_STATE_FAILED when it
    // cannot be set up, else VIEW_STATE_END.
    int playLevel(std::string levelFile, SDL_Window* window);

    int getLives() const { return lives; }
    // The planet view restores 5 at a respawn and marks the dead with -1.
    void setLives(int value) { lives = value; }
    bool isExitRequested() const { return exitRequested; }
    bool isResumeRequested() const { return resumeRequested; }
    ArtefactManager* getArtefactManager() { return artefactManager; }
    EnemyManager* getEnemyManager() { return enemyManager; }
    SoundSystem* getSoundSystem() { return soundSystem; }

private:
    // The views read and clear the flags and use the long-lived objects in place.
    friend class StarMapView;
    friend class PlanetView;

    bool resumeRequested = false;
    bool exitRequested = false;
    int32_t lives = 5;
    SoundSystem* soundSystem = nullptr;
    LevelObjectManager* levelObjectManager = nullptr;
    EnemyManager* enemyManager = nullptr;
    ArtefactManager* artefactManager = nullptr;
    ParticleSystem* deathParticleSystem = nullptr;
};
