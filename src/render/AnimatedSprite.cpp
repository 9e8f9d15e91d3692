#include "render/AnimatedSprite.h"

#include <algorithm>
#include <cmath>

#include "render/TextureManager.h"

AnimatedSprite::AnimatedSprite(int x, int y, int width, int height, std::string sheet, int frameCount)
    : x(static_cast<float>(x)),
      y(static_cast<float>(y)),
      width(static_cast<float>(width)),
      height(static_cast<float>(height)),
      sheet(std::move(sheet)),
      frameCount(frameCount),
      // At least one cell, so that a sheet of no frames cannot divide by zero.
      gridSize(std::max(1, static_cast<int>(std::sqrt(static_cast<float>(std::max(frameCount, 0)))))) {}

AnimatedSprite::~AnimatedSprite() {
    delete quad;
    if (sheetLoaded) {
        TextureManager::getInstance()->freeTexture(sheet);
    }
}

bool AnimatedSprite::setup() {
    quad = new ScreenQuad(static_cast<int>(x), static_cast<int>(y), static_cast<int>(width), static_cast<int>(height),
                          "shaders/basicortho.vs", "shaders/basicortho.fs", false);
    if (!quad->setup()) {
        return false;
    }
    // Flipped, so that v = 1 is the top of the sheet and row 0 the top row of cells.
    const GLuint texture = TextureManager::getInstance()->loadTexture(sheet, true);
    sheetLoaded = texture != 0;
    quad->setTexture(texture);
    return true;
}

void AnimatedSprite::activate(float duration, int plays) {
    if (playsLeft != 0) {
        return;
    }
    playsLeft = plays;
    frameDuration = duration / static_cast<float>(frameCount);
    frameTimer = 0.0f;
    currentFrame = 0;
    setCurrentFrame();
}

void AnimatedSprite::update(float dt) {
    if (playsLeft <= 0) {
        return;
    }
    frameTimer += dt;
    if (frameTimer <= frameDuration) {
        return;
    }
    // The excess is dropped: at most one frame passes per update.
    currentFrame++;
    frameTimer = 0.0f;
    if (currentFrame >= frameCount) {
        playsLeft--;
        currentFrame = 0;
    }
    if (playsLeft > 0) {
        setCurrentFrame();
    }
}

void AnimatedSprite::setCurrentFrame() {
    if (quad == nullptr) {
        return;
    }
    const float cell = 1.0f / static_cast<float>(gridSize);
    const float column = static_cast<float>(currentFrame % gridSize);
    const float row = static_cast<float>(currentFrame / gridSize);
    quad->setUV(column * cell, 1.0f - (row + 1.0f) * cell, column * cell + cell, 1.0f - row * cell);
}

void AnimatedSprite::render(MatrixOwner* camera) {
    if (playsLeft >= 1 && quad != nullptr) {
        quad->render(camera, false);
    }
}
