// What a person at the keyboard and mouse does with the real game, on top of a GameSession:
// reads the HUD's texts glyph by glyph against the package's own font, picks a planet on the
// star map by looking for it on its ring, and on foot keeps walking, turning with the mouse,
// towards what it seeks: by where it reckons it is (the HUD's location, a second old at most,
// carried forward along its own heading and pace) and, once the crystal or the rocket is in
// sight, by where the screen shows it. Every step it checks leaves a numbered screenshot in
// the session's folder, and what it saw and did goes to "player.log" there.
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
    // Whether the screen shows this text there: every glyph of it matches well, at one of
    // the alignments. Far cheaper than reading, for a text known beforehand.
    bool shows(const Screen& screen, float x, float y, float scale, const std::string& text) const;

private:
    double match(const Screen& screen, float x0, float y0, float scale, char glyph) const;

    testing_support::Image atlas;
    std::vector<std::string> rows;
};

// The HUD's prompts on foot, and where the rocket stands on every planet.
constexpr const char* kPickUpPrompt = "PRESS G TO PICK UP ARTEFACT";
constexpr const char* kTakeOffPrompt = "PRESS M TO LEAVE THE PLANET";
constexpr Point kRocketAt{0.0, 0.0};
// The violet of the crystal's shards, a colour nothing else on a planet has.
bool isCrystalShard(const uint8_t* pixel);

class Player {
public:
    explicit Player(GameSession& game);

    // Waits until the condition holds for the screen and keeps it as the next numbered step;
    // killed while walking, the player respawns and waits on.
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
    // Waits until the planet of this level file passes behind where PLAY will show, and
    // pauses the map there with Escape: where the planet then stands.
    bool pauseWithPlanetBehindPlay(const std::string& levelFile, Point* where);
    bool explore();

    // A visit in the steps a player takes: the planet of this level file picked and explored;
    // the landing watched until the player stands by the rocket with the HUD shown; the
    // crystal picked up with G; the rocket boarded with M until the HUD hides for the take-off.
    // Killed on the way, the player respawns and goes on; the crystal is taken once its
    // pick-up is heard, or once it is gone from where it stood. The lives lost on each planet
    // go to "lives lost.txt" in the session's folder.
    bool landOn(const std::string& levelFile);
    bool land();
    // The first tap of the key is given where asked.
    bool takeCrystal(const std::string& levelFile, double* pickedAt = nullptr);
    bool leavePlanet(double* boardedAt = nullptr);
    // The crystal's place on the planet of this level file.
    static Point crystalOf(const std::string& levelFile);

    // On foot. The player keeps walking (W held) from the landing to the take-off, outside a
    // wait it asks for itself: a UFO's shot flies at where the eye was when it was fired, so
    // a walking player is rarely hit and a standing one always is.
    int lives(const Screen& screen) const;
    bool showsPlayingHud(const Screen& screen) const;
    bool showsPrompt(const Screen& screen, const std::string& prompt) const;
    bool location(const Screen& screen, Point* where) const;
    bool dead(const Screen& screen) const;
    // Turns with the mouse to the heading (degrees, counter-clockwise from +x).
    void turnTo(double degrees);
    // Walks on along the heading.
    void walkOn(double degrees);
    // The first location the HUD shows that it took after this call: a point of the walk
    // since then. False after the limit.
    bool freshLocation(Point* where, double seconds = 30.0);
    // Where the player is now: the HUD's last location carried forward along the player's
    // own heading and pace since the game took it.
    Point whereNow() const;
    // Walks on until that is within `within` of the target; respawns when killed.
    bool walkTo(const Point& target, double within, double seconds = 300.0);
    // Turns towards the target from where the player is now.
    void face(const Point& target);
    // Walks up to the target, straight at what the screen shows of it once it is in sight,
    // and taps the key between looks while the prompt shows or the target is ahead well
    // within reach, until done() holds for a look (the first tap's time is given). Passing the target it walks on and
    // comes back round, never backing up; killed, it respawns and goes on. Fails only on the step's time limit.
    struct Errand {
        std::string name;
        Point target;
        double reach = 0.0;  // the game's distance for facing the target
        std::string key;
        std::string prompt;
        // The target on the screen: the column it is centred on, or a negative value.
        std::function<double(const Screen&)> sight;
        std::function<bool(const Screen&, double firstTap)> done;
        // Done also once the target, tapped near, is no longer in sight where it stood.
        bool vanishes = false;
        double seconds = 300.0;
    };
    bool run(const Errand& errand, double* firstTap = nullptr);
    bool respawn();
    void press(const std::string& key);
    void hold(const std::string& key) { game.keyDown(key); }
    void release(const std::string& key) { game.keyUp(key); }
    // Stands still: only for a player who means to.
    void stop();

