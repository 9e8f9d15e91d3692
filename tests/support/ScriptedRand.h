// rand() scripted for a test: while a ScriptedRand lives, every call of the C library's rand
// (the game's own included, since this definition is linked into the test executable) takes
// the script's next value and is counted, and 0 once the script is used up; otherwise calls go
// to the C library, so the other tests of the executable still see the real generator.
#pragma once

#include <deque>

namespace testing_support {

class ScriptedRand {
public:
    explicit ScriptedRand(std::deque<int> values);
    ~ScriptedRand();
    ScriptedRand(const ScriptedRand&) = delete;
    ScriptedRand& operator=(const ScriptedRand&) = delete;

    // rand() calls since the script was loaded.
    int draws() const;
};

}  // namespace testing_support
