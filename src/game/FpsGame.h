// The game object: runs the views' frame loops on the window it is given. This first form
// only owns the window's time; the views arrive with the game itself.
#pragma once

struct SDL_Window;

class FpsGame {
public:
    FpsGame();
    virtual ~FpsGame();
    FpsGame(const FpsGame&) = delete;
    FpsGame& operator=(const FpsGame&) = delete;

    // Runs the game on the calling thread; the result becomes the exit status.
    int gameLoop(SDL_Window* window);
};
