// What one frame of a view reads from SDL, gathered in one place so that the view's step
// works on this record alone: the frame loop fills it from SDL, a test fills it by script.
#pragma once

#include <cstdint>
#include <vector>

#include <SDL2/SDL.h>

struct FrameInput {
    uint32_t ticks = 0;  // SDL_GetTicks() at the frame's start, milliseconds
    // The cursor in window pixels, origin at the top left as SDL gives it.
    int mouseX = 0;
    int mouseY = 0;
    // The frame's events, oldest first.
    std::vector<SDL_Event> events;
    // Held keys, indexed by scancode; a missing entry counts as released.
    std::vector<uint8_t> keys;

    bool isHeld(SDL_Scancode key) const;
};

// Fills input from SDL: the ticks, pending events pumped once, the held keys, the cursor
// and every queued event.
void read_frame_input(FrameInput* input);
