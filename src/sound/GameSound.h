// The game's short sounds, each an index into the sound system's table of entries.
#pragma once

enum game_sound : int {
    SOUND_GUN_1 = 0,
    SOUND_GUN_2,
    SOUND_TAKEOFF,
    SOUND_UI_BLIPP,
    SOUND_UI_BLIPP2,
    SOUND_UI_BLIPP3,
    SOUND_NEGATIVE,
    SOUND_SUCCESS,
    SOUND_LASER,
    SOUND_EXPLOSION_1,
    SOUND_DAMAGE_TAKEN_1,
    SOUND_PLAYER_DEATH,
    SOUND_FOOTSTEP1,
    SOUND_FOOTSTEP2,
    SOUND_FOOTSTEP3,
    SOUND_FOOTSTEP4,
    SOUND_FOOTSTEP5,
    SOUND_JUMP,
    SOUND_NONE,  // plays nothing and succeeds
};

// Asks whoever plays the game's sounds for one, through the mail box: objects that do not
// own the sound system play theirs this way.
void send_game_sound(game_sound sound);
