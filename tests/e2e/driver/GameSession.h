// Plays the real game the way a person does: its own Xvfb server, the quenlow binary in a
// folder of its own with OpenAL writing everything it plays to a WAV file, real input through
// XTest (xdotool), screenshots of the window (xwd dumps, read in WindowDump), and waits on
// what the screen shows. What a screenshot is checked for is in ScreenChecks, and what the
// capture is listened for in SoundMatch. A failed step leaves its screenshot, the sound
// capture and the log in build/test-output/<group>/<session>/, named after the step.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <functional>
#include <string>

#include "ScreenChecks.h"
#include "SoundMatch.h"
#include "WavSamples.h"

namespace e2e {

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
    // How the game and its X server stand, in words, for a failure report.
    std::string processStates();
    std::string run(const std::string& command) const;
    // Where the sound device writes what it mixes, in the game's working folder.
    std::string capturePath() const;

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
