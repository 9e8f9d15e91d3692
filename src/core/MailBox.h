// Process-wide registry of (receiver, message) pairs. A message goes at once to the first
// receiver registered for it; the payload is deleted after delivery, or when nobody takes it.
#pragma once

#include <vector>

#include "core/Message.h"
#include "core/MessageReceiver.h"

class MessagePayload;

class MailBox {
public:
    struct ReceiverRegistration {
        MessageReceiver* receiver;
        Message message;
    };

    static MailBox* getInstance();

    void registerReceiver(MessageReceiver* receiver, Message message);
    void removeReceiver(MessageReceiver* receiver);
    bool sendMessage(Message message, MessagePayload* payload);
    void clear();
    const char* msgToStr(Message message);

private:
    MailBox() = default;
    std::vector<ReceiverRegistration> registrations_;
};
