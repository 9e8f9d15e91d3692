#include "Player.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <thread>

#include <glm/glm.hpp>
#include <glm/gtc/matrix_transform.hpp>

namespace e2e {

namespace {

const int kWindowWidth = 1280;
const int kWindowHeight = 720;
// The font's cells in the atlas and on the screen at scale 1.
const int kCellWidth = 25;
const int kCellHeight = 35;
const int kCellPadding = 5;
const float kGlyphWidth = 15.0f;
const float kGlyphHeight = 25.0f;
const float kAdvance = 20.0f;
const double kLeastGlyphMatch = 0.6;
// Glyph edges that fall on half pixels round either way: texts are read at several alignments.
const float kAlignments[] = {-1.0f, -0.5f, 0.0f, 0.5f, 1.0f};

// Where the HUD writes: lower left corners from the bottom of the window.
const float kTitleY = 660.0f;  // the star map's title, at scale 2
const float kCountX = 1010.0f;
const float kCountY = 685.0f;
const float kLocationY = 697.5f;
const float kPromptY = 576.0f;
const int kFirstLifeX = 1222;
const int kLifeSpacing = 58;
const int kLifeY = 692;

// The star map's camera once the fly-in has settled, and its rings' colour.
const glm::vec3 kMapEye(0.0f, -100.0f, 141.42136f);
const int kRingColour[3] = {89, 115, 153};
const glm::vec2 kSunCentre(640.0f, 362.0f);
const float kSunGlow = 50.0f;
const int kExploreCentre[2] = {123, 665};
// PLAY in the pause menu: left, top, right, bottom, as the pointer counts.
const int kPlayBox[4] = {537, 362, 743, 432};
const float kFinalTextX = 40.0f;  // 30 glyphs at scale 2, centred
const float kFinalTextY = 288.0f;

const double kFrameTime = 0.25;  // a slow frame of the software renderer

void pause(double seconds) {
    std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
}

std::string trimmedText(std::string text) {
    return text.erase(text.find_last_not_of(' ') + 1);
}

int ringPixels(const Screen& screen) {
    return screen.count(0, 0, screen.width, screen.height, [](const uint8_t* pixel) {
        return isColour(pixel, kRingColour[0], kRingColour[1], kRingColour[2]);
    });
}

// Where a point of the system's plane shows on the settled star map.
glm::vec2 mapPoint(float x, float y) {
    const glm::mat4 view = glm::lookAt(kMapEye, glm::vec3(0.0f), glm::vec3(0.0f, 0.0f, 1.0f));
    const glm::mat4 projection =
        glm::perspective(1.5707964f, static_cast<float>(kWindowWidth) / kWindowHeight, 0.01f, 400.0f);
    const glm::vec4 clip = projection * view * glm::vec4(x, y, 0.0f, 1.0f);
    return {(clip.x / clip.w + 1.0f) * 0.5f * kWindowWidth, (1.0f - clip.y / clip.w) * 0.5f * kWindowHeight};
}

int brightness(const uint8_t* pixel) {
    return pixel[0] + pixel[1] + pixel[2];
}

glm::vec2 onRing(float radius, double angle) {
    return mapPoint(radius * static_cast<float>(std::cos(angle)), radius * static_cast<float>(std::sin(angle)));
}

}  // namespace

bool HudFont::load() {
    const testing_support::JsonTree description = testing_support::readRunJson("fonts/font1.json");
    const json_value* list = testing_support::jsonMember(description.get(), "rows");
    for (unsigned int i = 0; list != nullptr && list->type == json_array && i < list->u.array.length; ++i) {
        rows.push_back(testing_support::jsonText(list->u.array.values[i]));
    }
    return !rows.empty() && testing_support::decodeRunImage("fonts/font1.png", &atlas, 4);
}

double HudFont::match(const Screen& screen, float x0, float y0, float scale, char glyph) const {
    int row = 0;
    size_t column = std::string::npos;
    while (row < static_cast<int>(rows.size()) && (column = rows[row].find(glyph)) == std::string::npos) {
        ++row;
    }
    if (column == std::string::npos) {
        return -1.0;
    }
    // The glyphs are white with a dark outline: over the glyph's own footprint the screen's
    // brightness follows the atlas's whatever the ground and the text's fading, and around
    // it nothing is as white as the glyph's core.
    double sumInk = 0, sumLight = 0, sumInkInk = 0, sumLightLight = 0, sumInkLight = 0;
    int pixels = 0;
    int outside = 0;
    int whiteOutside = 0;
    const float top = y0 + kGlyphHeight * scale;
    const int right = std::min(screen.width, static_cast<int>(x0 + kGlyphWidth * scale) + 1);
    for (int py = std::max(0, static_cast<int>(screen.height - top)); py < screen.height; ++py) {
        const float gy = static_cast<float>(screen.height - py) - 0.5f;
        if (gy < y0) {
            break;
        }
        for (int px = std::max(0, static_cast<int>(x0)); px < right; ++px) {
            const float gx = static_cast<float>(px) + 0.5f;
            if (gx < x0 || gx >= x0 + kGlyphWidth * scale || gy >= top) {
                continue;
            }
            const int tx = static_cast<int>(column) * kCellWidth + kCellPadding + static_cast<int>((gx - x0) / scale);
            const int ty = row * kCellHeight + kCellPadding + static_cast<int>((top - gy) / scale);
            const uint8_t* texel = atlas.at(tx, ty);
            const uint8_t* pixel = screen.at(px, py);
            if (texel[3] < 64) {
                ++outside;
                whiteOutside += std::min({pixel[0], pixel[1], pixel[2]}) > 225;
                continue;
            }
            const double ink = (texel[0] + texel[1] + texel[2]) / 765.0;
            const double light = std::min({pixel[0], pixel[1], pixel[2]}) / 255.0;
            sumInk += ink;
            sumLight += light;
            sumInkInk += ink * ink;
            sumLightLight += light * light;
            sumInkLight += ink * light;
            ++pixels;
        }
    }
    if (pixels == 0) {
        return -1.0;
    }
    const double n = pixels;
    const double inkSpread = sumInkInk - sumInk * sumInk / n;
    const double lightSpread = sumLightLight - sumLight * sumLight / n;
    if (inkSpread <= 0.0 || lightSpread <= 1e-3) {
        return -1.0;
    }
    const double whiteAround = outside > 0 ? static_cast<double>(whiteOutside) / outside : 0.0;
    return (sumInkLight - sumInk * sumLight / n) / std::sqrt(inkSpread * lightSpread) - whiteAround;
}

bool HudFont::shows(const Screen& screen, float x, float y, float scale, const std::string& text) const {
    for (float dy : kAlignments) {
        for (float dx : {-0.5f, 0.0f, 0.5f}) {
            size_t cell = 0;
            while (cell < text.size() &&
                   (text[cell] == ' ' || match(screen, x + dx + kAdvance * scale * static_cast<float>(cell), y + dy,
                                               scale, text[cell]) > kLeastGlyphMatch)) {
                ++cell;
            }
            if (cell == text.size()) {
                return true;
            }
        }
    }
    return false;
}

std::string HudFont::read(const Screen& screen, float x, float y, float scale, int cells,
                          const std::string& alphabet) const {
    // Glyph edges that fall on half pixels round either way: the text is read at the
    // alignment where it matches best.
    std::string bestText;
    double bestTotal = -1.0;
    for (float dy : kAlignments) {
        for (float dx : {-0.5f, 0.0f, 0.5f}) {
            std::string text;
            double total = 0.0;
            for (int cell = 0; cell < cells && !screen.empty(); ++cell) {
                const float x0 = x + dx + kAdvance * scale * static_cast<float>(cell);
                char best = ' ';
                double bestMatch = kLeastGlyphMatch;
                for (const std::string& row : rows) {
                    for (char glyph : row) {
                        const bool candidate =
                            glyph != ' ' && (alphabet.empty() || alphabet.find(glyph) != std::string::npos);
                        const double found = candidate ? match(screen, x0, y + dy, scale, glyph) : -1.0;
                        if (found > bestMatch) {
                            best = glyph;
                            bestMatch = found;
                        }
                    }
                }
                text.push_back(best);
                total += best == ' ' ? 0.0 : bestMatch;
            }
            if (total > bestTotal) {
                bestText = text;
                bestTotal = total;
            }
        }
    }
    return bestText;
}

Player::Player(GameSession& session) : game(session) {
    font.load();
}

std::string Player::numbered(const std::string& name) {
    char number[16];
    snprintf(number, sizeof(number), "%02d-", ++steps);
    return number + name;
}

void Player::keepStep(const std::string& name) {
    game.keep(numbered(name));
}

bool Player::step(const std::string& name, const std::function<bool(const Screen&)>& condition, double seconds) {
    const std::string named = numbered(name);
    const double deadline = now() + seconds;
    bool killed = false;
    const auto shownOrKilled = [&](const Screen& screen) {
        const bool holds = condition(screen);
        killed = !holds && speed > 0.0 && !respawning && dead(screen);
        return holds || killed;
    };
    while (game.waitFor(named, shownOrKilled, std::max(0.0, deadline - now()))) {
        if (!killed) {
            game.keep(named);
            return true;
        }
        if (!respawn()) {
            return false;
        }
    }
    return false;
}

std::string Player::title(const Screen& screen) const {
    return trimmedText(font.read(screen, 10.0f, kTitleY, 2.0f, 22));
}

std::string Player::finalText(const Screen& screen) const {
    return trimmedText(font.read(screen, kFinalTextX, kFinalTextY, 2.0f, 30));
}

std::string Player::artefactCount(const Screen& screen) const {
    return trimmedText(font.read(screen, kCountX, kCountY, 1.0f, 13));
}

bool Player::waitForStarMap(const std::string& name) {
    // The fly-in is over when the rings stop moving between two shots.
    int previousRings = -1;
    return step(
        name,
        [&](const Screen& screen) {
            const int rings = ringPixels(screen);
            const bool settled = rings > 3000 && std::abs(rings - previousRings) < 30;
            previousRings = rings;
            return settled && showsScene(screen) && !title(screen).empty();
        },
        180);
}

bool Player::onStarMap(const Screen& screen) const {
    return ringPixels(screen) > 1000;
}

Player::MapPlanet Player::mapPlanetOf(const std::string& levelFile) {
    const testing_support::JsonTree system = testing_support::readRunJson("levels/system_1/s1.json");
    const json_value* planets = testing_support::jsonMember(system.get(), "planets");
    MapPlanet found;
    for (unsigned int i = 0; planets != nullptr && planets->type == json_array && i < planets->u.array.length; ++i) {
        const json_value* planet = planets->u.array.values[i];
        if (testing_support::jsonText(testing_support::jsonMember(planet, "levelPath")) == levelFile) {
            found.name = testing_support::jsonText(testing_support::jsonMember(planet, "name"));
            found.speed = testing_support::jsonNumber(testing_support::jsonMember(planet, "orbitSpeed"));
            found.radius =
                static_cast<float>(testing_support::jsonNumber(testing_support::jsonMember(planet, "orbitRadius")));
        }
    }
    // The map's title names the whole system until a planet is picked; the HUD's font has
    // capitals only.
    found.system = testing_support::jsonText(testing_support::jsonMember(system.get(), "name"));
    for (std::string* text : {&found.name, &found.system}) {
        for (char& letter : *text) {
            letter = static_cast<char>(toupper(static_cast<unsigned char>(letter)));
        }
    }
    // The star's flickering glow is left out, but never the whole of the innermost ring,
    // which lies within the glow's usual reach.
    found.glow = kSunGlow;
    for (double angle = 0.0; angle < 2.0 * M_PI; angle += M_PI / 180.0) {
        found.glow = std::min(found.glow, 0.6f * glm::length(onRing(found.radius, angle) - kSunCentre));
    }
    return found;
}

bool Player::findOnRing(const MapPlanet& planet, double* angle, double* at) {
    // The planet is what has lit up on its ring between two shots: where it went it is
    // brighter than the sky that was there.
    const Screen first = game.grab();
    pause(1.0);
    const double secondFrom = now();
    const Screen second = game.grab();
    *at = (secondFrom + now()) / 2.0;
    std::vector<glm::vec2> lit;
    std::vector<uint8_t> marked(static_cast<size_t>(second.width) * second.height, 0);
    for (double onIt = 0.0; onIt < 2.0 * M_PI; onIt += M_PI / 360.0) {
        const glm::vec2 place = onRing(planet.radius, onIt);
        if (glm::length(place - kSunCentre) < planet.glow) {
            continue;
        }
        for (int y = static_cast<int>(place.y) - 4; y <= static_cast<int>(place.y) + 4; ++y) {
            for (int x = static_cast<int>(place.x) - 4; x <= static_cast<int>(place.x) + 4; ++x) {
                const size_t index = static_cast<size_t>(y) * second.width + x;
                if (x >= 0 && y >= 0 && x < second.width && y < second.height && !marked[index] &&
                    brightness(second.at(x, y)) - brightness(first.at(x, y)) > 60) {
                    marked[index] = 1;
                    lit.emplace_back(x, y);
                }
            }
        }
    }
    // The biggest gathering of lit pixels.
    glm::vec2 target(0.0f);
    size_t gathered = 0;
    for (const glm::vec2& pixel : lit) {
        glm::vec2 sum(0.0f);
        size_t near = 0;
        for (const glm::vec2& other : lit) {
            if (glm::length(other - pixel) < 8.0f) {
                sum += other;
                ++near;
            }
        }
        if (near > gathered) {
            gathered = near;
            target = sum / static_cast<float>(near);
        }
    }
    if (gathered < 3) {
        return false;
    }
    *angle = 0.0;
    for (double candidate = 0.0; candidate < 2.0 * M_PI; candidate += M_PI / 360.0) {
        if (glm::length(onRing(planet.radius, candidate) - target) <
            glm::length(onRing(planet.radius, *angle) - target)) {
            *angle = candidate;
        }
    }
    return true;
}

bool Player::pickPlanet(const std::string& levelFile) {
    const MapPlanet planet = mapPlanetOf(levelFile);
    this->planet = levelFile;
    for (int attempt = 0; attempt < 8 && !planet.name.empty(); ++attempt) {
        double angle = 0.0;
        double at = 0.0;
        if (!findOnRing(planet, &angle, &at)) {
            continue;
        }
        // The shots' moments are uncertain by a good part of a second on a loaded machine, as
        // far as a click may miss the planet by: a few clicks where it would be for a range of
        // such errors, then a look at the title.
        for (double error : {0.0, 0.4, -0.4, 0.8, -0.8}) {
            const glm::vec2 target = onRing(planet.radius, angle + planet.speed * (now() + error - at));
            game.moveMouse(static_cast<int>(target.x), static_cast<int>(target.y));
            game.click();
            // The map reads the pointer once a frame: clicks in one frame all land on its last place.
            pause(kFrameTime);
        }
        const std::string shown = title(game.grab());
        if (shown == planet.name) {
            keepStep("planet picked");
            return true;
        }
        // Another planet, or none: back to the whole system, and another look.
        if (shown.rfind(planet.system, 0) != 0) {
            game.click(3);
            if (!waitForStarMap("star map again")) {
                return false;
            }
        }
    }
    game.fail("planet " + levelFile + " picked");
    return false;
}

bool Player::pauseWithPlanetBehindPlay(const std::string& levelFile, Point* where) {
    const MapPlanet planet = mapPlanetOf(levelFile);
    for (int look = 0; look < 20 && !planet.name.empty(); ++look) {
        double angle = 0.0;
        double at = 0.0;
        if (!findOnRing(planet, &angle, &at)) {
            continue;
        }
        // Paused where the planet will be once the key goes up, well inside the button.
        const double keyTakes = 0.1 + kFrameTime;
        const glm::vec2 then = onRing(planet.radius, angle + planet.speed * (now() + keyTakes - at));
        if (then.x < kPlayBox[0] + 15 || then.x > kPlayBox[2] - 15 || then.y < kPlayBox[1] + 15 ||
            then.y > kPlayBox[3] - 15) {
            pause(1.0);
            continue;
        }
        game.key("Escape");
        const glm::vec2 stopped = onRing(planet.radius, angle + planet.speed * (now() - at));
        if (!step(
                "paused with " + planet.name + " behind PLAY",
                [](const Screen& screen) { return showsImage(screen, "textures/play_button.png", 537, 288); }, 60)) {
            return false;
        }
        *where = {stopped.x, stopped.y};
        return true;
    }
    game.fail("paused with " + levelFile + " behind PLAY");
    return false;
}

bool Player::explore() {
    game.moveMouse(kExploreCentre[0], kExploreCentre[1]);
    if (!step(
            "explore hovered",
            [](const Screen& screen) { return showsImage(screen, "textures/explore_button_hover.png", 20, 20); }, 60)) {
        return false;
    }
    // The button acts on the press: the map has gone by the time a person's click ends.
    game.click();
    const bool left = step(
        "star map left", [this](const Screen& screen) { return !onStarMap(screen); }, 120);
    // Every landing turns the player towards the rocket.
    yaw = 180.0;
    return left;
}

Point Player::crystalOf(const std::string& levelFile) {
    const testing_support::JsonTree level = testing_support::readRunJson(levelFile);
    return {testing_support::jsonNumber(testing_support::jsonMember(level.get(), "artefactPositionX")),
            testing_support::jsonNumber(testing_support::jsonMember(level.get(), "artefactPositionY"))};
}

int Player::lives(const Screen& screen) const {
    int shown = 0;
    while (shown < 5 &&
           showsImage(screen, "textures/life_indicator.png", kFirstLifeX - kLifeSpacing * shown, kLifeY, 12)) {
        ++shown;
    }
    return shown;
}

bool Player::showsPlayingHud(const Screen& screen) const {
    return showsImage(screen, "textures/hud_gun_2.png", 593, 0, 12) && lives(screen) > 0;
}

bool Player::showsPrompt(const Screen& screen, const std::string& prompt) const {
    const float x = kWindowWidth / 2.0f - kAdvance * static_cast<float>(prompt.size()) / 2.0f;
    return font.shows(screen, x, kPromptY, 1.0f, prompt);
}

bool Player::dead(const Screen& screen) const {
    return showsPrompt(screen, "PRESS SPACE TO RESPAWN");
}

bool Player::location(const Screen& screen, Point* where) const {
    const std::string text = font.read(screen, 10.0f, kLocationY, 1.0f, 11, "-0123456789");
    int x = 0;
    int y = 0;
    char rest = 0;
    if (sscanf(text.c_str(), "%d %d %c", &x, &y, &rest) != 2) {
        return false;
    }
    *where = Point{static_cast<double>(x), static_cast<double>(y)};
    return true;
}

bool Player::heardBetween(const GameSession& game, const Samples& capture, const std::string& sound, double from,
                          double to) {
    const double margin = 1.0;
    for (double at : findPlays(capture, readWavSamples(testing_support::runPath(sound)))) {
        if (at >= from - game.windowShownAfter() - margin && at <= to + margin) {
            return true;
        }
    }
    return false;
}

}  // namespace e2e
