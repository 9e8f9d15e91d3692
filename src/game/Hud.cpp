#include "game/Hud.h"

#include <cstdio>

#include "core/Log.h"
#include "core/MailBox.h"
#include "core/MathUtil.h"
#include "core/Utils.h"
#include "render/TextureManager.h"

namespace {

const char* const kQuadVertexShader = "shaders/basicortho.vs";
const char* const kQuadFragmentShader = "shaders/basicortho.fs";
const char* const kFont = "fonts/font1.json";
const glm::vec3 kWhite(1.0f, 1.0f, 1.0f);
const char* const kVersion = "0ae17bd";

const float kBackgroundAlpha = 0.25f;
const float kBackgroundScrollRate = 0.01f;  // of the texture per second, on both axes
const float kFlashDuration = 0.2f;
const int kFlashFrames = 16;
// The life icons run leftwards from the top right corner.
const int kFirstLifeX = 1222;
const int kLifeSpacing = 58;
const int kLifeY = 692;

enum hud_button_id { BUTTON_PLAY = 0, BUTTON_EXIT = 1, BUTTON_EXPLORE = 2 };

bool failed(const char* element) {
    LOG_ERROR("Failed to setup %s", element);
    return false;
}

float textWidth(const char* text) {
    return Text::dimensions(text).x;
}

float textHeight(const char* text) {
    return Text::dimensions(text).y;
}

}  // namespace

Hud::Hud(hud_state state) : state(state) {}

Hud::~Hud() {
    for (const std::string& path : loadedTextures) {
        TextureManager::getInstance()->freeTexture(path);
    }
    delete lifeIndicator;
    delete compassIndicator;
    delete logo;
    delete background;
    delete gun;
    delete crosshair;
    delete playButton;
    delete exitButton;
    delete exploreButton;
    delete respawnText;
    delete takeOffText;
    delete pickupText;
    delete artefactStatusText;
    delete locationText;
    delete fpsText;
    delete solarSystemText;
    delete finalText;
    delete versionText;
    delete gunAnimatedSprite;
}

bool Hud::makeQuad(ScreenQuad** quad, const char* texturePath, int x, int y, int width, int height, GLuint* texture) {
    *texture = TextureManager::getInstance()->loadTexture(texturePath, true);
    if (*texture != 0) {
        loadedTextures.emplace_back(texturePath);
    }
    *quad = new ScreenQuad(x, y, width, height, kQuadVertexShader, kQuadFragmentShader, false);
    if (!(*quad)->setup()) {
        return false;
    }
    (*quad)->setTexture(*texture);
    return true;
}

bool Hud::makeText(Text** text, const char* content, float x, float y, float scale, bool blink) {
    *text = new Text(x, y, content, kFont, scale, kWhite);
    (*text)->blink = blink;
    return (*text)->setup();
}

bool Hud::makeButton(HudButton** button, int id, int x, int y, const char* texture, const char* hoverTexture) {
    *button = new HudButton(id, x, y, 206, 70, texture, hoverTexture, this);
    return (*button)->setup();
}

