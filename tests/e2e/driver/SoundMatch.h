// Finds where a sound of the package plays in what the sound device mixed, so a test can
// tell what the player heard and when.
#pragma once

#include <vector>

#include "WavSamples.h"

namespace e2e {

// The times (seconds from the capture's start) at which sound starts playing in the
// capture, over whatever else is mixed in: the normalised cross-correlation of the sound
// with the capture peaks there, and the gain fitted at the peak is the one it plays with.
// Sounds longer than two seconds are matched by their first two.
std::vector<double> findPlays(const Samples& capture, const Samples& sound);

}  // namespace e2e
