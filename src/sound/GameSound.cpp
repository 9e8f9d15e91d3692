#include "sound/GameSound.h"

#include "core/MailBox.h"
#include "core/MessagePayload.h"

void send_game_sound(game_sound sound) {
    auto* payload = new MessagePayload();
    payload->setInt(sound);
    MailBox::getInstance()->sendMessage(MESSAGE_PLAY_GAME_SOUND, payload);
}
