#include "game/HudButton.h"

#include "core/MathUtil.h"
#include "render/TextureManager.h"
#include "sound/GameSound.h"

HudButton::HudButton(int id, int x, int y, int width, int height, std::string texture, std::string hoverTexture,
                     ClickInterface* owner)
    : owner(owner),
      x(static_cast<float>(x)),
      y(static_cast<float>(y)),
      width(static_cast<float>(width)),
      height(static_cast<float>(height)),
      id(id),
      texturePath(std::move(texture)),
      hoverTexturePath(std::move(hoverTexture)) {}

HudButton::~HudButton() {
    // Only the shares this button obtained are given back: another holder keeps its own.
    if (texture != 0) {
        TextureManager::getInstance()->freeTexture(texturePath);
    }
    if (hoverTexture != 0) {
        TextureManager::getInstance()->freeTexture(hoverTexturePath);
    }
    delete quad;
}

bool HudButton::setup() {
    quad = new ScreenQuad(static_cast<int>(x), static_cast<int>(y), static_cast<int>(width), static_cast<int>(height),
                          "shaders/basicortho.vs", "shaders/basicortho.fs", false);
    if (!quad->setup()) {
        return false;
    }
    texture = TextureManager::getInstance()->loadTexture(texturePath, true);
    hoverTexture = TextureManager::getInstance()->loadTexture(hoverTexturePath, true);
    quad->setTexture(texture);
    return true;
}

void HudButton::update(float /*dt*/, int mx, int my, bool clicked) {
    if (!contains(mx, my)) {
        if (hovered && quad != nullptr) {
            quad->setTexture(texture);
        }
        hovered = false;
        return;
    }
    if (!hovered) {
        if (quad != nullptr) {
            quad->setTexture(hoverTexture);
        }
        send_game_sound(SOUND_UI_BLIPP3);
        hovered = true;
    }
    if (clicked && owner != nullptr) {
        owner->buttonClicked(id);
    }
}

bool HudButton::contains(int mx, int my) const {
    return MathUtil::insideRect(glm::vec2(static_cast<float>(mx), static_cast<float>(my)), x, y, width, height);
}

void HudButton::render(MatrixOwner* camera) {
    if (quad != nullptr) {
        quad->render(camera, false);
    }
}
