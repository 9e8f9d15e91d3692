// The real binary in a temporary working folder: package build mode, the start-up
// integrity check against damaged packages, and the window path.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "core/AssetList.h"
#include "support/TestSupport.h"

using testing_support::logMessages;
using testing_support::readFile;
using testing_support::runCommand;
using testing_support::TempDir;
using testing_support::writeFile;

namespace {

// An independent reader of the package format: plain byte arithmetic and a bitwise CRC-32.
uint32_t u32At(const std::string& bytes, size_t offset) {
    return static_cast<uint32_t>(static_cast<uint8_t>(bytes[offset])) |
           static_cast<uint32_t>(static_cast<uint8_t>(bytes[offset + 1])) << 8 |
           static_cast<uint32_t>(static_cast<uint8_t>(bytes[offset + 2])) << 16 |
           static_cast<uint32_t>(static_cast<uint8_t>(bytes[offset + 3])) << 24;
}

void putU32At(std::string* bytes, size_t offset, uint32_t value) {
    for (int i = 0; i < 4; ++i) {
        (*bytes)[offset + i] = static_cast<char>((value >> (8 * i)) & 0xFF);
    }
}

uint32_t bitwiseCrc32(const std::string& bytes) {
    uint32_t crc = 0xFFFFFFFFu;
    for (unsigned char byte : bytes) {
        crc ^= byte;
        for (int bit = 0; bit < 8; ++bit) {
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
        }
    }
    return ~crc;
}

std::string assetContent(size_t index, const std::string& name) {
    if (index == 42) {
        return "";  // one empty entry
    }
    std::string bytes = name + "\n";
    for (size_t i = 0; i < (index * 37) % 300; ++i) {
        bytes.push_back(static_cast<char>((i * 7 + index) & 0xFF));
    }
    return bytes;
}

// The game's own log lines, without what libraries print: the display servers that SDL tries
// and, in the sanitized build, the leak report on the off-screen driver's GL library, which is
// gone by the time the report is written.
std::vector<std::string> gameLines(const std::string& output) {
    std::vector<std::string> lines = logMessages(output);
    lines.erase(std::remove_if(lines.begin(), lines.end(),
                               [](const std::string& line) { return line.rfind("<bare> ", 0) == 0; }),
                lines.end());
    return lines;
}

class StartupTest : public ::testing::Test {
protected:
    void SetUp() override {
        assets = buildAssetList();
        for (size_t i = 0; i < assets.size(); ++i) {
            ASSERT_TRUE(writeFile(folder.file(assets[i]), assetContent(i, assets[i])));
        }
    }
    testing_support::CommandResult run(const std::string& arguments) {
        return runCommand(folder.path(), std::string(QUENLOW_BINARY) + " " + arguments);
    }
    TempDir folder;
    std::vector<std::string> assets;
};

}  // namespace

TEST_F(StartupTest, BuildModeWritesAllEntriesInListOrder) {
    ASSERT_EQ(assets.size(), 161u);
    writeFile(folder.file("data.tul"), "an old package is always replaced");
    const auto result = run("-d");
    ASSERT_EQ(result.status, 0) << result.output;
    EXPECT_EQ(logMessages(result.output), std::vector<std::string>{"Starting application"});

    const std::string package = readFile(folder.file("data.tul"));
    ASSERT_GE(package.size(), 12u + 72u * 161u);
    EXPECT_EQ(u32At(package, 0), 0x89ABCDEFu);
    ASSERT_EQ(u32At(package, 4), 161u);
    uint32_t offset = 12 + 72 * 161;
    uint32_t checksum = 0;
    for (size_t i = 0; i < assets.size(); ++i) {
        const size_t record = 12 + 72 * i;
        const std::string content = assetContent(i, assets[i]);
        const std::string nameField = package.substr(record, 64);
        EXPECT_EQ(nameField, assets[i] + std::string(64 - assets[i].size(), '\0')) << i;
        EXPECT_EQ(u32At(package, record + 64), offset) << assets[i];
        ASSERT_EQ(u32At(package, record + 68), content.size()) << assets[i];
        EXPECT_EQ(package.substr(offset, content.size()), content) << assets[i];
        offset += static_cast<uint32_t>(content.size());
        checksum += bitwiseCrc32(content);
    }
    EXPECT_EQ(package.size(), offset);
    EXPECT_EQ(u32At(package, 8), checksum);
}

