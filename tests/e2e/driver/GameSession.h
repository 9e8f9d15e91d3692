// Plays the real game the way a person does: its own Xvfb server, the quenlow binary in a
// folder of its own with OpenAL writing everything it plays to a WAV file, real input through
// XTest (xdotool), screenshots of the window (import), and waits on what the screen shows.
// A failed step leaves its screenshot, the sound capture and the log in
// build/test-output/<group>/<session>/, named after the step.
#pragma once

#include <sys/types.h>

#include <chrono>
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

// 16-bit mono samples at 11025 Hz, as the game's sounds and the capture are stored.
using Samples = std::vector<int16_t>;
constexpr double kSampleRate = 11025.0;
Samples readWavSamples(const std::string& path);
// The times (seconds from the capture's start) at which sound starts playing in the
// capture, over whatever else is mixed in: the normalised cross-correlation of the sound
// with the capture peaks there, and the gain fitted at the peak is the one it plays with.
// Sounds longer than two seconds are matched by their first two.
std::vector<double> findPlays(const Samples& capture, const Samples& sound);

class GameSession {
public:
    // name: the folder of this session's pictures, capture and log under build/test-output/e2e.
    // group: the folder under build/test-output that holds the session's folder.
    explicit GameSession(std::string name, const std::string& group = "e2e");
    ~GameSession();
    GameSession(const GameSession&) = delete;
    GameSession& operator=(const GameSession&) = delete;

    // Starts the X server and the game on the package (the run folder's by default). With
    // fixedClock the game runs with the preloaded library that stops the C library's clock,
    // so everything it seeds from the time repeats from run to run.
    bool start(const std::string& package = "", bool fixedClock = false);
    // The game's window, once it is shown; false after the limit.
    bool waitForWindow(double seconds);

    Screen grab();
    // When the last screenshot was taken (seconds since the start): halfway through the grab.
    double lastGrabAt() const { return grabbedAt; }
    // Grabs until the condition holds for a screenshot; on time-out records the step as failed.
    bool waitFor(const std::string& step, const std::function<bool(const Screen&)>& condition, double seconds);
    // The last screenshot taken, saved under the step's name for people to look at.
    void keep(const std::string& step);

    // Real input. Positions are window pixels from the top left. A key tap and a click hold
    // the key or button for a tenth of a second, as a person's do.
    void key(const std::string& name);
    void keyDown(const std::string& name);
    void keyUp(const std::string& name);
    void moveMouse(int x, int y);
    // Pointer motion by so many pixels: what the game turns by while it holds the mouse.
    void moveMouseBy(int dx, int dy);
    void click(int button = 1);
    void mouseDown(int button = 1);
    void mouseUp(int button = 1);

    // Seconds since the game started; the window appeared this long after the start.
    double seconds() const;
    double windowShownAfter() const { return windowShown; }
    // The folder that keeps this session's pictures.
    const std::string& outputFolder() const { return output; }

    // The exit code once the game has ended on its own; -1 after the limit, or when a signal
    // ended it.
    int waitForExit(double seconds);
    // The signal that ended the game, 0 while it runs or when it exited.
    int endingSignal() const { return killedBy; }
    // Sends the running game a signal, as a terminal's Ctrl+C or a session's logout does.
    bool sendSignal(int number);
    std::string log() const;
    // What the sound device mixed; complete once the game has ended.
    Samples capture() const;
    // While the game still plays (the device writes the capture as it mixes): the last
    // seconds of the capture, and the whole capture once it holds so many seconds more.
    Samples captureTail(double seconds) const;
    Samples captureAfter(double seconds) const;
    // How many samples the capture holds so far, from the file's size.
    size_t capturedSamples() const;
    // Records a failed step: keeps the screenshot, the capture and the log.
    void fail(const std::string& step);

private:
    bool startServer();
    // Reaps the game once it has ended, keeping its exit code.
    bool ended();
    std::string run(const std::string& command) const;

    std::string name;
    std::string folder;  // the game's working folder
    std::string output;  // build/test-output/e2e/<name>
    pid_t server = -1;
    pid_t game = -1;
    int display = -1;
    std::string window;
    int exitCode = -1;
    int killedBy = 0;
    std::chrono::steady_clock::time_point started;
    double windowShown = 0.0;
    double grabbedAt = 0.0;
    Screen last;
};

}  // namespace e2e
