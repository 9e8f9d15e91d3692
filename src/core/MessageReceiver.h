// What the mail box delivers to: one call per message, on the sender's stack.
#pragma once

#include "core/Message.h"

class MessagePayload;

class MessageReceiver {
public:
    // payload may be null; the receiver neither keeps nor deletes it.
    virtual void handleMessage(Message message, MessagePayload* payload) = 0;
    // The implementing class's name.
    virtual const char* whoIsThere() = 0;
    virtual ~MessageReceiver() = default;
};
