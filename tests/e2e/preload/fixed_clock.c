/* Preloaded into the game by the play-through tests: the C library's clock stands still at
 * one moment, so everything the game seeds from it (the planets' places on the star map, the
 * UFOs' spawn places) repeats from run to run. */
#include <time.h>

time_t time(time_t* result) {
    /* A moment at which every UFO of the first planet starts far from the landing place. */
    const time_t fixed = 1700000268;
    if (result != NULL) {
        *result = fixed;
    }
    return fixed;
}
