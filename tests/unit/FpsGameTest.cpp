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
    const struct {
        int lives, hits, expected;
    } cases[] = {{5, 1, 4}, {5, 5, 0}, {5, 8, 0}, {0, 1, 0}, {-1, 2, -1}};
    for (const auto& c : cases) {
        FpsGame game;
        game.setLives(c.lives);
        send(MESSAGE_PLAYER_HIT, c.hits);
        EXPECT_EQ(game.getLives(), c.expected) << c.lives << " lives, " << c.hits << " hits";
    }
}

// The first registration wins, so a game object left registered after its deletion would
// take every message meant for the next one.
TEST(FpsGame, AGameObjectGoneReceivesNothing) {
    { FpsGame first; }
    FpsGame second;
    send(MESSAGE_EXIT_GAME);
    send(MESSAGE_PLAYER_HIT);
    EXPECT_TRUE(second.isExitRequested());
    EXPECT_EQ(second.getLives(), 4);
    EXPECT_STREQ(second.whoIsThere(), "FpsGame");
}

TEST(ArtefactManager, CountsEachLevelOnceAgainstItsTotal) {
    ArtefactManager artefacts(3);
    EXPECT_FALSE(artefacts.allArtefactsFound());
    EXPECT_EQ(artefacts.getNumArtefactsFound(), 0);
    artefacts.markArtefactFound("levels/system_1/s1p1.json");
    artefacts.markArtefactFound("levels/system_1/s1p1.json");
    EXPECT_EQ(artefacts.getNumArtefactsFound(), 1);
    EXPECT_TRUE(artefacts.isArtefactFound("levels/system_1/s1p1.json"));
    EXPECT_FALSE(artefacts.isArtefactFound("levels/system_1/s1p2.json"));
    artefacts.markArtefactFound("levels/system_1/s1p2.json");
    EXPECT_FALSE(artefacts.allArtefactsFound());
    artefacts.markArtefactFound("levels/system_1/s1p3.json");
    EXPECT_TRUE(artefacts.allArtefactsFound());
    // The solar system's own count replaces the total the game started with.
    artefacts.total = 9;
    EXPECT_EQ(artefacts.getNumArtefactsTotal(), 9);
    EXPECT_FALSE(artefacts.allArtefactsFound());
}
