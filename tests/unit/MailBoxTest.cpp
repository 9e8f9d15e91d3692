// The mail box between the game's objects, and the game object's bookkeeping through it:
// lives and flags, and which artefacts are found.
#include <gtest/gtest.h>

#include "core/MailBox.h"
#include "core/MessagePayload.h"
#include "game/ArtefactManager.h"
#include "game/FpsGame.h"
#include "support/TestSupport.h"

namespace {

// Records what it receives; the payload is read while the mail box still owns it.
struct Recorder : MessageReceiver {
    explicit Recorder(std::string name) : name(std::move(name)) {}
    void handleMessage(Message message, MessagePayload* payload) override {
        calls.push_back(
            name + ":" + std::to_string(message) +
            (payload != nullptr ? ":" + payload->getString() + "/" + std::to_string(payload->getInt()) : ""));
    }
    const char* whoIsThere() override { return "Recorder"; }
    std::string name;
    std::vector<std::string> calls;
};

MessagePayload* payloadWith(const std::string& text, int value) {
    auto* payload = new MessagePayload();
    payload->setString(text);
    payload->setInt(value);
    return payload;
}

using Calls = std::vector<std::string>;

// The first receiver registered for a message takes it, once however often it registered;
// removing one drops all its entries and keeps the others in order. The sanitizer build's
// leak check proves each payload is freed, taken or not.
TEST(MailBox, TheFirstReceiverRegisteredTakesTheMessage) {
    MailBox* box = MailBox::getInstance();
    box->clear();
    Recorder a("a"), b("b"), c("c"), stranger("stranger");
    for (const auto& [receiver, message] : {std::pair(&a, MESSAGE_PLAY_GAME_SOUND),
                                            {&a, MESSAGE_PLAY_GAME_SOUND},
                                            {&b, MESSAGE_PLAY_GAME_SOUND},
                                            {&a, MESSAGE_PLAYER_HIT},
                                            {&c, MESSAGE_PLAYER_HIT},
                                            {&a, MESSAGE_EXIT_GAME},
                                            {&b, MESSAGE_EXIT_GAME},
                                            {&c, MESSAGE_EXIT_GAME}}) {
        box->registerReceiver(receiver, message);
    }
    EXPECT_TRUE(box->sendMessage(MESSAGE_PLAY_GAME_SOUND, payloadWith("x", 7)));
    EXPECT_FALSE(box->sendMessage(MESSAGE_PLAY_CONTINUOUS_SOUND, payloadWith("nobody", 1)));
    EXPECT_EQ(a.calls, Calls{"a:0:x/7"});
    box->removeReceiver(&stranger);
    box->removeReceiver(&a);
    for (Message message : {MESSAGE_PLAY_GAME_SOUND, MESSAGE_PLAYER_HIT, MESSAGE_EXIT_GAME}) {
        EXPECT_TRUE(box->sendMessage(message, nullptr));
    }
    EXPECT_EQ(a.calls.size(), 1u);
    EXPECT_EQ(b.calls, (Calls{"b:0", "b:4"}));
    EXPECT_EQ(c.calls, Calls{"c:5"});
    box->clear();
}

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

TEST(MailBox, NamesMessagesAndWarnsOnUnknownOnes) {
    MailBox* box = MailBox::getInstance();
    EXPECT_STREQ(box->msgToStr(MESSAGE_PLAY_GAME_SOUND), "MESSAGE_PLAY_GAME_SOUND");
    EXPECT_STREQ(box->msgToStr(MESSAGE_PLAYER_HIT), "MESSAGE_PLAYER_HIT");
    testing_support::CapturedStdout out;
    EXPECT_STREQ(box->msgToStr(static_cast<Message>(6)), "Unknown message");
    const std::string text = out.finish();
    EXPECT_EQ(text.rfind("[WARNING] [", 0), 0u) << text;
    EXPECT_NE(text.find("] Unknown message 6\n"), std::string::npos) << text;
}

TEST(MessagePayload, StartsEmptyAndStoresEachFieldUnchanged) {
    MessagePayload payload;
    EXPECT_TRUE(payload.getString().empty() && payload.getInt() == 0 && payload.getDouble() == 0.0 &&
                payload.getCustom() == nullptr);
    int target = 0;
    payload.setString("levels/system_1/s1p3.json");
    payload.setInt(-17);
    payload.setDouble(2.5);
    payload.setCustom(&target);
    EXPECT_EQ(payload.getString(), "levels/system_1/s1p3.json");
    EXPECT_EQ(payload.getInt(), -17);
    EXPECT_EQ(payload.getDouble(), 2.5);
    EXPECT_EQ(payload.getCustom(), &target);
}
