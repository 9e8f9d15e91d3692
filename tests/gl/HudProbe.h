// Read-back probes for what the HUD drew: whether a picture of the package stands at its
// place, and how much white text lies in a box.
#pragma once

#include <string>

namespace hud_test {

// The share of the image's opaque texels that the window shows at their place, the image
// drawn 1:1 with its lower left corner at (x, y) (loaded flipped, as the HUD loads it).
double imageShown(const std::string& entry, int x, int y);
bool imageVisible(const std::string& entry, int x, int y);
bool imageAbsent(const std::string& entry, int x, int y);
// Pixels of the box (lower left x, y) that are nearly white.
int whitePixels(int x, int y, int width, int height);

}  // namespace hud_test
