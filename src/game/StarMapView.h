// The star map view of one visit: the solar system with its HUD and camera, panned by
// dragging, zoomed with the wheel, a planet picked by a left release and launched with the
// explore button; the pause menu, and the final screen once every artefact is found. The
// game object's loop reads SDL into a FrameInput each frame, calls frame() and swaps.
#pragma once

#include <cstdint>
#include <string>

#include <SDL2/SDL.h>
#include <glm/glm.hpp>

#include "game/FrameInput.h"

class FpsGame;
class Hud;
class SolarSystem;
class SolarSystemCamera;

class StarMapView {
public:
    StarMapView(FpsGame* game, std::string systemFile, bool allArtefactsFound);
    ~StarMapView();
    StarMapView(const StarMapView&) = delete;
    StarMapView& operator=(const StarMapView&) = delete;

    // Starts the music and builds the HUD, the solar system and the camera. False after a
    // line: the view then ends the game without running a frame.
    bool setup();
    // Opens the frame loop at ticks: clears the exit flag, shows the crosshair cursor, and
    // goes to the final screen when every artefact is found.
    void begin(uint32_t ticks);
    // One frame: events, resume, HUD, scene update, drawing. False when a planet was
    // launched: nothing was drawn and the loop ends. True when drawn (the caller swaps).
    bool frame(const FrameInput& input);
    // Releases the view's objects and stores the launched level file in playLevelPath.
    // VIEW_STATE_PLANET when a planet was launched, else VIEW_STATE_END.
    int end();

    bool isPaused() const { return paused; }
    Hud* getHud() { return hud; }
    SolarSystem* getSolarSystem() { return solarSystem; }
    SolarSystemCamera* getCamera() { return camera; }

private:
    void handleEvent(const SDL_Event& event);
    // Whether the release of this mouse button ends a click that a HUD button took.
    bool releaseBelongsToHud(uint8_t button, const glm::vec2& screen);
    void draw();

    FpsGame* game;
    std::string systemFile;
    bool allArtefactsFound;
    Hud* hud = nullptr;
    SolarSystem* solarSystem = nullptr;
    SolarSystemCamera* camera = nullptr;
    SDL_Cursor* cursor = nullptr;
    bool begun = false;

    float last = 0.0f;  // ticks of the previous drawn frame
    glm::vec2 mouse = glm::vec2(0.0f);
    float dt = 0.0f;
    bool paused = false;
    bool dragging = false;
    glm::vec2 dragStart = glm::vec2(0.0f);
    glm::vec2 dragDelta = glm::vec2(0.0f);
    bool clicked = false;
    std::string selected;
    // Mouse buttons, one bit each: those pressed in this frame and not yet released, and those
    // whose press the HUD took as a click on one of its buttons, which owns its release.
    uint32_t pressedThisFrame = 0;
    uint32_t heldByHud = 0;
};
