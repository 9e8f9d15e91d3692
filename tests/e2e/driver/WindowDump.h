// Reads the window dumps GameSession::grab takes with xwd into screenshots.
#pragma once

#include <string>

#include "ScreenChecks.h"

namespace e2e {

// A dump as xwd writes it from a true-colour visual of 32 bits a pixel; false, with the screen
// untouched, for anything else or a dump cut short.
bool decodeWindowDump(const std::string& bytes, Screen* screen);

}  // namespace e2e
