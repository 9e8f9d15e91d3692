// The 2D layer over both views: the star map's texts and explore button, the pause menu, the
// first-person overlay (compass, frame rate, location, gun and muzzle flash, crosshair,
// prompts, lives), the respawn prompt and the final screen. The state decides what is
// updated and drawn; the buttons' clicks leave as mail-box messages.
#pragma once

#include <string>
#include <vector>

#include <GL/glew.h>

#include "game/ClickInterface.h"
#include "game/HudButton.h"
#include "render/AnimatedSprite.h"
#include "render/MatrixOwner.h"
#include "render/ScreenQuad.h"
#include "render/Text.h"

enum hud_state : int {
    HUD_STATE_PAUSE_MENU = 1,
    HUD_STATE_STAR_MAP = 2,
    HUD_STATE_PLANET_SELECTED = 3,
    HUD_STATE_PLAYING = 4,
    HUD_STATE_DEAD = 5,
    HUD_STATE_ALL_FOUND = 6,
};

class Hud : public ClickInterface {
public:
    explicit Hud(hud_state state);
    ~Hud() override;
    Hud(const Hud&) = delete;
    Hud& operator=(const Hud&) = delete;

    // Creates every element; false after the failing element's line. A missing texture is
    // no failure: its element draws with texture 0.
    bool setup();
    // (x, y): the cursor with the origin at the window's lower left; clicked: a mouse button
    // went down in this frame.
    void update(float dt, int x, int y, bool clicked);
    // The two flags count only while playing: the take-off and pick-up prompts.
    void render(MatrixOwner* camera, bool showTakeOff, bool showPickup);

    // Whether (x, y), origin at the lower left, lies on a button that the state shows.
    bool isOverShownButton(int x, int y) const;

    void setState(hud_state newState);
    hud_state getState() const { return state; }
    void setSolarSystemText(std::string text);
    void setArtefactStatusText(std::string text);
    // At most three digits: longer numbers are cut.
    void setFPS(unsigned int fps);
    // Both truncated toward zero, "x y" cut to eleven characters.
    void setLoc(float x, float y);
    void setDirectionAngle(float radians);
    // Starts the muzzle flash unless one still plays.
    void fire();
    void buttonClicked(int id) override;

    std::string getSolarSystemText() const;
    std::string getArtefactStatusText() const;
    std::string getFpsText() const;

    // How many life icons to draw; the planet view writes the player's lives here.
    int lives = 3;

private:
    bool makeQuad(ScreenQuad** quad, const char* texturePath, int x, int y, int width, int height, GLuint* texture);
    bool makeText(Text** text, const char* content, float x, float y, float scale, bool blink);
    bool makeButton(HudButton** button, int id, int x, int y, const char* texture, const char* hoverTexture);
    void renderPauseMenu(MatrixOwner* camera);
    void renderPlaying(MatrixOwner* camera, bool showTakeOff, bool showPickup);

    hud_state state;
    HudButton* playButton = nullptr;
    HudButton* exitButton = nullptr;
    HudButton* exploreButton = nullptr;
    ScreenQuad* background = nullptr;
    ScreenQuad* logo = nullptr;
    ScreenQuad* lifeIndicator = nullptr;
    ScreenQuad* compassIndicator = nullptr;
    GLuint backgroundTexture = 0;
    Text* finalText = nullptr;
    Text* solarSystemText = nullptr;
    Text* fpsText = nullptr;
    Text* locationText = nullptr;
    Text* takeOffText = nullptr;
    Text* pickupText = nullptr;
    Text* artefactStatusText = nullptr;
    Text* respawnText = nullptr;
    Text* versionText = nullptr;
    float backgroundU = 0.0f;
    float backgroundV = 0.0f;
    ScreenQuad* gun = nullptr;
    GLuint gunTexture = 0;
    ScreenQuad* crosshair = nullptr;
    GLuint crosshairTexture = 0;
    AnimatedSprite* gunAnimatedSprite = nullptr;
    // The textures setup() obtained, given back by name when the HUD goes.
    std::vector<std::string> loadedTextures;
};
