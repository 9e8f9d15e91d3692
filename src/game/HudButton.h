// A clickable rectangle of the HUD with a normal and a hover image. It blips once each time
// the cursor enters it and reports a click in the frame in which a mouse button goes down
// over it.
#pragma once

#include <string>

#include <GL/glew.h>

#include "game/ClickInterface.h"
#include "render/MatrixOwner.h"
#include "render/ScreenQuad.h"

class HudButton {
public:
    // owner may be null: the button then ignores clicks.
    HudButton(int id, int x, int y, int width, int height, std::string texture, std::string hoverTexture,
              ClickInterface* owner);
    ~HudButton();
    HudButton(const HudButton&) = delete;
    HudButton& operator=(const HudButton&) = delete;

    // False, without a line of its own, when the quad cannot be set up.
    bool setup();
    // (mx, my): the cursor with the origin at the window's lower left.
    void update(float dt, int mx, int my, bool clicked);
    // Strictly inside the rectangle: a point on the border is outside.
    bool contains(int mx, int my) const;
    void render(MatrixOwner* camera);

    bool isHovered() const { return hovered; }

private:
    ClickInterface* owner;
    float x;
    float y;
    float width;
    float height;
    int id;
    GLuint texture = 0;
    GLuint hoverTexture = 0;
    ScreenQuad* quad = nullptr;
    std::string texturePath;
    std::string hoverTexturePath;
    bool hovered = false;
};
