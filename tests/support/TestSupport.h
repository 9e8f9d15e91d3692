// Helpers shared by the test suites: temporary folders, working-directory switches,
// packages written on the fly, captured standard output and commands run in a shell.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace testing_support {

// A fresh folder under /tmp, removed with everything in it when the object goes.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::string& path() const { return path_; }
    std::string file(const std::string& relative) const { return path_ + "/" + relative; }

private:
    std::string path_;
};

// Switches the working directory for the object's lifetime.
class ScopedWorkingDirectory {
public:
    explicit ScopedWorkingDirectory(const std::string& path);
    ~ScopedWorkingDirectory();
    ScopedWorkingDirectory(const ScopedWorkingDirectory&) = delete;
    ScopedWorkingDirectory& operator=(const ScopedWorkingDirectory&) = delete;

private:
    std::string previous_;
};

// Everything written to standard output (printf included) while the object lives.
class CapturedStdout {
public:
    CapturedStdout();
    ~CapturedStdout() { finish(); }
    CapturedStdout(const CapturedStdout&) = delete;
    CapturedStdout& operator=(const CapturedStdout&) = delete;
    // Stops capturing (once) and returns what was written.
    std::string finish();

private:
    int savedFd_ = -1;
    std::string path_;
    std::string text_;
    bool finished_ = false;
};

bool writeFile(const std::string& path, const std::string& bytes);
std::string readFile(const std::string& path);
// Image files encoded in memory from pixel rows from the top, `channels` bytes each.
std::string pngBytes(int width, int height, int channels, const std::vector<uint8_t>& pixels);
std::string bmpBytes(int width, int height, int channels, const std::vector<uint8_t>& pixels);

// Entries in package order: (entry name, bytes).
using Entries = std::vector<std::pair<std::string, std::string>>;
// Writes the entries as loose files in dir and builds dir/data.tul from them through
// PackageManager::createPackage; false when the build fails.
bool buildPackage(const std::string& dir, const Entries& entries);

// A package of the entries in a fresh folder that is the working directory while it lives.
struct PackageDir {
    explicit PackageDir(const Entries& entries) : built(buildPackage(dir.path(), entries)) {}
    TempDir dir;
    bool built;
    ScopedWorkingDirectory inside{dir.path()};
};

// Runs a shell command in dir, returning its exit status and its standard output.
struct CommandResult {
    int status = -1;
    std::string output;
};
CommandResult runCommand(const std::string& dir, const std::string& command);

// The lines of the game's output: the message of a log line, without its tag and time stamp;
// "<bare> " and the whole line for any other.
std::vector<std::string> logMessages(const std::string& output);

}  // namespace testing_support
