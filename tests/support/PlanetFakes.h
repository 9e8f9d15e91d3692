// Stand-ins for the planet around the enemies and projectiles: terrain from a height function
// (line of sight sampled along the line), and a log of the messages sent.
#pragma once

#include <functional>
#include <initializer_list>
#include <utility>
#include <vector>

#include "core/MailBox.h"
#include "core/MessagePayload.h"
#include "render/LevelQuery.h"

namespace testing_support {

struct FakeTerrain : LevelQuery {
    float getElevation(const glm::vec3& p) override { return height(p.x, p.y); }
    float getElevation(float x, float y) override { return height(x, y); }
    glm::vec3 getNormal(const glm::vec3&) override { return glm::vec3(0.0f, 0.0f, -1.0f); }
    glm::vec3 getNormal(float, float) override { return glm::vec3(0.0f, 0.0f, -1.0f); }
    bool los(const glm::vec3& from, const glm::vec3& to, glm::vec3*) override {
        for (float t = 0.0f; t < 1.0f; t += 0.01f) {
            if (isCollision(from + t * (to - from))) {
                return false;
            }
        }
        return true;
    }
    bool isCollision(const glm::vec3& p) override { return height(p.x, p.y) > p.z; }
    std::function<float(float, float)> height = [](float, float) { return 0.0f; };
};

// The messages sent (by default the game sounds and player hits), with their int payload (-1
// without one).
struct MessageLog : MessageReceiver, std::vector<std::pair<Message, int>> {
    explicit MessageLog(std::initializer_list<Message> messages = {MESSAGE_PLAY_GAME_SOUND, MESSAGE_PLAYER_HIT}) {
        for (Message message : messages) {
            MailBox::getInstance()->registerReceiver(this, message);
        }
    }
    ~MessageLog() override { MailBox::getInstance()->removeReceiver(this); }
    void handleMessage(Message message, MessagePayload* payload) override {
        emplace_back(message, payload != nullptr ? payload->getInt() : -1);
    }
    const char* whoIsThere() override { return "MessageLog"; }
};

}  // namespace testing_support
