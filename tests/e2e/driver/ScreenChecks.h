// A screenshot of the game's window and what the tests look for on it: colours within a
// tolerance, the package's own pictures where the HUD puts them, and whether a scene was
// drawn at all. The screenshots come from GameSession::grab.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace e2e {

// A screenshot of the window: RGB, rows from the top, as a person sees it.
struct Screen {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> rgb;

    bool empty() const { return rgb.empty(); }
    const uint8_t* at(int x, int y) const { return &rgb[(static_cast<size_t>(y) * width + x) * 3]; }
    // Pixels of the box (top left x, y) for which the test holds.
    int count(int x, int y, int w, int h, const std::function<bool(const uint8_t*)>& test) const;
    bool save(const std::string& path) const;
};

bool isWhite(const uint8_t* pixel);
bool isColour(const uint8_t* pixel, int r, int g, int b, int tolerance = 4);
// The package's picture at its place in the window (lower left corner x, y from the bottom,
// as the HUD places it), drawn 1:1: most of its opaque texels within the tolerance.
bool showsImage(const Screen& screen, const std::string& entry, int x, int y, int tolerance = 6);
// Neither the frame's clear colour anywhere nor one flat colour: a scene was drawn.
bool showsScene(const Screen& screen);

}  // namespace e2e