TEST_F(StartupTest, BuildModeFailsWithoutItsInputs) {
    std::remove(folder.file("sounds/jump.wav").c_str());
    const auto result = run("-d");
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(logMessages(result.output),
              (std::vector<std::string>{"Starting application", "Input file sounds/jump.wav does not exist",
                                        "Failed to create package"}));
}

TEST_F(StartupTest, GameModeRefusesMissingAndDamagedPackages) {
    ASSERT_EQ(run("-d").status, 0);
    const std::string good = readFile(folder.file("data.tul"));
    const size_t lastRecord = 12 + 72 * 160;

    struct Case {
        const char* what;
        std::string package;  // empty: no data.tul at all
        std::vector<std::string> lines;
    };
    std::string wrongChecksum = good;
    putU32At(&wrongChecksum, 8, u32At(good, 8) + 1);
    std::string hugeCount = good;
    putU32At(&hugeCount, 4, 0xFFFFFFFFu);
    std::string hugeSize = good;
    putU32At(&hugeSize, lastRecord + 68, 0xFFFFFFF0u);
    std::string farOffset = good;
    putU32At(&farOffset, lastRecord + 64, static_cast<uint32_t>(good.size()) + 10);
    std::string unterminated = good;
    for (size_t i = 0; i < 64; ++i) {
        unterminated[lastRecord + i] = 'z';
    }
    const std::string start = "Starting application";
    const std::string exists = "Data file exists";
    const std::string unreadable = "Failed to read checksum";
    const std::string shortRead = "Read incorrect number of bytes";
    const Case cases[] = {
        {"missing", "", {start, "Data file missing"}},
        {"shorter than its header",
         good.substr(0, 10),
         {start, exists, "Data file data.tul is shorter than its header", unreadable}},
        {"cut inside the record table",
         good.substr(0, 12 + 72 * 100),
         {start, exists, "Data file data.tul is too short for its 161 records", unreadable}},
        {"cut inside an entry", good.substr(0, good.size() - 5), {start, exists, shortRead, unreadable}},
        {"count 0xFFFFFFFF",
         hugeCount,
         {start, exists, "Data file data.tul is too short for its 4294967295 records", unreadable}},
        {"size 0xFFFFFFF0", hugeSize, {start, exists, shortRead, unreadable}},
        {"offset past the end", farOffset, {start, exists, shortRead, unreadable}},
        {"name without a zero byte",
         unterminated,
         {start, exists, "Record 160 of data.tul has no terminated name", unreadable}},
        {"wrong checksum", wrongChecksum, {start, exists, "data.tul is corrupted"}},
    };
    for (const Case& c : cases) {
        std::remove(folder.file("data.tul").c_str());
        if (!c.package.empty()) {
            ASSERT_TRUE(writeFile(folder.file("data.tul"), c.package));
        }
        const auto result = run("");
        EXPECT_EQ(result.status, 1) << c.what << "\n" << result.output;
        EXPECT_EQ(logMessages(result.output), c.lines) << c.what << "\n" << result.output;
    }
}

TEST_F(StartupTest, BuildFlagWithFurtherArgumentsStartsTheGame) {
    const auto result = run("-d extra");
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(logMessages(result.output), (std::vector<std::string>{"Starting application", "Data file missing"}));
    EXPECT_FALSE(std::ifstream(folder.file("data.tul")).good());
}

