// Shared by the drawable tests: small images encoded in memory, the real shader sources,
// and a package of them made in a fresh folder that becomes the working directory.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "support/GlWindow.h"
#include "support/TestSupport.h"

namespace render_test {

using testing_support::bmpBytes;
using testing_support::pngBytes;

// The hand-written source of entry (e.g. "shaders/text.vs") from the source tree.
std::string assetSource(const std::string& entry);

// A package of the game's basicortho and text shaders plus extra entries, made in a
// temporary folder that is the working directory while the object lives.
class PackageFolder {
public:
    explicit PackageFolder(const testing_support::Entries& extra);
    bool ok() const { return built; }
    const std::string& path() const { return dir.path(); }

private:
    testing_support::TempDir dir;
    bool built = false;
    std::unique_ptr<testing_support::ScopedWorkingDirectory> inside;
};

// Expects the window pixel at (x, y) to show colour within tolerance, naming what it shows on failure.
void expectColour(int x, int y, const testing_support::Rgba& colour, int tolerance = 3);

// Passes when some line of log ends in tag + time stamp + "] " + text.
testing::AssertionResult hasLogLine(const std::string& log, const std::string& text, const char* tag = "  [ERROR] [");

// Clears the whole window to one opaque colour, depth test on as the frame loops leave it.
void clearWindow(float r, float g, float b);

}  // namespace render_test
