#include "game/FrameInput.h"

bool FrameInput::isHeld(SDL_Scancode key) const {
    const auto index = static_cast<size_t>(key);
    return index < keys.size() && keys[index] != 0;
}

void read_frame_input(FrameInput* input) {
    input->ticks = SDL_GetTicks();
    SDL_PumpEvents();
    int keyCount = 0;
    const uint8_t* keys = SDL_GetKeyboardState(&keyCount);
    input->keys.assign(keys, keys + keyCount);
    SDL_GetMouseState(&input->mouseX, &input->mouseY);
    input->events.clear();
    SDL_Event event;
    // Only what the one pump queued: events arriving while the frame runs wait for the next.
    while (SDL_PeepEvents(&event, 1, SDL_GETEVENT, SDL_FIRSTEVENT, SDL_LASTEVENT) > 0) {
        input->events.push_back(event);
    }
}
