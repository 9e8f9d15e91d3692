// Plays a sprite sheet (a square grid of frames in one image, read from the top left) on a
// screen quad of its own for a number of plays: the HUD's muzzle flash.
#pragma once

#include <string>

#include "render/MatrixOwner.h"
#include "render/ScreenQuad.h"

class AnimatedSprite {
public:
    AnimatedSprite(int x, int y, int width, int height, std::string sheet, int frameCount);
    ~AnimatedSprite();
    AnimatedSprite(const AnimatedSprite&) = delete;
    AnimatedSprite& operator=(const AnimatedSprite&) = delete;

    bool setup();
    // Plays every frame `plays` times over duration seconds each; ignored while playing.
    void activate(float duration, int plays);
    void update(float dt);
    // Shows the current frame's cell.
    void setCurrentFrame();
    // Draws nothing when idle; the caller turns blending on.
    void render(MatrixOwner* camera);

    int getCurrentFrame() const { return currentFrame; }
    int getPlaysLeft() const { return playsLeft; }

private:
    float x;
    float y;
    float width;
    float height;
    ScreenQuad* quad = nullptr;
    std::string sheet;
    float frameDuration = 0.0f;
    float frameTimer = 0.0f;
    int frameCount;
    int currentFrame = 0;
    int playsLeft = 0;
    int gridSize;
    bool sheetLoaded = false;
};
