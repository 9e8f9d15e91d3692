#include "support/ScriptedRand.h"

#include <dlfcn.h>

#include <utility>

namespace {
std::deque<int> gScript;
bool gScripted = false;
int gDraws = 0;
}  // namespace

namespace testing_support {

ScriptedRand::ScriptedRand(std::deque<int> values) {
    gScript = std::move(values);
    gScripted = true;
    gDraws = 0;
}

ScriptedRand::~ScriptedRand() {
    gScripted = false;
    gScript.clear();
}

int ScriptedRand::draws() const {
    return gDraws;
}

}  // namespace testing_support

extern "C" int rand() {
    if (gScripted) {
        ++gDraws;
        if (gScript.empty()) {
            return 0;
        }
        const int value = gScript.front();
        gScript.pop_front();
        return value;
    }
    using RandFunction = int (*)();
    static auto realRand = reinterpret_cast<RandFunction>(dlsym(RTLD_NEXT, "rand"));
    return realRand();
}
