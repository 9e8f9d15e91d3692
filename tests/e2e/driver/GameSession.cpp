#include "GameSession.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <stb_image_write.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <complex>
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

// The sounds' peaks must stand out this clearly from what is mixed with them, at about the
// gain the game plays every sound with.
const double kLeastCorrelation = 0.3;
const double kLeastGain = 0.6;
const double kMostGain = 1.5;
// Long sounds are recognised by their start: the music's loop, or a take-off cut short by the end.
const size_t kLongestSignature = 2 * 11025;

using Spectrum = std::vector<std::complex<double>>;

// In-place radix-2 transform; the size is a power of two.
void transform(Spectrum* values, bool inverse) {
    Spectrum& a = *values;
    const size_t n = a.size();
    for (size_t i = 1, j = 0; i < n; ++i) {
        size_t bit = n >> 1;
        for (; j & bit; bit >>= 1) {
            j ^= bit;
        }
        j ^= bit;
        if (i < j) {
            std::swap(a[i], a[j]);
        }
    }
    for (size_t length = 2; length <= n; length <<= 1) {
        const double angle = 2.0 * M_PI / static_cast<double>(length) * (inverse ? 1.0 : -1.0);
        const std::complex<double> unit(std::cos(angle), std::sin(angle));
        for (size_t block = 0; block < n; block += length) {
            std::complex<double> turn(1.0);
            for (size_t k = 0; k < length / 2; ++k) {
                const std::complex<double> even = a[block + k];
                const std::complex<double> odd = a[block + k + length / 2] * turn;
                a[block + k] = even + odd;
                a[block + k + length / 2] = even - odd;
                turn *= unit;
            }
        }
    }
}

// The sound without the silence it starts and ends with.
Samples trimmed(const Samples& sound) {
    size_t first = 0;
    size_t end = sound.size();
    while (first < end && sound[first] == 0) {
        ++first;
    }
    while (end > first && sound[end - 1] == 0) {
        --end;
    }
    end = std::min(end, first + kLongestSignature);
    return Samples(sound.begin() + static_cast<long>(first), sound.begin() + static_cast<long>(end));
}

uint32_t bigEndian(const std::string& bytes, size_t at) {
    uint32_t value = 0;
    for (size_t i = 0; i < 4; ++i) {
        value = value << 8 | static_cast<uint8_t>(bytes[at + i]);
    }
    return value;
}

int lowestBit(uint32_t mask) {
    int bit = 0;
    while (bit < 31 && (mask >> bit & 1u) == 0) {
        ++bit;
    }
    return bit;
}

// A window dump as xwd writes it from a true-colour visual of 32 bits a pixel: a header of
// big-endian fields, the colour map, then the rows.
bool decodeWindowDump(const std::string& bytes, Screen* screen) {
    const size_t kFields = 25;
    if (bytes.size() < kFields * 4) {
        return false;
    }
    const uint32_t headerSize = bigEndian(bytes, 0);
    const uint32_t width = bigEndian(bytes, 16);
    const uint32_t height = bigEndian(bytes, 20);
    const uint32_t lsbFirst = bigEndian(bytes, 28) == 0;
    const uint32_t bitsPerPixel = bigEndian(bytes, 44);
    const uint32_t bytesPerLine = bigEndian(bytes, 48);
    const uint32_t masks[3] = {bigEndian(bytes, 56), bigEndian(bytes, 60), bigEndian(bytes, 64)};
    const uint32_t colours = bigEndian(bytes, 76);
    const size_t first = static_cast<size_t>(headerSize) + static_cast<size_t>(colours) * 12;
    if (bitsPerPixel != 32 || width == 0 || width > 8192 || height > 8192 || bytesPerLine < width * 4 ||
        first + static_cast<size_t>(bytesPerLine) * height > bytes.size()) {
        return false;
    }
    screen->width = static_cast<int>(width);
    screen->height = static_cast<int>(height);
    screen->rgb.resize(static_cast<size_t>(width) * height * 3);
    for (uint32_t y = 0; y < height; ++y) {
        for (uint32_t x = 0; x < width; ++x) {
            const size_t at = first + static_cast<size_t>(y) * bytesPerLine + x * 4;
            uint32_t pixel = 0;
            for (size_t i = 0; i < 4; ++i) {
                const uint32_t byte = static_cast<uint8_t>(bytes[at + (lsbFirst ? 3 - i : i)]);
                pixel = pixel << 8 | byte;
            }
            for (int channel = 0; channel < 3; ++channel) {
                screen->rgb[(static_cast<size_t>(y) * width + x) * 3 + channel] =
                    static_cast<uint8_t>((pixel & masks[channel]) >> lowestBit(masks[channel]));
            }
        }
    }
    return true;
}

