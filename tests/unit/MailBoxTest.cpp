#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/MailBox.h"
#include "core/MessagePayload.h"
#include "support/TestSupport.h"

namespace {

// Records what it receives; the payload is read while the mail box still owns it.
class RecordingReceiver : public MessageReceiver {
public:
    explicit RecordingReceiver(std::string name) : name_(std::move(name)) {}
    void handleMessage(Message message, MessagePayload* payload) override {
        calls.push_back(name_ + ":" + std::to_string(message) + ":" +
                        (payload != nullptr ? payload->getString() + "/" + std::to_string(payload->getInt()) : "null"));
    }
    const char* whoIsThere() override { return "RecordingReceiver"; }
    std::vector<std::string> calls;

private:
    std::string name_;
};

class MailBoxTest : public ::testing::Test {
protected:
    void SetUp() override { MailBox::getInstance()->clear(); }
    void TearDown() override { MailBox::getInstance()->clear(); }
    MailBox* box = MailBox::getInstance();
};

MessagePayload* payloadWith(const std::string& text, int value) {
    auto* payload = new MessagePayload();
    payload->setString(text);
    payload->setInt(value);
    return payload;
}

}  // namespace

TEST_F(MailBoxTest, TheFirstReceiverRegisteredWins) {
    RecordingReceiver first("first");
    RecordingReceiver second("second");
    box->registerReceiver(&first, MESSAGE_EXIT_GAME);
    box->registerReceiver(&first, MESSAGE_EXIT_GAME);  // twice: still one call per message
    box->registerReceiver(&second, MESSAGE_EXIT_GAME);

    EXPECT_TRUE(box->sendMessage(MESSAGE_EXIT_GAME, nullptr));
    EXPECT_EQ(first.calls, std::vector<std::string>{"first:4:null"});
    EXPECT_TRUE(second.calls.empty());

    box->removeReceiver(&first);
    EXPECT_TRUE(box->sendMessage(MESSAGE_EXIT_GAME, payloadWith("x", 7)));
    EXPECT_EQ(second.calls, std::vector<std::string>{"second:4:x/7"});
    EXPECT_EQ(first.calls.size(), 1u);
}

TEST_F(MailBoxTest, RemovingAReceiverDropsAllItsEntriesAndKeepsTheOthersInOrder) {
    RecordingReceiver a("a");
    RecordingReceiver b("b");
    RecordingReceiver c("c");
    box->registerReceiver(&a, MESSAGE_PLAY_GAME_SOUND);
    box->registerReceiver(&b, MESSAGE_PLAY_GAME_SOUND);
    box->registerReceiver(&a, MESSAGE_PLAYER_HIT);
    box->registerReceiver(&c, MESSAGE_PLAYER_HIT);
    box->registerReceiver(&a, MESSAGE_EXIT_GAME);
    box->registerReceiver(&b, MESSAGE_EXIT_GAME);
    box->registerReceiver(&c, MESSAGE_EXIT_GAME);

    RecordingReceiver stranger("stranger");
    box->removeReceiver(&stranger);
    box->removeReceiver(&a);
    box->sendMessage(MESSAGE_PLAY_GAME_SOUND, nullptr);
    box->sendMessage(MESSAGE_PLAYER_HIT, nullptr);
    box->sendMessage(MESSAGE_EXIT_GAME, nullptr);
    EXPECT_TRUE(a.calls.empty());
    EXPECT_EQ(b.calls, (std::vector<std::string>{"b:0:null", "b:4:null"}));
    EXPECT_EQ(c.calls, std::vector<std::string>{"c:5:null"});
}

// The sanitizer build's leak check proves both payloads are freed.
TEST_F(MailBoxTest, PayloadIsFreedWhetherOrNotSomebodyTakesIt) {
    RecordingReceiver sound("sound");
    box->registerReceiver(&sound, MESSAGE_PLAY_CONTINUOUS_SOUND);
    EXPECT_TRUE(box->sendMessage(MESSAGE_PLAY_CONTINUOUS_SOUND, payloadWith("sounds/background_3.wav", 0)));
    EXPECT_FALSE(box->sendMessage(MESSAGE_PLAYER_HIT, payloadWith("nobody", 1)));
    EXPECT_EQ(sound.calls, std::vector<std::string>{"sound:1:sounds/background_3.wav/0"});
}

TEST_F(MailBoxTest, NamesMessagesAndWarnsOnUnknownOnes) {
    EXPECT_STREQ(box->msgToStr(MESSAGE_PLAY_GAME_SOUND), "MESSAGE_PLAY_GAME_SOUND");
    EXPECT_STREQ(box->msgToStr(MESSAGE_PLAYER_HIT), "MESSAGE_PLAYER_HIT");
    testing_support::CapturedStdout out;
    EXPECT_STREQ(box->msgToStr(static_cast<Message>(6)), "Unknown message");
    const std::string text = out.finish();
    EXPECT_EQ(text.rfind("[WARNING] [", 0), 0u) << text;
    EXPECT_NE(text.find("] Unknown message 6\n"), std::string::npos) << text;
}

TEST(MessagePayload, StoresEachFieldUnchanged) {
    MessagePayload payload;
    EXPECT_EQ(payload.getString(), "");
    EXPECT_EQ(payload.getInt(), 0);
    EXPECT_EQ(payload.getDouble(), 0.0);
    EXPECT_EQ(payload.getCustom(), nullptr);
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
