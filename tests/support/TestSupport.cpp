#include "support/TestSupport.h"

#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>

#include <stb_image_write.h>

#include "core/PackageManager.h"

namespace testing_support {

namespace {
void appendBytes(void* context, void* data, int size) {
    static_cast<std::string*>(context)->append(static_cast<const char*>(data), static_cast<size_t>(size));
}
}  // namespace

std::string pngBytes(int width, int height, int channels, const std::vector<uint8_t>& pixels) {
    std::string bytes;
    stbi_write_png_to_func(appendBytes, &bytes, width, height, channels, pixels.data(), width * channels);
    return bytes;
}

std::string bmpBytes(int width, int height, int channels, const std::vector<uint8_t>& pixels) {
    std::string bytes;
    stbi_write_bmp_to_func(appendBytes, &bytes, width, height, channels, pixels.data());
    return bytes;
}

TempDir::TempDir() {
    char pattern[] = "/tmp/quenlow-test-XXXXXX";
    const char* made = mkdtemp(pattern);
    path_ = made != nullptr ? made : "/tmp";
}

TempDir::~TempDir() {
    if (path_.rfind("/tmp/quenlow-test-", 0) == 0) {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
}

ScopedWorkingDirectory::ScopedWorkingDirectory(const std::string& path) {
    char buffer[4096];
    if (getcwd(buffer, sizeof(buffer)) != nullptr) {
        previous_ = buffer;
    }
    if (chdir(path.c_str()) != 0) {
        perror("chdir");
    }
}

ScopedWorkingDirectory::~ScopedWorkingDirectory() {
    if (!previous_.empty() && chdir(previous_.c_str()) != 0) {
        perror("chdir");
    }
}

CapturedStdout::CapturedStdout() {
    char pattern[] = "/tmp/quenlow-stdout-XXXXXX";
    const int fd = mkstemp(pattern);
    path_ = pattern;
    fflush(stdout);
    savedFd_ = dup(STDOUT_FILENO);
    dup2(fd, STDOUT_FILENO);
    close(fd);
}

CapturedStdout::~CapturedStdout() {
    finish();
}

std::string CapturedStdout::finish() {
    if (!finished_) {
        finished_ = true;
        fflush(stdout);
        dup2(savedFd_, STDOUT_FILENO);
        close(savedFd_);
        text_ = readFile(path_);
        unlink(path_.c_str());
    }
    return text_;
}

bool writeFile(const std::string& path, const std::string& bytes) {
    std::error_code ignored;
    std::filesystem::create_directories(std::filesystem::path(path).parent_path(), ignored);
    std::ofstream stream(path, std::ios::binary | std::ios::trunc);
    stream.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(stream);
}

std::string readFile(const std::string& path) {
    std::ifstream stream(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(stream), std::istreambuf_iterator<char>());
}

bool buildPackage(const std::string& dir, const Entries& entries) {
    std::vector<std::string> names;
    for (const auto& entry : entries) {
        if (!writeFile(dir + "/" + entry.first, entry.second)) {
            return false;
        }
        names.push_back(entry.first);
    }
    ScopedWorkingDirectory inside(dir);
    return PackageManager::getInstance()->createPackage(names, "data.tul", true);
}

CommandResult runCommand(const std::string& dir, const std::string& command) {
    CommandResult result;
    const std::string full = "cd '" + dir + "' && " + command + " 2>&1";
    FILE* pipe = popen(full.c_str(), "r");
    if (pipe == nullptr) {
        return result;
    }
    char buffer[4096];
    size_t count = 0;
    while ((count = fread(buffer, 1, sizeof(buffer), pipe)) > 0) {
        result.output.append(buffer, count);
    }
    const int status = pclose(pipe);
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

}  // namespace testing_support