bool Hud::setup() {
    GLuint texture = 0;
    if (!makeQuad(&lifeIndicator, "textures/life_indicator.png", 0, 0, 48, 18, &texture)) {
        return failed("life indicator");
    }
    if (!makeQuad(&compassIndicator, "textures/logoicon.png", 20, 10, 32, 64, &texture)) {
        return failed("compass indicator");
    }
    if (!makeQuad(&logo, "textures/logo.png", 240, 432, 800, 175, &texture)) {
        return failed("logo");
    }
    if (!makeButton(&playButton, BUTTON_PLAY, 537, 288, "textures/play_button.png", "textures/play_button_hover.png")) {
        return failed("play button");
    }
    if (!makeButton(&exitButton, BUTTON_EXIT, 537, 144, "textures/exit_button.png", "textures/exit_button_hover.png")) {
        return failed("exit button");
    }
    if (!makeButton(&exploreButton, BUTTON_EXPLORE, 20, 20, "textures/explore_button.png",
                    "textures/explore_button_hover.png")) {
        return failed("explore button");
    }
    if (!makeQuad(&background, "textures/paused_background.jpg", 0, 0, kWindowWidth, kWindowHeight,
                  &backgroundTexture)) {
        return failed("background");
    }
    background->alpha = kBackgroundAlpha;

    const char* const respawn = "PRESS SPACE TO RESPAWN";
    const char* const takeOff = "PRESS M TO LEAVE THE PLANET";
    const char* const pickup = "PRESS G TO PICK UP ARTEFACT";
    const char* const status = "ARTEFACTS 0/9";
    const char* const location = "0 0";
    const char* const fps = "0";
    const char* const system = "TEMPORARY SOLAR SYSTEM";
    const char* const final = "Well done! all artefacts found";
    const float promptY = 576.0f;
    if (!makeText(&respawnText, respawn, 640.0f - textWidth(respawn) / 2.0f, promptY, 1.0f, true)) {
        return failed("respawn text");
    }
    if (!makeText(&takeOffText, takeOff, 640.0f - textWidth(takeOff) / 2.0f, promptY, 1.0f, true)) {
        return failed("take off text");
    }
    if (!makeText(&pickupText, pickup, 640.0f - textWidth(pickup) / 2.0f, promptY, 1.0f, true)) {
        return failed("pickup text");
    }
    // Right-aligned for its first text only: later counts keep this position.
    if (!makeText(&artefactStatusText, status, kWindowWidth - textWidth(status) - 10.0f,
                  kWindowHeight - textHeight(status) - 10.0f, 1.0f, false)) {
        return failed("artefact status text");
    }
    const float digitHeight = textHeight(fps);
    if (!makeText(&locationText, location, 10.0f, kWindowHeight - digitHeight / 2.0f - 10.0f, 1.0f, false)) {
        return failed("location text");
    }
    if (!makeText(&fpsText, fps, 10.0f, kWindowHeight - digitHeight / 2.0f - digitHeight / 2.0f - 30.0f, 1.0f, false)) {
        return failed("FPS text");
    }
    if (!makeText(&solarSystemText, system, 10.0f, kWindowHeight - 2.0f * textHeight(system) - 10.0f, 2.0f, false)) {
        return failed("solar system text");
    }
    if (!makeText(&finalText, final, 640.0f - textWidth(final), 288.0f, 2.0f, false)) {
        return failed("game over text");
    }

    if (!makeQuad(&gun, "textures/hud_gun_2.png", 593, 0, 594, 320, &gunTexture)) {
        return failed("gun");
    }
    gunAnimatedSprite = new AnimatedSprite(679, 253, 96, 96, "textures/explosion_1.png", kFlashFrames);
    if (!gunAnimatedSprite->setup()) {
        return failed("gun animated sprite");
    }
    if (!makeQuad(&crosshair, "textures/crosshair_1.png", 608, 328, 64, 64, &crosshairTexture)) {
        return failed("crosshair");
    }
    // Sized for the version the game carries; snprintf keeps a longer one inside the buffer.
    char version[17];
    snprintf(version, sizeof(version), "VERSION %s", kVersion);
    if (!makeText(&versionText, version, 10.0f, 10.0f, 0.8f, false)) {
        return failed("version text");
    }
    return true;
}

void Hud::update(float dt, int x, int y, bool clicked) {
    switch (state) {
        case HUD_STATE_PAUSE_MENU:
            backgroundU += kBackgroundScrollRate * dt;
            backgroundV += kBackgroundScrollRate * dt;
            playButton->update(dt, x, y, clicked);
            exitButton->update(dt, x, y, clicked);
            break;
        case HUD_STATE_STAR_MAP: break;
        case HUD_STATE_PLANET_SELECTED: exploreButton->update(dt, x, y, clicked); break;
        case HUD_STATE_PLAYING:
            compassIndicator->update(dt);
            gunAnimatedSprite->update(dt);
            takeOffText->update(dt);
            pickupText->update(dt);
            break;
        case HUD_STATE_DEAD: respawnText->update(dt); break;
        case HUD_STATE_ALL_FOUND: exitButton->update(dt, x, y, clicked); break;
    }
}

bool Hud::isOverShownButton(int x, int y) const {
    switch (state) {
        case HUD_STATE_PAUSE_MENU: return playButton->contains(x, y) || exitButton->contains(x, y);
        case HUD_STATE_PLANET_SELECTED: return exploreButton->contains(x, y);
        case HUD_STATE_ALL_FOUND: return exitButton->contains(x, y);
        default: return false;
    }
}

