// The player on a planet: the landing, walking with the mouse and the keys, the crystal and
// the rocket, deaths and respawns. The player never stands still unless asked to, keeps
// track of where it is between the HUD's location updates, and trusts what the screen shows
// of its target over that reckoning.
#include <algorithm>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <iostream>

#include "Player.h"
#include "support/TestSupport.h"

namespace e2e {

namespace {

const Point kLandedAt{40.0, 0.0};      // where the player stands once the rocket is down, and after a respawn
const double kLandingHeading = 180.0;  // towards the rocket

const double kWalkSpeed = 5.0;  // units per second on the flat
const double kRunSpeed = 10.0;
const double kRunFrom = 30.0;  // units from the target: farther, the player runs
// The HUD takes the location once a second, in the first frame after the second is over.
const double kLocationPause = 1.0;
const double kLongestFrame = 0.3;
// Units between a new location and where the reckoning put the player then, beyond which it
// is doubted.
const double kLargestReckoningError = 15.0;
const double kConfirmAfter = 0.3;

const double kMousePixelsPerDegree = 10.0;
const int kLargestMouseMove = 200;
// Degrees per second of turning: the walk bends rather than pivots, however often the player
// looks; a second's worth at most after a slow look.
const double kTurnRate = 90.0;
const double kTapEvery = 0.25;     // seconds: the game tests the facing every 0.3
const double kSlowLooks = 0.6;     // seconds between looks: a prompt may come and go unseen
const double kComeBackFrom = 8.0;  // units past the target before the player turns back
const double kSightFrom = 30.0;    // units: closer, what the screen shows steers
// Taken, the crystal is no longer seen where it must be: within these units of the player
// and degrees of the view's middle, in this many looks over so many seconds.
const double kMissingFrom = 4.0;
const double kMissingUntil = 14.0;
const double kMissingWithin = 25.0;
const int kMissingLooks = 3;
const double kMissingFor = 1.5;
const double kRespawnLimit = 60.0;

// The view's 90-degree vertical field over 720 rows: pixels from the centre per unit of tangent.
const double kFocalPixels = 360.0;
const int kCentreColumn = 640;
const double kAheadPixels = 200.0;  // from the middle column: well within the facing test's angle
// Parts of the window the HUD covers: its texts and lives along the top, the prompts, the gun
// at the lower right and the compass at the lower left.
const int kHudTop = 60;
const int kPromptTop = 112;
const int kPromptBottom = 152;
const int kGunLeft = 680;
const int kGunTop = 390;
const int kCompassRight = 90;
const int kCompassTop = 620;

double normalised(double degrees) {
    return std::remainder(degrees, 360.0);
}

double distance(const Point& a, const Point& b) {
    return std::hypot(a.x - b.x, a.y - b.y);
}

double bearing(const Point& from, const Point& to) {
    return std::atan2(to.y - from.y, to.x - from.x) * 180.0 / M_PI;
}

// The HUD writes each coordinate truncated towards zero: the middle of what it may stand for.
double middleOf(double shown) {
    return shown > 0.0 ? shown + 0.5 : (shown < 0.0 ? shown - 0.5 : 0.0);
}

bool coveredByHud(int x, int y) {
    return y < kHudTop || (y >= kPromptTop && y < kPromptBottom) || (x >= kGunLeft && y >= kGunTop) ||
           (x < kCompassRight && y >= kCompassTop);
}

// What to look for on the screen: pixels of the target's colours, of which some must be of
// the colours only the target has.
struct Sought {
    int band = 0;   // columns wide
    int least = 0;  // pixels within the band
    std::function<bool(const uint8_t*)> colour;
    int leastTelling = 0;
    std::function<bool(const uint8_t*)> telling;
};

// The column of the window around which most pixels of the colours lie, within a band of
// columns; -1 when too few are found.
double densestColumn(const Screen& screen, const Sought& sought) {
    std::vector<int> perColumn(static_cast<size_t>(screen.width), 0);
    std::vector<int> tellingPerColumn(static_cast<size_t>(screen.width), 0);
    for (int y = 0; y < screen.height; ++y) {
        for (int x = 0; x < screen.width; ++x) {
            const uint8_t* pixel = screen.at(x, y);
            if (!coveredByHud(x, y) && sought.colour(pixel)) {
                ++perColumn[x];
                tellingPerColumn[x] += sought.telling(pixel);
            }
        }
    }
    int best = 0;
    int bestStart = 0;
    int sum = 0;
    for (int x = 0; x < screen.width; ++x) {
        sum += perColumn[x] - (x >= sought.band ? perColumn[x - sought.band] : 0);
        if (sum > best) {
            best = sum;
            bestStart = x - sought.band + 1;
        }
    }
    double weighted = 0.0;
    int telling = 0;
    for (int x = std::max(0, bestStart); x < bestStart + sought.band; ++x) {
        weighted += static_cast<double>(x) * perColumn[x];
        telling += tellingPerColumn[x];
    }
    if (best < sought.least || telling < sought.leastTelling) {
        return -1.0;
    }
    return weighted / best + 0.5;
}

}  // namespace

bool isCrystalShard(const uint8_t* pixel) {
    return pixel[2] > 150 && pixel[0] > pixel[1] + 25 && pixel[2] > pixel[0] + 40;
}

namespace {

// The violet shards, and the cyan core, brighter and greener than any sky or ice.
bool isCrystal(const uint8_t* pixel) {
    return isCrystalShard(pixel) || (pixel[2] > 190 && pixel[1] > 170 && pixel[1] > pixel[0] + 80);
}

// The rocket's nose and stripes: a deep red, whatever the light; redder than any sky, sand or lava.
bool isRocketRed(const uint8_t* pixel) {
    return pixel[0] > 50 && pixel[1] * 4 < pixel[0] && pixel[2] * 4 < pixel[0];
}

double crystalColumn(const Screen& screen) {
    // The UFOs' lights are of the core's cyan, never of the shards' violet.
    static const Sought crystal{80, 20, isCrystal, 5, isCrystalShard};
    return densestColumn(screen, crystal);
}

double rocketColumn(const Screen& screen) {
    static const Sought rocket{60, 60, isRocketRed, 0, isRocketRed};
    return densestColumn(screen, rocket);
}

}  // namespace

bool Player::landOn(const std::string& levelFile) {
    return pickPlanet(levelFile) && explore() && land();
}

bool Player::land() {
    int livesOnLanding = 0;
    if (!step(
            "landing, HUD hidden",
            [&](const Screen& screen) { return showsScene(screen) && !onStarMap(screen) && lives(screen) == 0; },
            120) ||
        !step(
            "on foot, HUD shown",
            [&](const Screen& screen) {
                Point where;
                // The lives are those the last planet left.
                livesOnLanding = lives(screen);
                return showsScene(screen) && showsPlayingHud(screen) && location(screen, &where) &&
                       distance(where, kLandedAt) < 2.0;
            },
            180)) {
        return false;
    }
    yaw = kLandingHeading;
    speed = 0.0;
    anchorAt(kLandedAt, now());
    trustFrom = now();
    beginVisit(livesOnLanding);
    note("landed on %s with %d lives", planet.c_str(), livesOnLanding);
    pace(kWalkSpeed);
    return true;
}

Player::Look Player::look() {
    Look seen;
    seen.screen = game.grab();
    seen.at = game.lastGrabAt();
    seen.heading = yaw;
    seen.dead = dead(seen.screen);
    seen.lives = seen.dead ? 0 : lives(seen.screen);
    reckon(seen);
    countLives(seen);
    lastLookAt = seen.at;
    return seen;
}

void Player::reckon(const Look& seen) {
    Point reading;
    if (seen.dead || !location(seen.screen, &reading)) {
        return;
    }
    const std::string text =
        std::to_string(static_cast<int>(reading.x)) + " " + std::to_string(static_cast<int>(reading.y));
    if (text == shown) {
        return;
    }
    // The game took it since the last look, and about a second after the one before.
    double from = lastLookAt;
    double until = seen.at;
    if (!shown.empty()) {
        const double earliest = std::max(from, shownFrom + kLocationPause);
        const double latest = std::min(until, shownUntil + kLocationPause + kLongestFrame);
        if (earliest < latest) {
            from = earliest;
            until = latest;
        }
    }
    const Point where{middleOf(reading.x), middleOf(reading.y)};
    const double at = (from + until) / 2.0;
    // A glyph over a passing UFO or a flash may read wrong. Far from where the reckoning puts
    // the player, a location counts only when the next one read lies where a walk could take
    // the player from it.
    if (distance(where, reckonedAt(at)) > kLargestReckoningError) {
        const bool confirmed =
            doubted && at - doubtedAt >= kConfirmAfter &&
            distance(where, doubtedPoint) <= kRunSpeed * (at - doubtedAt) + kLargestReckoningError / 2;
        if (!confirmed) {
            if (!doubted || at - doubtedAt >= kConfirmAfter) {
                doubted = true;
                doubtedPoint = where;
                doubtedAt = at;
            }
            return;
        }
    }
    doubted = false;
    shown = text;
    shownFrom = from;
    shownUntil = until;
    shownPoint = where;
    if (from >= trustFrom) {
        anchorAt(shownPoint, at);
    }
}

void Player::anchorAt(const Point& where, double at) {
    anchor = where;
    anchoredAt = at;
    // The leg under way at that moment and those after it.
    size_t first = 0;
    while (first + 1 < legs.size() && legs[first + 1].at <= at) {
        ++first;
    }
    legs.erase(legs.begin(), legs.begin() + static_cast<long>(first));
    if (legs.empty()) {
        legs.push_back(Leg{at, yaw, speed});
    }
}

Point Player::reckonedAt(double at) const {
    Point where = anchor;
    for (size_t i = 0; i < legs.size(); ++i) {
        const double from = std::max(legs[i].at, anchoredAt);
        const double until = std::min(i + 1 < legs.size() ? legs[i + 1].at : at, at);
        if (until > from) {
            const double radians = legs[i].heading * M_PI / 180.0;
            where.x += legs[i].speed * (until - from) * std::cos(radians);
            where.y += legs[i].speed * (until - from) * std::sin(radians);
        }
    }
    return where;
}

Point Player::whereNow() const {
    return reckonedAt(now());
}

void Player::pace(double unitsPerSecond) {
    if (unitsPerSecond == speed) {
        return;
    }
    if (unitsPerSecond >= kRunSpeed) {
        hold("Shift_L");
        hold("w");
    } else if (unitsPerSecond > 0.0) {
        release("Shift_L");
        hold("w");
    } else {
        for (const char* key : {"w", "a", "Shift_L"}) {
            release(key);
        }
    }
    speed = unitsPerSecond;
    legs.push_back(Leg{now(), yaw, speed});
}

void Player::stop() {
    pace(0.0);
    for (const char* key : {"w", "a", "Shift_L"}) {
        release(key);
    }
}

void Player::turnTo(double degrees) {
    int pixels = static_cast<int>(std::lround(-normalised(degrees - yaw) * kMousePixelsPerDegree));
    yaw = normalised(yaw - pixels / kMousePixelsPerDegree);
    while (pixels != 0) {
        const int move = std::max(-kLargestMouseMove, std::min(kLargestMouseMove, pixels));
        game.moveMouseBy(move, 0);
        pixels -= move;
    }
    legs.push_back(Leg{now(), yaw, speed});
}

void Player::steer(double turn) {
    const double most = kTurnRate * std::min(1.0, now() - steeredAt);
    steeredAt = now();
    turnTo(yaw + std::max(-most, std::min(most, turn)));
}

void Player::walkOn(double degrees) {
    turnTo(degrees);
    if (speed == 0.0) {
        pace(kWalkSpeed);
    }
}

void Player::face(const Point& target) {
    turnTo(bearing(whereNow(), target));
}

void Player::press(const std::string& key) {
    game.key(key);
}

bool Player::respawn() {
    note("killed at %.1f %.1f; respawn", whereNow().x, whereNow().y);
    press("space");
    const double pressedAt = now();
    respawning = true;
    const bool back = step(
        "respawned", [this](const Screen& screen) { return lives(screen) == 5 && !dead(screen); }, kRespawnLimit);
    respawning = false;
    if (!back) {
        return false;
    }
    // The camera is put back by the rocket; readings from before belong to the last life.
    trustFrom = pressedAt;
    legs.clear();
    anchorAt(kLandedAt, pressedAt);
    livesFrom = 5;
    livesSeen = 5;
    return true;
}

bool Player::lookAlive(Look* seen, double deadline) {
    while (now() < deadline) {
        *seen = look();
        if (!seen->dead) {
            return true;
        }
        if (!respawn()) {
            return false;
        }
    }
    return false;
}

bool Player::freshLocation(Point* where, double seconds) {
    const double since = now();
    const double deadline = since + seconds;
    Look seen;
    while (lookAlive(&seen, deadline)) {
        if (shownFrom >= since) {
            *where = shownPoint;
            return true;
        }
    }
    game.fail("fresh location");
    return false;
}

bool Player::walkTo(const Point& target, double within, double seconds) {
    const double deadline = now() + seconds;
    Look seen;
    while (lookAlive(&seen, deadline)) {
        const Point here = whereNow();
        const double left = distance(here, target);
        if (left <= within) {
            return true;
        }
        const double turn = normalised(bearing(here, target) - yaw);
        steer(turn);
        pace(left > kRunFrom ? kRunSpeed : kWalkSpeed);
    }
    game.fail("walk to " + std::to_string(static_cast<int>(target.x)) + " " +
              std::to_string(static_cast<int>(target.y)));
    return false;
}

bool Player::run(const Errand& errand, double* firstTap) {
    const double deadline = now() + errand.seconds;
    double tapped = -1.0;
    double lastTap = -1.0;
    bool tappedSinceSeen = false;
    int missing = 0;
    double missingSince = 0.0;
    double previousLookAt = now();
    bool promptKept = false;
    Look seen;
    while (lookAlive(&seen, deadline)) {
        const Point here = whereNow();
        const double left = distance(here, errand.target);
        const double reckoned = bearing(here, errand.target);
        double heading = reckoned;
        const double column = errand.sight(seen.screen);
        bool sighted = false;
        if (column >= 0.0 && left < kSightFrom) {
            const double seenAt = seen.heading - std::atan((column - kCentreColumn) / kFocalPixels) * 180.0 / M_PI;
            // Near the target the screen decides; farther away only where it agrees with the
            // reckoning, whose error is a few units.
            const double agreeWithin = std::max(25.0, std::atan2(8.0, left) * 180.0 / M_PI);
            if (std::fabs(normalised(seenAt - reckoned)) < agreeWithin) {
                heading = seenAt;
                sighted = true;
            }
        }
        // Gone after a tap near it: not in sight where the player looks at its place from close by.
        const bool inView = left > kMissingFrom && left < kMissingUntil &&
                            std::fabs(normalised(reckoned - seen.heading)) < kMissingWithin;
        if (column >= 0.0) {
            missing = 0;
            tappedSinceSeen = false;
        } else if (inView && tappedSinceSeen && missing++ == 0) {
            missingSince = now();
        }
        const bool prompted = showsPrompt(seen.screen, errand.prompt);
        if (prompted && !promptKept) {
            game.keep(numbered("prompt " + errand.prompt));
            promptKept = true;
        }
        note("%s: shown %s, reckoned %.1f %.1f, %.1f left, heading %.0f, seen %s %.0f%s%s, look of %.2f s",
             errand.name.c_str(), shown.c_str(), here.x, here.y, left, yaw, sighted ? "at" : "no", column,
             prompted ? ", prompted" : "", missing > 0 ? ", missing" : "", now() - seen.at);
        if (errand.done(seen.screen, tapped) ||
            (errand.vanishes && missing >= kMissingLooks && now() - missingSince >= kMissingFor)) {
            note("%s", errand.name.c_str());
            game.keep(numbered(errand.name));
            if (firstTap != nullptr) {
                *firstTap = tapped;
            }
            return true;
        }
        const double turn = normalised(heading - yaw);
        // Past the target: on a little further, then round in a wide bend, never backing up.
        if (sighted || std::fabs(turn) < 100.0 || left > kComeBackFrom) {
            steer(turn);
        }
        pace(left > kRunFrom ? kRunSpeed : kWalkSpeed);
        // While the prompt shows, or well within reach with the target ahead, or within reach
        // when the looks come too slowly to catch the prompt: every tap plays a sound, and the
        // game drops a sound whose turn in its ring of sources comes while that source still
        // plays; no more taps than the facing tests.
        const bool ahead = sighted && std::fabs(column - kCentreColumn) < kAheadPixels;
        const bool slowLooks = seen.at - previousLookAt > kSlowLooks;
        previousLookAt = seen.at;
        const bool tap = prompted || (ahead && left < errand.reach - 1.0) || (slowLooks && left < errand.reach);
        if (tap && now() - lastTap >= kTapEvery) {
            if (tapped < 0.0) {
                tapped = now();
            }
            press(errand.key);
            lastTap = now();
            tappedSinceSeen = true;
        }
    }
    game.fail(errand.name);
    return false;
}

bool Player::heardSince(const std::string& sound, double since) const {
    const double span = std::max(now() - since + 1.0, 4.0);
    const Samples tail = game.captureTail(span);
    const double tailFrom = now() - static_cast<double>(tail.size()) / kSampleRate;
    for (double at : findPlays(tail, readWavSamples(testing_support::runPath(sound)))) {
        if (tailFrom + at >= since - 0.5) {
            return true;
        }
    }
    return false;
}

bool Player::takeCrystal(const std::string& levelFile, double* pickedAt) {
    Errand errand;
    errand.name = "crystal taken";
    errand.target = crystalOf(levelFile);
    errand.reach = 5.0;
    errand.key = "g";
    errand.prompt = kPickUpPrompt;
    errand.sight = crystalColumn;
    errand.vanishes = true;
    // The pick-up's sound, unless the game dropped it for want of a free source.
    errand.done = [this](const Screen&, double firstTap) {
        return firstTap >= 0.0 && heardSince("sounds/success.wav", firstTap);
    };
    return run(errand, pickedAt);
}

bool Player::leavePlanet(double* boardedAt) {
    Errand errand;
    errand.name = "rocket boarded";
    errand.target = kRocketAt;
    errand.reach = 10.0;
    errand.key = "m";
    errand.prompt = kTakeOffPrompt;
    errand.sight = rocketColumn;
    // The HUD hides while the camera follows the rocket up.
    errand.done = [this](const Screen& screen, double) {
        return showsScene(screen) && lives(screen) == 0 && !dead(screen);
    };
    const bool boarded = run(errand, boardedAt);
    stop();
    if (boarded) {
        endVisit();
    }
    return boarded;
}

void Player::note(const char* format, ...) {
    char line[300];
    va_list arguments;
    va_start(arguments, format);
    vsnprintf(line, sizeof(line), format, arguments);
    va_end(arguments);
    FILE* file = fopen((game.outputFolder() + "/player.log").c_str(), "a");
    if (file != nullptr) {
        fprintf(file, "%7.2f %s\n", now(), line);
        fclose(file);
    }
}

void Player::beginVisit(int livesOnLanding) {
    visitLost = 0;
    livesFrom = livesOnLanding;
    livesSeen = livesOnLanding;
}

void Player::countLives(const Look& seen) {
    if (seen.dead) {
        visitLost += livesFrom;
        livesFrom = 0;
        livesSeen = 0;
    } else if (seen.lives > 0) {
        livesSeen = seen.lives;
    }
}

void Player::endVisit() {
    visitLost += std::max(0, livesFrom - livesSeen);
    livesFrom = livesSeen;
    char line[200];
    snprintf(line, sizeof(line), "%s: %d lives lost\n", planet.c_str(), visitLost);
    lostReport += line;
    testing_support::writeFile(game.outputFolder() + "/lives lost.txt", lostReport);
    std::cout << line << std::flush;
}

}  // namespace e2e
