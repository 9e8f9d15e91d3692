// Ctrl+C and SIGTERM end the game through its ordinary shutdown. SDL would turn both into
// its quit event, which the frame loops ignore because the window's close button must not
// end the game; so SDL's own handlers stay off and ours only note the signal, which the
// frame loops read between frames. Once the game has shut down, the process ends by the
// same signal, as command-line programs do.
#pragma once

// Catches SIGINT and SIGTERM from now on. The handlers reset themselves when they run: a
// second signal of the same kind ends a game whose shutdown hangs.
void install_stop_signal_handlers();

// The number of the first stop signal caught, 0 while none was.
int stop_signal();

// When a stop signal was caught: restores that signal's default action and raises it again,
// which ends the process by it. Returns only when none was caught.
void end_by_stop_signal();