// Where the samples of a WAV file start, from its first bytes; npos when it is none. The
// samples run to the end of the file, whatever the header says: a capture still being
// written has no sizes yet.
size_t samplesStart(const std::string& head) {
    const size_t data = head.find("data", 12);
    if (head.compare(0, 4, "RIFF") != 0 || data == std::string::npos) {
        return std::string::npos;
    }
    return data + 8;
}

// The first bytes of a file just opened, enough to hold a WAV header, and the file's size.
std::string fileHead(FILE* file, long* size) {
    char header[256] = {};
    const std::string head(header, fread(header, 1, sizeof(header), file));
    fseek(file, 0, SEEK_END);
    *size = ftell(file);
    return head;
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

bool showsImage(const Screen& screen, const std::string& entry, int x, int y, int tolerance) {
    testing_support::Image image;
    if (screen.empty() || !testing_support::decodeRunImage(entry, &image, 4)) {
        return false;
    }
    const int top = screen.height - y - image.height;
    int opaque = 0;
    int matching = 0;
    for (int row = 0; row < image.height; row += 2) {
        for (int column = 0; column < image.width; column += 2) {
            const uint8_t* texel = image.at(column, row);
            if (texel[3] == 255 && top + row >= 0 && top + row < screen.height) {
                ++opaque;
                matching += isColour(screen.at(x + column, top + row), texel[0], texel[1], texel[2], tolerance);
            }
        }
    }
    return opaque > 0 && matching > 0.9 * opaque;
}

bool showsScene(const Screen& screen) {
    const int cleared = screen.count(0, 0, screen.width, screen.height,
                                     [](const uint8_t* pixel) { return isColour(pixel, 255, 51, 51, 8); });
    const uint8_t* corner = screen.at(screen.width / 2, screen.height / 2);
    const int flat = screen.count(0, 0, screen.width, screen.height, [corner](const uint8_t* pixel) {
        return isColour(pixel, corner[0], corner[1], corner[2], 8);
    });
    return cleared == 0 && flat < screen.width * screen.height * 9 / 10;
}

Samples readWavSamples(const std::string& path) {
    const std::string bytes = testing_support::readFile(path);
    const size_t first = samplesStart(bytes.substr(0, 256));
    if (first == std::string::npos) {
        return {};
    }
    Samples samples((bytes.size() - first) / 2);
    memcpy(samples.data(), bytes.data() + first, samples.size() * 2);
    return samples;
}

std::vector<double> findPlays(const Samples& capture, const Samples& recorded) {
    const Samples sound = trimmed(recorded);
    std::vector<double> plays;
    if (sound.empty() || capture.size() < sound.size()) {
        return plays;
    }
    size_t size = 1;
    while (size < capture.size() + sound.size()) {
        size <<= 1;
    }
    Spectrum mixed(size);
    Spectrum reversed(size);
    std::copy(capture.begin(), capture.end(), mixed.begin());
    double soundEnergy = 0.0;
    for (size_t i = 0; i < sound.size(); ++i) {
        reversed[(size - i) % size] = sound[i];
        soundEnergy += static_cast<double>(sound[i]) * sound[i];
    }
    transform(&mixed, false);
    transform(&reversed, false);
    for (size_t i = 0; i < size; ++i) {
        mixed[i] *= reversed[i];
    }
    transform(&mixed, true);
    // The capture's energy under the sound at every offset, from running sums.
    std::vector<double> energy(capture.size() + 1, 0.0);
    for (size_t i = 0; i < capture.size(); ++i) {
        energy[i + 1] = energy[i] + static_cast<double>(capture[i]) * capture[i];
    }
    const size_t last = capture.size() - sound.size();
    for (size_t at = 0; at <= last; ++at) {
        const double product = mixed[at].real() / static_cast<double>(size);
        const double heard = energy[at + sound.size()] - energy[at];
        const double correlation = heard > 0.0 ? product / std::sqrt(heard * soundEnergy) : 0.0;
        const double gain = product / soundEnergy;
        if (correlation < kLeastCorrelation || gain < kLeastGain || gain > kMostGain) {
            continue;
        }
        // The best offset within the sound's length is where it starts.
        size_t best = at;
        double bestCorrelation = correlation;
        for (size_t next = at + 1; next <= std::min(last, at + sound.size()); ++next) {
            const double nextHeard = energy[next + sound.size()] - energy[next];
            const double nextCorrelation =
                nextHeard > 0.0 ? mixed[next].real() / static_cast<double>(size) / std::sqrt(nextHeard * soundEnergy)
                                : 0.0;
            if (nextCorrelation > bestCorrelation) {
                best = next;
                bestCorrelation = nextCorrelation;
            }
        }
        plays.push_back(static_cast<double>(best) / kSampleRate);
        at = best + sound.size() / 2;
    }
    return plays;
}

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

bool GameSession::start(const std::string& package, bool fixedClock) {
    if (folder.empty() || !startServer()) {
        std::cerr << "e2e " << name << ": no X server\n";
        return false;
    }
    const std::string packagePath = package.empty() ? testing_support::runPath("data.tul") : package;
    const std::string capturePath = folder + "/capture.wav";
    testing_support::writeFile(folder + "/alsoft.conf",
                               "[general]\ndrivers=wave\nchannels=mono\nsample-type=int16\nfrequency=11025\n"
                               "period_size=256\ndither=false\n[wave]\nfile=" +
                                   capturePath + "\n");
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

std::string GameSession::log() const {
    return testing_support::readFile(folder + "/game.log");
}

Samples GameSession::capture() const {
    return readWavSamples(folder + "/capture.wav");
}

size_t GameSession::capturedSamples() const {
    FILE* file = fopen((folder + "/capture.wav").c_str(), "rb");
    if (file == nullptr) {
        return 0;
    }
    long size = 0;
    const size_t first = samplesStart(fileHead(file, &size));
    fclose(file);
    return first == std::string::npos || size < static_cast<long>(first) ? 0 : (static_cast<size_t>(size) - first) / 2;
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
    FILE* file = fopen((folder + "/capture.wav").c_str(), "rb");
    if (file == nullptr) {
        return {};
    }
    long size = 0;
    const size_t data = samplesStart(fileHead(file, &size));
    if (data == std::string::npos) {
        fclose(file);
        return {};
    }
    const long first = static_cast<long>(data);
    const long wanted = static_cast<long>(seconds * kSampleRate);
    const long start = std::max(first, first + ((size - first) / 2 - wanted) * 2);
    Samples samples(static_cast<size_t>(std::max(0L, size - start) / 2));
    fseek(file, start, SEEK_SET);
    samples.resize(fread(samples.data(), 2, samples.size(), file));
    fclose(file);
    return samples;
}

void GameSession::fail(const std::string& step) {
    last.save(output + "/FAILED " + step + ".png");
    testing_support::writeFile(output + "/game.log", log());
    testing_support::writeFile(output + "/capture.wav", testing_support::readFile(folder + "/capture.wav"));
    std::cerr << "e2e " << name << ": step \"" << step << "\" failed; screenshot, log and capture in " << output
              << "\n";
}

}  // namespace e2e