void Hud::render(MatrixOwner* camera, bool showTakeOff, bool showPickup) {
    switch (state) {
        case HUD_STATE_PAUSE_MENU: renderPauseMenu(camera); break;
        case HUD_STATE_STAR_MAP:
            solarSystemText->render(camera);
            artefactStatusText->render(camera);
            break;
        case HUD_STATE_PLANET_SELECTED:
            exploreButton->render(camera);
            solarSystemText->render(camera);
            artefactStatusText->render(camera);
            break;
        case HUD_STATE_PLAYING: renderPlaying(camera, showTakeOff, showPickup); break;
        case HUD_STATE_DEAD:
            fpsText->render(camera);
            locationText->render(camera);
            respawnText->render(camera);
            break;
        case HUD_STATE_ALL_FOUND:
            finalText->render(camera);
            exitButton->render(camera);
            logo->render(camera, true);
            break;
    }
}

void Hud::renderPauseMenu(MatrixOwner* camera) {
    background->setUV(backgroundU, backgroundV, backgroundU + 1.0f, backgroundV + 1.0f);
    background->render(camera, true);
    playButton->render(camera);
    exitButton->render(camera);
    versionText->render(camera);
    logo->render(camera, true);
}

void Hud::renderPlaying(MatrixOwner* camera, bool showTakeOff, bool showPickup) {
    compassIndicator->render(camera, true);
    fpsText->render(camera);
    locationText->render(camera);
    // The quads below blend under this one switch, not their own.
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    gun->setTexture(gunTexture);
    // The flash goes first so that the gun covers it where they overlap.
    gunAnimatedSprite->render(camera);
    gun->render(camera, false);
    crosshair->setTexture(crosshairTexture);
    crosshair->render(camera, false);
    if (showTakeOff) {
        takeOffText->render(camera);
    }
    if (showPickup) {
        pickupText->render(camera);
    }
    // A text turns blending off when it is done; the life icons' corners need it back.
    glEnable(GL_BLEND);
    for (int life = 0; life < lives; ++life) {
        lifeIndicator->setPos(kFirstLifeX - kLifeSpacing * life, kLifeY);
        lifeIndicator->render(camera, false);
    }
    glDisable(GL_BLEND);
}

void Hud::setState(hud_state newState) {
    state = newState;
}

void Hud::setSolarSystemText(std::string text) {
    if (solarSystemText != nullptr) {
        solarSystemText->setText(text.c_str());
    }
}

void Hud::setArtefactStatusText(std::string text) {
    if (artefactStatusText != nullptr) {
        artefactStatusText->setText(text.c_str());
    }
}

std::string Hud::getSolarSystemText() const {
    return solarSystemText != nullptr ? solarSystemText->getText() : std::string();
}

std::string Hud::getArtefactStatusText() const {
    return artefactStatusText != nullptr ? artefactStatusText->getText() : std::string();
}

std::string Hud::getFpsText() const {
    return fpsText != nullptr ? fpsText->getText() : std::string();
}

void Hud::setFPS(unsigned int fps) {
    char text[4];
    snprintf(text, sizeof(text), "%u", fps);
    if (fpsText != nullptr) {
        fpsText->setText(text);
    }
}

void Hud::setLoc(float x, float y) {
    char text[12];
    snprintf(text, sizeof(text), "%d %d", MathUtil::truncateToInt(x), MathUtil::truncateToInt(y));
    if (locationText != nullptr) {
        locationText->setText(text);
    }
}

void Hud::setDirectionAngle(float radians) {
    if (compassIndicator != nullptr) {
        compassIndicator->targetRotation = radians;
    }
}

void Hud::fire() {
    if (gunAnimatedSprite != nullptr) {
        gunAnimatedSprite->activate(kFlashDuration, 1);
    }
}

void Hud::buttonClicked(int id) {
    switch (id) {
        case BUTTON_PLAY: MailBox::getInstance()->sendMessage(MESSAGE_PLAY_BUTTON_CLICKED, nullptr); break;
        case BUTTON_EXIT: MailBox::getInstance()->sendMessage(MESSAGE_EXIT_GAME, nullptr); break;
        case BUTTON_EXPLORE: MailBox::getInstance()->sendMessage(MESSAGE_EXPLORE_BUTTON_CLICKED, nullptr); break;
        default: break;
    }
}
