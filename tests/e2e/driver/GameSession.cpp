#include "GameSession.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <iostream>
#include <thread>

#include "WindowDump.h"
#include "support/RunAssets.h"
#include "support/TestSupport.h"

namespace e2e {

namespace {

using Clock = std::chrono::steady_clock;

// How long a person holds a key or a mouse button for a tap or a click: several frames, so
// that what acts on the press has changed the screen before the release comes.
const char* const kHeldFor = "0.1";

Clock::time_point after(double seconds) {
    return Clock::now() + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(seconds));
}

void pause(int milliseconds) {
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

std::string shellQuote(const std::string& text) {
    return "'" + text + "'";
}

// Lines of the game's log repeated where a step fails: a run whose output folder is gone (a
// CI machine's) still says how the game ended.
const int kLogLinesShown = 12;

std::string lastLines(const std::string& text, int count) {
    size_t start = text.size();
    for (int line = 0; line <= count && start > 0; ++line) {
        start = text.rfind('\n', start - 1);
        if (start == std::string::npos) {
            return text;
        }
    }
    return text.substr(start + 1);
}

}  // namespace

GameSession::GameSession(std::string sessionName, const std::string& group)
    : name(std::move(sessionName)), output(std::string(QUENLOW_TEST_OUTPUT) + "/" + group + "/" + name) {
    char pattern[] = "/tmp/quenlow-e2e-XXXXXX";
    folder = mkdtemp(pattern) != nullptr ? pattern : "";
    run("rm -rf " + shellQuote(output) + " && mkdir -p " + shellQuote(output));
}

GameSession::~GameSession() {
    if (game > 0) {
        kill(game, SIGKILL);
        waitpid(game, nullptr, 0);
    }
    if (server > 0) {
        kill(server, SIGTERM);
        waitpid(server, nullptr, 0);
    }
    if (!folder.empty()) {
        run("rm -rf " + shellQuote(folder));
    }
}

bool GameSession::startServer() {
    int fds[2];
    if (pipe(fds) != 0) {
        return false;
    }
    server = fork();
    if (server == 0) {
        close(fds[0]);
        const int serverLog = open((folder + "/xvfb.log").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        dup2(serverLog, STDOUT_FILENO);
        dup2(serverLog, STDERR_FILENO);
        // What the sanitized run preloads is meant for the game's leak check, not the server.
        unsetenv("LD_PRELOAD");
        // The server picks a free display itself and writes its number to the pipe.
        const std::string fd = std::to_string(fds[1]);
        execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", "1920x1080x24", "-nolisten", "tcp",
               static_cast<char*>(nullptr));
        _exit(127);
    }
    close(fds[1]);
    std::string number;
    pollfd reader{fds[0], POLLIN, 0};
    char byte = 0;
    while (poll(&reader, 1, 30000) > 0 && read(fds[0], &byte, 1) == 1 && byte != '\n') {
        number.push_back(byte);
    }
    close(fds[0]);
    display = number.empty() ? -1 : atoi(number.c_str());
    return display >= 0;
}

bool GameSession::start(const std::string& package, bool fixedClock) {
    if (folder.empty() || !startServer()) {
        std::cerr << "e2e " << name << ": no X server\n";
        return false;
    }
    const std::string packagePath = package.empty() ? testing_support::runPath("data.tul") : package;
    testing_support::writeFile(folder + "/alsoft.conf",
                               "[general]\ndrivers=wave\nchannels=mono\nsample-type=int16\nfrequency=11025\n"
                               "period_size=256\ndither=false\n[wave]\nfile=" +
                                   capturePath() + "\n");
    if (symlink(packagePath.c_str(), (folder + "/data.tul").c_str()) != 0) {
        return false;
    }
    started = Clock::now();
    game = fork();
    if (game == 0) {
        if (chdir(folder.c_str()) != 0) {
            _exit(127);
        }
        const int log = open("game.log", O_WRONLY | O_CREAT | O_TRUNC, 0644);
        dup2(log, STDOUT_FILENO);
        dup2(log, STDERR_FILENO);
        setenv("DISPLAY", (":" + std::to_string(display)).c_str(), 1);
        setenv("ALSOFT_CONF", (folder + "/alsoft.conf").c_str(), 1);
        unsetenv("ALSOFT_DRIVERS");
        if (fixedClock) {
            // After whatever is preloaded already (the sanitized run preloads the GL driver).
            const char* preloaded = getenv("LD_PRELOAD");
            const std::string libraries =
                std::string(preloaded != nullptr ? preloaded : "") + " " + QUENLOW_FIXED_CLOCK;
            setenv("LD_PRELOAD", libraries.c_str(), 1);
        }
        execl(QUENLOW_BINARY, QUENLOW_BINARY, static_cast<char*>(nullptr));
        _exit(127);
    }
    return game > 0;
}

std::string GameSession::run(const std::string& command) const {
    const std::string prefix = display >= 0 ? "DISPLAY=:" + std::to_string(display) + " " : "";
    return testing_support::runCommand("/", prefix + command).output;
}

bool GameSession::waitForWindow(double seconds) {
    const auto deadline = after(seconds);
    while (Clock::now() < deadline) {
        const std::string found = run("xdotool search --name '^Quenlow$' 2>/dev/null");
        if (!found.empty() && found[0] >= '0' && found[0] <= '9') {
            window = found.substr(0, found.find('\n'));
            windowShown = this->seconds();
            // Keys go where the pointer is: there is no window manager to give focus.
            moveMouse(640, 360);
            return true;
        }
        if (ended()) {
            break;
        }
        pause(100);
    }
    fail("window shown");
    return false;
}

Screen GameSession::grab() {
    Screen screen;
    if (window.empty()) {
        return screen;
    }
    // A bare window dump: a player steering by the screen cannot wait for an image encoder.
    const double from = seconds();
    const std::string dump = run("xwd -silent -id " + window + " 2>/dev/null");
    grabbedAt = (from + seconds()) / 2.0;
    if (decodeWindowDump(dump, &screen)) {
        last = screen;
    } else {
        screen = Screen();
    }
    return screen;
}

bool GameSession::waitFor(const std::string& step, const std::function<bool(const Screen&)>& condition,
                          double seconds) {
    const auto deadline = after(seconds);
    while (Clock::now() < deadline) {
        const Screen screen = grab();
        if (!screen.empty() && condition(screen)) {
            return true;
        }
        pause(100);
    }
    fail(step);
    return false;
}

void GameSession::keep(const std::string& step) {
    last.save(output + "/" + step + ".png");
}

void GameSession::key(const std::string& keyName) {
    run("xdotool keydown " + keyName + " sleep " + kHeldFor + " keyup " + keyName);
}

void GameSession::keyDown(const std::string& keyName) {
    run("xdotool keydown " + keyName);
}

void GameSession::keyUp(const std::string& keyName) {
    run("xdotool keyup " + keyName);
}

void GameSession::moveMouseBy(int dx, int dy) {
    run("xdotool mousemove_relative -- " + std::to_string(dx) + " " + std::to_string(dy));
}

double GameSession::seconds() const {
    return std::chrono::duration<double>(Clock::now() - started).count();
}

void GameSession::moveMouse(int x, int y) {
    run("xdotool mousemove --window " + window + " " + std::to_string(x) + " " + std::to_string(y));
}

void GameSession::mouseDown(int button) {
    run("xdotool mousedown " + std::to_string(button));
}

void GameSession::mouseUp(int button) {
    run("xdotool mouseup " + std::to_string(button));
}

void GameSession::click(int button) {
    const std::string number = std::to_string(button);
    run("xdotool mousedown " + number + " sleep " + kHeldFor + " mouseup " + number);
}

bool GameSession::ended() {
    int status = 0;
    if (game > 0 && waitpid(game, &status, WNOHANG) == game) {
        exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        killedBy = WIFSIGNALED(status) ? WTERMSIG(status) : 0;
        game = -1;
    }
    return game <= 0;
}

int GameSession::waitForExit(double seconds) {
    const auto deadline = after(seconds);
    while (!ended() && Clock::now() < deadline) {
        pause(50);
    }
    if (game > 0) {
        fail("game ended");
        return -1;
    }
    return exitCode;
}

bool GameSession::sendSignal(int number) {
    return game > 0 && kill(game, number) == 0;
}

std::string GameSession::capturePath() const {
    return folder + "/capture.wav";
}

std::string GameSession::log() const {
    return testing_support::readFile(folder + "/game.log");
}

Samples GameSession::capture() const {
    return readWavSamples(capturePath());
}

size_t GameSession::capturedSamples() const {
    return wavSampleCount(capturePath());
}

Samples GameSession::captureAfter(double seconds) const {
    // Waits on the file's size alone, and reads the capture once it is long enough.
    const size_t wanted = capturedSamples() + static_cast<size_t>(seconds * kSampleRate);
    const auto deadline = after(seconds + 30.0);
    while (capturedSamples() < wanted && Clock::now() < deadline) {
        pause(100);
    }
    return capture();
}

Samples GameSession::captureTail(double seconds) const {
    return readWavTail(capturePath(), seconds);
}

void GameSession::fail(const std::string& step) {
    last.save(output + "/FAILED " + step + ".png");
    const std::string gameLog = log();
    testing_support::writeFile(output + "/game.log", gameLog);
    testing_support::writeFile(output + "/xvfb.log", testing_support::readFile(folder + "/xvfb.log"));
    testing_support::writeFile(output + "/capture.wav", testing_support::readFile(capturePath()));
    std::cerr << "e2e " << name << ": step \"" << step << "\" failed; screenshot, log and capture in " << output << "\n"
              << "e2e " << name << ": " << processStates() << "; the log ends:\n"
              << lastLines(gameLog, kLogLinesShown);
}

std::string GameSession::processStates() {
    std::string states;
    if (ended()) {
        states = killedBy != 0 ? "the game was killed by signal " + std::to_string(killedBy)
                               : "the game had exited with status " + std::to_string(exitCode);
    } else {
        states = "the game is running";
    }
    int status = 0;
    if (server > 0 && waitpid(server, &status, WNOHANG) == server) {
        server = -1;
        states += WIFSIGNALED(status) ? ", its X server was killed by signal " + std::to_string(WTERMSIG(status))
                                      : ", its X server had exited with status " + std::to_string(WEXITSTATUS(status));
    }
    return states;
}

}  // namespace e2e
