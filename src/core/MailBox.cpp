#include "core/MailBox.h"

#include <algorithm>

#include "core/Log.h"
#include "core/MessagePayload.h"

MailBox* MailBox::getInstance() {
    static MailBox instance;
    return &instance;
}

void MailBox::registerReceiver(MessageReceiver* receiver, Message message) {
    registrations_.push_back({receiver, message});
}

void MailBox::removeReceiver(MessageReceiver* receiver) {
    registrations_.erase(std::remove_if(registrations_.begin(), registrations_.end(),
                                        [receiver](const ReceiverRegistration& registration) {
                                            return registration.receiver == receiver;
                                        }),
                         registrations_.end());
}

bool MailBox::sendMessage(Message message, MessagePayload* payload) {
    // Copy the receiver out first: a receiver may register or remove others while it runs.
    MessageReceiver* receiver = nullptr;
    for (const ReceiverRegistration& registration : registrations_) {
        if (registration.message == message) {
            receiver = registration.receiver;
            break;
        }
    }
    if (receiver != nullptr) {
        receiver->handleMessage(message, payload);
    }
    delete payload;
    return receiver != nullptr;
}

void MailBox::clear() {
    registrations_.clear();
}

const char* MailBox::msgToStr(Message message) {
    switch (message) {
        case MESSAGE_PLAY_GAME_SOUND: return "MESSAGE_PLAY_GAME_SOUND";
        case MESSAGE_PLAY_CONTINUOUS_SOUND: return "MESSAGE_PLAY_CONTINUOUS_SOUND";
        case MESSAGE_EXPLORE_BUTTON_CLICKED: return "MESSAGE_EXPLORE_BUTTON_CLICKED";
        case MESSAGE_PLAY_BUTTON_CLICKED: return "MESSAGE_PLAY_BUTTON_CLICKED";
        case MESSAGE_EXIT_GAME: return "MESSAGE_EXIT_GAME";
        case MESSAGE_PLAYER_HIT: return "MESSAGE_PLAYER_HIT";
    }
    LOG_WARNING("Unknown message %d", static_cast<int>(message));
    return "Unknown message";
}