    double now() const { return game.seconds(); }
    // Whether the capture has this sound starting between the two times of the game's clock
    // (seconds since the start): the wave writer runs from the sound device's opening, which
    // lies somewhere before the window appeared.
    static bool heardBetween(const GameSession& game, const Samples& capture, const std::string& sound, double from,
                             double to);

private:
    // One screenshot and what the player reads from it.
    struct Look {
        Screen screen;
        double at = 0.0;
        double heading = 0.0;
        bool dead = false;
        int lives = 0;
    };
    // A stretch of walking at one heading and pace, from its start on.
    struct Leg {
        double at = 0.0;
        double heading = 0.0;
        double speed = 0.0;
    };
    Look look();
    // The next look at a living player: killed, the player respawns and looks again, so every
    // walk on foot survives a death. False once the deadline passes or the respawn fails.
    bool lookAlive(Look* seen, double deadline);
    void reckon(const Look& seen);
    void anchorAt(const Point& where, double at);
    Point reckonedAt(double at) const;
    void pace(double speed);
    // Turns by up to the turn, as far as the time since the last steer allows.
    void steer(double turn);
    void countLives(const Look& seen);
    void beginVisit(int livesOnLanding);
    void endVisit();
    bool heardSince(const std::string& sound, double since) const;
    std::string numbered(const std::string& name);
    // A line of what the player saw and did, into "player.log" of the session's folder.
    void note(const char* format, ...) __attribute__((format(printf, 2, 3)));

    GameSession& game;
    HudFont font;
    int steps = 0;
    double yaw = 180.0;  // where the player looks on landing: towards the rocket
    double speed = 0.0;  // units per second of the keys held now
    bool respawning = false;
    double steeredAt = 0.0;
    // Dead reckoning: the HUD's last location with the moment the game took it, and the legs
    // walked since.
    Point anchor;
    double anchoredAt = 0.0;
    std::vector<Leg> legs;
    // The location the HUD shows and the span of time within which the game took it.
    std::string shown;
    double shownFrom = 0.0;
    double shownUntil = 0.0;
    Point shownPoint;
    // The last location read that was doubted, and when the game took it.
    bool doubted = false;
    Point doubtedPoint;
    double doubtedAt = 0.0;
    double lastLookAt = 0.0;
    // Readings taken before this moment (the last respawn) belong to another life.
    double trustFrom = 0.0;
    // Lives: those at the visit's start or the last respawn, and the last seen.
    // A planet of the star map as the system's description gives it.
    struct MapPlanet {
        std::string name;    // as the HUD writes it
        std::string system;  // the system's name, as the HUD writes it
        float radius = 0.0f;
        double speed = 0.0;  // radians per second, counter-clockwise
        float glow = 0.0f;   // how far from the star's middle its glow hides the ring
    };
    static MapPlanet mapPlanetOf(const std::string& levelFile);
    // Finds the planet on its ring between two shots a second apart: its angle, and the
    // game's time then. False when it could not be told apart.
    bool findOnRing(const MapPlanet& planet, double* angle, double* at);

    std::string planet;  // the level file of the planet picked last
    int visitLost = 0;
    int livesFrom = 0;
    int livesSeen = 0;
    std::string lostReport;  // a line a planet, as written to "lives lost.txt"
};

}  // namespace e2e
