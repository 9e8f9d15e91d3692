// What a person at the keyboard and mouse does with the real game, on top of a GameSession:
// reads the HUD's texts glyph by glyph against the package's own font, picks a planet on the
// star map by looking for it on its ring, and on foot turns with the mouse and walks with the
// keys to a point of the world, steering by the location the HUD shows. Every step it checks
// leaves a numbered screenshot in the session's folder.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "GameSession.h"
#include "support/RunAssets.h"

namespace e2e {

struct Point {
    double x = 0.0;
    double y = 0.0;
};

// The HUD's font: 15 x 25 pixel glyphs advancing by 20 at scale 1, copied texel for texel.
class HudFont {
public:
    bool load();
    // The text of `cells` glyphs whose lower left corner the HUD places at x, y (window pixels
    // from the bottom); a cell that matches none of the glyphs of the alphabet (all when
    // empty) well reads as a space.
    std::string read(const Screen& screen, float x, float y, float scale, int cells,
                     const std::string& alphabet = "") const;

private:
    double match(const Screen& screen, float x0, float y0, float scale, char glyph) const;

    testing_support::Image atlas;
    std::vector<std::string> rows;
};

// The HUD's prompts on foot, and where the rocket stands on every planet.
constexpr const char* kPickUpPrompt = "PRESS G TO PICK UP ARTEFACT";
constexpr const char* kTakeOffPrompt = "PRESS M TO LEAVE THE PLANET";
constexpr Point kRocketAt{0.0, 0.0};

class Player {
public:
    explicit Player(GameSession& game);

    // Waits until the condition holds for the screen and keeps it as the next numbered step.
    bool step(const std::string& name, const std::function<bool(const Screen&)>& condition, double seconds);
    Screen screen() { return game.grab(); }
    // Keeps the last screenshot as the next numbered step.
    void keepStep(const std::string& name);

    // Star map.
    std::string title(const Screen& screen) const;
    std::string artefactCount(const Screen& screen) const;
    // The text of the final screen, once every artefact is found.
    std::string finalText(const Screen& screen) const;
    bool waitForStarMap(const std::string& name);
    bool onStarMap(const Screen& screen) const;
    // Clicks the planet of this level file on its ring until the map names it, then EXPLORE.
    bool pickPlanet(const std::string& levelFile);
    bool explore();

    // A visit in the steps a player takes: the planet of this level file picked and explored;
    // the landing watched until the player stands by the rocket with the HUD shown; the
    // crystal picked up with G; the rocket boarded with M until the HUD hides for the take-off.
    // Killed on the way, the player respawns and goes on; killed just as G went down, the
    // crystal may or may not be taken: the star map's count tells.
    bool landOn(const std::string& levelFile);
    bool land();
    bool takeCrystal(const std::string& levelFile);
    bool leavePlanet();
    // The crystal's place on the planet of this level file.
    static Point crystalOf(const std::string& levelFile);

    // On foot.
    int lives(const Screen& screen) const;
    bool showsPlayingHud(const Screen& screen) const;
    bool showsPrompt(const Screen& screen, const std::string& prompt) const;
    bool location(const Screen& screen, Point* where) const;
    // The location once it has stood still for a full update: where the player stands now.
    bool standingAt(Point* where);
    // Turns with the mouse to the heading (degrees, counter-clockwise from +x).
    void turnTo(double degrees);
    void face(const Point& target);
    // Runs, then walks in short steps, until the location is within `within` of the target;
    // sidesteps when hit and respawns when killed. Without settle it stops as soon as the HUD
    // shows a location that near, which may lie a few units behind. False after the limit.
    bool walkTo(const Point& target, double within, bool settle = true, double seconds = 300.0);
    // Runs to about `from` units before the target, then walks at it in short steps with a
    // look after each (what the screen shows is where the player stands, however slowly the
    // screenshots come) until the HUD shows the prompt, and presses the key. The prompt's
    // screen is kept as a step and where asked; false after a few tries.
    bool approach(const Point& target, const std::string& prompt, double from, const std::string& key,
                  Screen* prompted = nullptr, double* pressedAt = nullptr);
    bool dead(const Screen& screen) const;
    bool respawn();
    void press(const std::string& key);
    void hold(const std::string& key) { game.keyDown(key); }
    void release(const std::string& key) { game.keyUp(key); }
    void stop();

    double now() const { return game.seconds(); }
    // Whether the capture has this sound starting between the two times of the game's clock
    // (seconds since the start): the wave writer runs from the sound device's opening, which
    // lies somewhere before the window appeared.
    static bool heardBetween(const GameSession& game, const Samples& capture, const std::string& sound, double from,
                             double to);

private:
    void walkFor(double seconds);
    std::string numbered(const std::string& name);
    GameSession& game;
    HudFont font;
    int steps = 0;
    double yaw = 180.0;  // where the player looks on landing: towards the rocket
};

}  // namespace e2e
