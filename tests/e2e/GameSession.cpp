#include "GameSession.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <stb_image.h>
#include <stb_image_write.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <thread>

#include "support/RunAssets.h"
#include "support/TestSupport.h"

namespace e2e {

namespace {

using Clock = std::chrono::steady_clock;

Clock::time_point after(double seconds) {
    return Clock::now() + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(seconds));
}

void pause(int milliseconds) {
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

std::string shellQuote(const std::string& text) {
    return "'" + text + "'";
}

// Matches a stretch of sound within this much per sample; the mix clips where loud sounds add up.
const int kSampleTolerance = 2;
const double kMatchingShare = 0.95;
const size_t kSignature = 64;

size_t firstSound(const Samples& samples) {
    size_t index = 0;
    while (index < samples.size() && samples[index] == 0) {
        ++index;
    }
    return index;
}

}  // namespace

int Screen::count(int x, int y, int w, int h, const std::function<bool(const uint8_t*)>& test) const {
    int found = 0;
    for (int row = std::max(0, y); row < std::min(height, y + h); ++row) {
        for (int column = std::max(0, x); column < std::min(width, x + w); ++column) {
            found += test(at(column, row));
        }
    }
    return found;
}

bool Screen::save(const std::string& path) const {
    return !empty() && stbi_write_png(path.c_str(), width, height, 3, rgb.data(), width * 3) != 0;
}

bool isWhite(const uint8_t* pixel) {
    return pixel[0] > 200 && pixel[1] > 200 && pixel[2] > 200;
}

bool isColour(const uint8_t* pixel, int r, int g, int b, int tolerance) {
    return std::abs(pixel[0] - r) <= tolerance && std::abs(pixel[1] - g) <= tolerance &&
           std::abs(pixel[2] - b) <= tolerance;
}

Samples readWavSamples(const std::string& path) {
    const std::string bytes = testing_support::readFile(path);
    const size_t data = bytes.find("data", 12);
    if (bytes.compare(0, 4, "RIFF") != 0 || data == std::string::npos) {
        return {};
    }
    // The rest of the file, whatever the header says: a capture still being written has no sizes yet.
    Samples samples((bytes.size() - data - 8) / 2);
    memcpy(samples.data(), bytes.data() + data + 8, samples.size() * 2);
    return samples;
}

long findLoopStart(const Samples& capture, const Samples& sound) {
    const size_t heard = firstSound(capture);
    const size_t soundStart = firstSound(sound);
    if (heard >= capture.size() || soundStart >= sound.size() || heard < soundStart) {
        return -1;
    }
    const size_t start = heard - soundStart;
    const size_t length = std::min(sound.size(), capture.size() - start);
    size_t matching = 0;
    for (size_t index = 0; index < length; ++index) {
        matching += std::abs(capture[start + index] - sound[index]) <= kSampleTolerance;
    }
    return length > 0 && matching >= kMatchingShare * length ? static_cast<long>(start) : -1;
}

int countPlays(const Samples& capture, const Samples& loop, long loopStart, const Samples& sound) {
    Samples rest(capture);
    for (size_t index = static_cast<size_t>(std::max(0L, loopStart)); loopStart >= 0 && index < rest.size(); ++index) {
        rest[index] = static_cast<int16_t>(rest[index] - loop[(index - static_cast<size_t>(loopStart)) % loop.size()]);
    }
    const size_t soundStart = firstSound(sound);
    if (soundStart + kSignature > sound.size()) {
        return 0;
    }
    int plays = 0;
    for (size_t at = 0; at + sound.size() - soundStart <= rest.size(); ++at) {
        size_t index = 0;
        while (index < kSignature && std::abs(rest[at + index] - sound[soundStart + index]) <= kSampleTolerance) {
            ++index;
        }
        if (index < kSignature) {
            continue;
        }
        size_t matching = 0;
        for (index = soundStart; index < sound.size(); ++index) {
            matching += std::abs(rest[at + index - soundStart] - sound[index]) <= kSampleTolerance;
        }
        if (matching >= kMatchingShare * (sound.size() - soundStart)) {
            ++plays;
            at += sound.size() - soundStart - 1;
        }
    }
    return plays;
}

GameSession::GameSession(std::string sessionName)
    : name(std::move(sessionName)), output(std::string(QUENLOW_TEST_OUTPUT) + "/e2e/" + name) {
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
        const int quiet = open("/dev/null", O_WRONLY);
        dup2(quiet, STDOUT_FILENO);
        dup2(quiet, STDERR_FILENO);
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

bool GameSession::start(const std::string& package) {
    if (folder.empty() || !startServer()) {
        std::cerr << "e2e " << name << ": no X server\n";
        return false;
    }
    const std::string packagePath = package.empty() ? testing_support::runPath("data.tul") : package;
    const std::string capturePath = folder + "/capture.wav";
    testing_support::writeFile(folder + "/alsoft.conf",
                               "[general]\ndrivers=wave\nchannels=mono\nsample-type=int16\nfrequency=11025\n"
                               "period_size=256\ndither=false\n[wave]\nfile=" + capturePath + "\n");
    if (symlink(packagePath.c_str(), (folder + "/data.tul").c_str()) != 0) {
        return false;
    }
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
    const std::string png = run("import -window " + window + " png:- 2>/dev/null");
    int channels = 0;
    stbi_set_flip_vertically_on_load(0);
    stbi_uc* pixels = stbi_load_from_memory(reinterpret_cast<const stbi_uc*>(png.data()), static_cast<int>(png.size()),
                                            &screen.width, &screen.height, &channels, 3);
    if (pixels != nullptr) {
        screen.rgb.assign(pixels, pixels + static_cast<size_t>(screen.width) * screen.height * 3);
        stbi_image_free(pixels);
        last = screen;
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
    run("xdotool key " + keyName);
}

void GameSession::moveMouse(int x, int y) {
    run("xdotool mousemove --window " + window + " " + std::to_string(x) + " " + std::to_string(y));
}

void GameSession::click(int button) {
    run("xdotool click " + std::to_string(button));
}

bool GameSession::ended() {
    int status = 0;
    if (game > 0 && waitpid(game, &status, WNOHANG) == game) {
        exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
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

std::string GameSession::log() const {
    return testing_support::readFile(folder + "/game.log");
}

Samples GameSession::capture() const {
    return readWavSamples(folder + "/capture.wav");
}

void GameSession::fail(const std::string& step) {
    last.save(output + "/FAILED " + step + ".png");
    testing_support::writeFile(output + "/game.log", log());
    testing_support::writeFile(output + "/capture.wav", testing_support::readFile(folder + "/capture.wav"));
    std::cerr << "e2e " << name << ": step \"" << step << "\" failed; screenshot, log and capture in " << output
              << "\n";
}

}  // namespace e2e
