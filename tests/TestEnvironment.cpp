// Every test program starts with the environment its tests expect, unless
// the caller set a variable already: where the built program folder is, the
// source tree, the command-line tool, and the SDL and Qt platforms that need
// no sound card and no display.
#include <cstdlib>

namespace {

struct TestEnvironment {
    TestEnvironment()
    {
        setenv("BM_DIST_DIR", BM_TEST_DIST_DIR, 0);
        setenv("BM_SOURCE_DIR", BM_TEST_SOURCE_DIR, 0);
        setenv("BM_CLI", BM_TEST_DIST_DIR "/brickmelody-cli", 0);
        setenv("SDL_AUDIODRIVER", "dummy", 0);
        setenv("QT_QPA_PLATFORM", "offscreen", 0);
    }
};

const TestEnvironment environment;

} // namespace
