// The game object's bookkeeping: lives and flags through the mail box, and which artefacts
// are found.
#include <gtest/gtest.h>

#include "core/MailBox.h"
#include "game/ArtefactManager.h"
#include "game/FpsGame.h"

namespace {

void send(Message message, int times = 1) {
    for (int i = 0; i < times; ++i) {
        MailBox::getInstance()->sendMessage(message, nullptr);
    }
}

}  // namespace

TEST(FpsGame, HitsTakeOneLifeEachButNeverBelowZero) {
    // Lives, hits, lives left.
    for (const auto& [lives, hits, left] : {std::tuple(5, 1, 4), {5, 5, 0}, {5, 8, 0}, {0, 1, 0}, {-1, 2, -1}}) {
        FpsGame game;
        game.setLives(lives);
        send(MESSAGE_PLAYER_HIT, hits);
        EXPECT_EQ(game.getLives(), left) << lives << " lives, " << hits << " hits";
    }
}

// The first registration wins, so a game object left registered after its deletion would
// take every message meant for the next one.
TEST(FpsGame, AGameObjectGoneReceivesNothing) {
    { FpsGame first; }
    FpsGame second;
    send(MESSAGE_EXIT_GAME);
    send(MESSAGE_PLAYER_HIT);
    EXPECT_TRUE(second.isExitRequested() && second.getLives() == 4);
}

// A level found twice counts once; the solar system's own count replaces the starting total.
TEST(ArtefactManager, CountsEachLevelOnceAgainstItsTotal) {
    ArtefactManager artefacts(2);
    for (const char* level : {"levels/system_1/s1p1.json", "levels/system_1/s1p1.json"}) {
        EXPECT_FALSE(artefacts.allArtefactsFound());
        artefacts.markArtefactFound(level);
    }
    EXPECT_TRUE(artefacts.getNumArtefactsFound() == 1 && !artefacts.isArtefactFound("levels/system_1/s1p2.json"));
    artefacts.markArtefactFound("levels/system_1/s1p2.json");
    EXPECT_TRUE(artefacts.allArtefactsFound() && artefacts.isArtefactFound("levels/system_1/s1p1.json"));
    artefacts.total = 9;
    EXPECT_FALSE(artefacts.allArtefactsFound());
}