// The entries of this package are not the game's: the window opens, the game object fails
// on its first description and the start-up stops with that result. The same when GLX finds
// no current display: the context is current and the GL functions are loaded all the same,
// after a warning that says so.
TEST_F(StartupTest, OpensTheWindowAndStopsWithTheGameResult) {
    ASSERT_NE(getenv("DISPLAY"), nullptr) << "needs an X display: run under xvfb-run";
    ASSERT_EQ(run("-d").status, 0);
    const char* preloaded = getenv("LD_PRELOAD");
    const std::string alone = "ALSOFT_DRIVERS=null ";
    const std::string withoutDisplay =
        alone + "LD_PRELOAD='" + (preloaded != nullptr ? preloaded : "") + " " + QUENLOW_NO_GLX_DISPLAY + "' ";
    const std::string warning = "GLEW found no current GLX display; going on with the GL functions it loaded";
    for (const std::string& environment : {alone, withoutDisplay}) {
        const auto result = runCommand(folder.path(), environment + QUENLOW_BINARY);
        EXPECT_EQ(result.status, 1) << environment << result.output;
        const std::vector<std::string> lines = logMessages(result.output);
        ASSERT_GE(lines.size(), 4u) << environment << result.output;
        EXPECT_EQ(std::vector<std::string>(lines.begin(), lines.begin() + 2),
                  (std::vector<std::string>{"Starting application", "Data file exists"}));
        EXPECT_EQ(std::vector<std::string>(lines.end() - 2, lines.end()),
                  (std::vector<std::string>{"Failed to setup death particle system", "Stopping application"}))
            << environment;
        const bool warned = std::find(lines.begin(), lines.end(), warning) != lines.end();
        EXPECT_EQ(warned, environment == withoutDisplay) << environment << result.output;
    }
}

// Started where no display can be reached, SDL would fall back to a driver that draws off
// screen and the game would run unseen: it stops at once instead, saying why. A driver the
// user chose is taken as chosen.
TEST_F(StartupTest, WithoutADisplayItStopsAtOnceSayingSo) {
    ASSERT_EQ(run("-d").status, 0);
    int unused = 4000;
    while (std::ifstream("/tmp/.X11-unix/X" + std::to_string(unused)).good() ||
           std::ifstream("/tmp/.X" + std::to_string(unused) + "-lock").good()) {
        ++unused;
    }
    // Without a limit a game that does not stop would hang the suite: timeout ends it with 124.
    // The environment's own display and driver choice left out, then `settings` added.
    const auto command = [](const std::string& settings) {
        return "env -u DISPLAY -u SDL_VIDEODRIVER -u WAYLAND_DISPLAY ALSOFT_DRIVERS=null " + settings +
               " timeout -s KILL 60 " + QUENLOW_BINARY;
    };
    const std::string refused =
        "SDL could not initialize! SDL Error: no display found; only the 'offscreen' video driver started, which "
        "shows no window";
    for (const std::string& display : {std::string(), "DISPLAY=:" + std::to_string(unused)}) {
        const auto result = runCommand(folder.path(), command(display));
        EXPECT_EQ(result.status, 1) << display << result.output;
        EXPECT_EQ(gameLines(result.output),
                  (std::vector<std::string>{"Starting application", "Data file exists", refused}))
            << display << result.output;
    }

    // Chosen by name, the off-screen driver opens its window: this package then stops the game.
    const auto chosen = runCommand(folder.path(), command("SDL_VIDEODRIVER=offscreen"));
    EXPECT_EQ(chosen.status, 1) << chosen.output;
    const std::vector<std::string> lines = gameLines(chosen.output);
    ASSERT_GE(lines.size(), 2u) << chosen.output;
    EXPECT_EQ(std::vector<std::string>(lines.end() - 2, lines.end()),
              (std::vector<std::string>{"Failed to setup death particle system", "Stopping application"}))
        << chosen.output;
}
