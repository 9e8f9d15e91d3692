// The messages carried by the mail box, each with one receiver.
#pragma once

#include <cstdint>

enum Message : int32_t {
    MESSAGE_PLAY_GAME_SOUND = 0,        // int payload: a game_sound value
    MESSAGE_PLAY_CONTINUOUS_SOUND = 1,  // string payload: the music's entry name
    MESSAGE_EXPLORE_BUTTON_CLICKED = 2,
    MESSAGE_PLAY_BUTTON_CLICKED = 3,
    MESSAGE_EXIT_GAME = 4,
    MESSAGE_PLAYER_HIT = 5,
};
