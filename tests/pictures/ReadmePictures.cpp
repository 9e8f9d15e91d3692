// Takes the README's pictures from the real game, played with real input the way the
// end-to-end tests play it: a planet picked on the star map, the player on foot facing the
// crystal with UFOs about, and the pause menu. Writes small JPEG files into the folder given
// (docs/ of the source tree by default); scripts/pictures builds and runs it.
#include <stb_image_write.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <string>
#include <thread>

#include "GameSession.h"
#include "Player.h"
#include "support/RunAssets.h"

namespace {

const char* const kPlanet = "levels/system_1/s1p3.json";
const int kQuality = 85;
const double kCrystalDistance = 32.0;  // close enough to see it, far enough to see UFOs about it
const int kLookUp = 50;                // pixels of mouse motion down: the view tilts up a little

bool save(const e2e::Screen& screen, const std::string& path) {
    const bool written = !screen.empty() &&
                         stbi_write_jpg(path.c_str(), screen.width, screen.height, 3, screen.rgb.data(), kQuality) != 0;
    std::printf("%s %s\n", written ? "wrote" : "could not write", path.c_str());
    return written;
}

void pause(double seconds) {
    std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
}

}  // namespace

int main(int argc, char** argv) {
    const std::string folder = argc > 1 ? argv[1] : std::string(QUENLOW_SOURCE_DIR) + "/docs";
    e2e::GameSession game("readme", "pictures");
    e2e::Player player(game);
    if (!game.start("", true) || !game.waitForWindow(60) || !player.waitForStarMap("star map") ||
        !player.pickPlanet(kPlanet)) {
        return 1;
    }
    // The camera follows the picked planet in.
    pause(4.0);
    if (!save(player.screen(), folder + "/star-map.jpg") || !player.explore() || !player.land()) {
        return 1;
    }

    const testing_support::JsonTree level = testing_support::readRunJson(kPlanet);
    const e2e::Point crystal{
        testing_support::jsonNumber(testing_support::jsonMember(level.get(), "artefactPositionX")),
        testing_support::jsonNumber(testing_support::jsonMember(level.get(), "artefactPositionY"))};
    const e2e::Point here = player.whereNow();
    const double away = std::hypot(crystal.x - here.x, crystal.y - here.y);
    const e2e::Point lookout{crystal.x - (crystal.x - here.x) / away * kCrystalDistance,
                             crystal.y - (crystal.y - here.y) / away * kCrystalDistance};
    if (!player.walkTo(lookout, 3.0)) {
        return 1;
    }
    // Still for the picture.
    player.stop();
    player.face(crystal);
    game.moveMouseBy(0, kLookUp);
    pause(1.5);
    if (!save(player.screen(), folder + "/planet.jpg")) {
        return 1;
    }

    player.press("Escape");
    if (!player.step(
            "pause menu",
            [](const e2e::Screen& screen) { return e2e::showsImage(screen, "textures/exit_button.png", 537, 144); },
            60) ||
        !save(player.screen(), folder + "/pause-menu.jpg")) {
        return 1;
    }
    game.moveMouse(640, 720 - 179);
    game.click();
    return game.waitForExit(60) == 0 ? 0 : 1;
}
