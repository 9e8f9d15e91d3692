// The planet view of one visit: the level with its rocket, the UFOs and their shots, the
// first-person camera and the HUD. The rocket lands with the camera watching it, then the
// player walks, looks, jumps, shoots, dies and respawns, picks up the crystal with G and
// boards the rocket with M; the view ends when the rocket has gone or through the pause
// menu's exit button. The game object's loop reads SDL into a FrameInput each frame, calls
// frame() and swaps.
#pragma once

#include <cstdint>
#include <string>

#include <SDL2/SDL.h>
#include <glm/glm.hpp>

#include "game/FrameInput.h"

class Camera;
class FpsGame;
class Hud;
class Level;
class ProjectileManager;

class PlanetView {
public:
    PlanetView(FpsGame* game, std::string levelFile);
    ~PlanetView();
    PlanetView(const PlanetView&) = delete;
    PlanetView& operator=(const PlanetView&) = delete;

    // Starts the music and builds the level, the projectiles, the UFOs, the camera and the
    // HUD. False after a line: the view then ends the game without running a frame.
    bool setup();
    // Opens the frame loop at ticks: clears the exit flag, captures the mouse, and starts
    // the landing with the camera watching the rocket.
    void begin(uint32_t ticks);
    // One frame: HUD feeds, keys, events, resume, scene update, death, HUD, drawing; the
    // caller swaps. The loop ends once the game's exit flag is set.
    void frame(const FrameInput& input);
    // Releases the view's objects. VIEW_STATE_STAR_MAP once a take-off has begun, else
    // VIEW_STATE_END.
    int end();

    // The HUD's frame-rate and location feeds. Their ring and timer are shared by every
    // visit: a new visit shows the old figures until the next update falls due.
    static void updateFps(float dt, Hud* hud);
    static void updateLoc(float dt, Hud* hud, float x, float y, float angle);

    bool isPaused() const { return paused; }
    bool hasTakenOff() const { return tookOff; }
    // What the level's update returned in the last frame; 0 while paused.
    int getLevelCode() const { return levelCode; }
    Hud* getHud() { return hud; }
    Level* getLevel() { return level; }
    Camera* getCamera() { return camera; }
    ProjectileManager* getProjectileManager() { return projectileManager; }

private:
    void readMovementKeys(const FrameInput& input);
    void playMovementSounds();
    void handleEvent(const SDL_Event& event);
    void handleKeyRelease(SDL_Keycode key);
    void shoot();
    void pickUpArtefact();
    void boardRocket();
    void watchRocket();
    void resume();
    void updateScene();
    void checkDeath();
    void draw();
    void play(int sound);

    FpsGame* game;
    std::string levelFile;
    Level* level = nullptr;
    ProjectileManager* projectileManager = nullptr;
    Camera* camera = nullptr;
    Hud* hud = nullptr;
    SDL_Cursor* cursor = nullptr;
    bool begun = false;

    float last = 0.0f;  // ticks of the previous frame
    float dt = 0.0f;
    float yaw = 180.0f;  // degrees
    float pitch = 0.0f;  // the view direction's z before normalisation, not clamped
    float forward = 0.0f;
    float strafe = 0.0f;
    bool run = false;
    bool jump = false;
    float footstepTimer = 0.0f;
    float jumpSoundTimer = 0.0f;
    bool paused = false;
    bool tookOff = false;
    bool clicked = false;
    glm::vec3 position = glm::vec3(0.0f);  // the eye before this frame's camera update
    int levelCode = 0;
};
