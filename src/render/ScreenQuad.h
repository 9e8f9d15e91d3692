// A textured rectangle placed in window pixels (origin at the lower left): the HUD's logo,
// buttons, backgrounds, gun, crosshair, compass and lives, and the star map's background.
// It turns about its centre easing toward a target angle, shows any rectangle of its
// texture and, when made for it, scrolls a fixed-size window over the texture.
#pragma once

#include <array>
#include <string>

#include <GL/glew.h>

#include "render/MatrixOwner.h"
#include "render/ShaderProgram.h"

class ScreenQuad {
public:
    ScreenQuad(int x, int y, int width, int height, std::string vertexShader, std::string fragmentShader,
               bool uvOffsetMode);
    virtual ~ScreenQuad();
    ScreenQuad(const ScreenQuad&) = delete;
    ScreenQuad& operator=(const ScreenQuad&) = delete;

    // Moves the lower left corner; the UV rectangle becomes the whole texture.
    virtual void setPos(int x, int y);
    // Moves the lower left corner and shows (0, 0)-(u, v) of the texture.
    virtual void setPosAndUV(int x, int y, float u, float v);

    // False when the program cache has no program for the shader names.
    bool setup();
    // Not owned: the quad never frees it.
    void setTexture(GLuint texture);
    void setUV(float left, float bottom, float right, float top);
    void setPosY(int y);
    // Rewrites the vertices like setUV without marking them for upload: the change reaches
    // the screen with the next upload that another change causes.
    void setupCoords(float left, float bottom, float right, float top);
    // Scrolls the window by du, dv ten-thousandths of the texture (UV-offset quads only).
    void setUVOffset(float du, float dv);
    void update(float dt);
    void render(MatrixOwner* camera, bool blend);

    // Written directly by the owner.
    float alpha = 1.0f;
    float targetRotation = 0.0f;

private:
    static constexpr int kVertexCount = 6;
    static constexpr int kFloatsPerVertex = 4;

    std::array<float, kVertexCount * kFloatsPerVertex> vertices{};
    float x;
    float y;
    float width;
    float height;
    float rotation = 0.0f;  // eased so far, radians counter-clockwise
    float uOffset = 0.0f;
    float vOffset = 0.0f;
    bool dirty = false;
    bool uvOffsetMode;
    GLuint vertexBuffer = 0;
    GLuint vertexArray = 0;
    ShaderProgram* program = nullptr;
    GLuint texture = 0;
    std::string vertexShader;
    std::string fragmentShader;
};
