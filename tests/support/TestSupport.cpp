#include "support/TestSupport.h"

#include <stb_image_write.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <regex>

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
    std::error_code ignored;
    path_.rfind("/tmp/quenlow-test-", 0) == 0 ? void(std::filesystem::remove_all(path_, ignored)) : void();
}

ScopedWorkingDirectory::ScopedWorkingDirectory(const std::string& path) {
    std::error_code failed;
    previous_ = std::filesystem::current_path(failed).string();
    std::filesystem::current_path(path, failed);
    failed ? perror(("chdir " + path).c_str()) : void();
}

ScopedWorkingDirectory::~ScopedWorkingDirectory() {
    std::error_code ignored;
    std::filesystem::current_path(previous_, ignored);
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
    for (const auto& [name, bytes] : entries) {
        if (!writeFile(dir + "/" + name, bytes)) {
            return false;
        }
        names.push_back(name);
    }
    ScopedWorkingDirectory inside(dir);
    return PackageManager::getInstance()->createPackage(names, "data.tul", true);
}

CommandResult runCommand(const std::string& dir, const std::string& command) {
    CommandResult result;
    FILE* pipe = popen(("cd '" + dir + "' && " + command + " 2>&1").c_str(), "r");
    char buffer[4096];
    for (size_t count = 0; pipe != nullptr && (count = fread(buffer, 1, sizeof(buffer), pipe)) > 0;) {
        result.output.append(buffer, count);
    }
    const int status = pipe != nullptr ? pclose(pipe) : -1;
    result.status = status != -1 && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

std::vector<std::string> logMessages(const std::string& output) {
    static const std::regex line(R"((   \[INFO\]|  \[ERROR\]|\[WARNING\]) \[\d{3,}:\d{2}:\d{3}\] (.*))");
    std::vector<std::string> texts;
    size_t start = 0;
    while (start < output.size()) {
        const size_t end = std::min(output.find('\n', start), output.size());
        const std::string text = output.substr(start, end - start);
        std::smatch match;
        texts.push_back(std::regex_match(text, match, line) ? match[2].str() : "<bare> " + text);
        start = end + 1;
    }
    return texts;
}

}  // namespace testing_support
