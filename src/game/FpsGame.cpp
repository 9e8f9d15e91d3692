#include "game/FpsGame.h"

FpsGame::FpsGame() = default;

FpsGame::~FpsGame() = default;

int FpsGame::gameLoop(SDL_Window* /*window*/) {
    return 0;
}
