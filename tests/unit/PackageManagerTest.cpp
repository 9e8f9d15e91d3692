// The package's CRC, and its writer and reader on packages made on the fly. The layout and
// checksum of a real build are checked byte by byte by the end-to-end build test.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

#include "core/PackageManager.h"
#include "support/TestSupport.h"

using testing_support::buildPackage;
using testing_support::CapturedStdout;
using testing_support::Entries;
using testing_support::readFile;
using testing_support::ScopedWorkingDirectory;
using testing_support::TempDir;
using testing_support::writeFile;

namespace {

std::string loadEntry(const std::string& dir, const std::string& name, uint32_t* size) {
    ScopedWorkingDirectory inside(dir);
    char* block = PackageManager::getInstance()->load("data.tul", name, size);
    if (block == nullptr) {
        return "<null>";
    }
    std::string bytes(block, *size);
    free(block);
    return bytes;
}

}  // namespace

// The standard CRC-32 values; the longer ones run through the eight-byte steps and a tail.
TEST(DataHash, IsTheStandardCrc32) {
    for (const auto& [bytes, crc] : {std::pair<std::string, uint32_t>("", 0),
                                     {"abc", 0x352441C2u},
                                     {"123456789", 0xCBF43926u},
                                     {std::string(1, '\0'), 0xD202EF8Du},
                                     {"The quick brown fox jumps over the lazy dog", 0x414FA339u}}) {
        EXPECT_EQ(get_data_hash(bytes.data(), static_cast<uint32_t>(bytes.size())), crc) << bytes;
    }
}

// A name given twice is stored twice, and counts twice.
TEST(PackageWriter, ChecksumIsTheSumOfTheEntriesCrcs) {
    TempDir dir;
    ASSERT_TRUE(
        buildPackage(dir.path(), {{"abc", "abc"}, {"empty", ""}, {"sub/b", std::string("B\0B", 3)}, {"abc", "abc"}}));
    const uint32_t expected = 2 * get_data_hash("abc", 3) + get_data_hash("B\0B", 3);
    uint32_t stored = 1, computed = 2;
    ScopedWorkingDirectory inside(dir.path());
    ASSERT_TRUE(PackageManager::getInstance()->getChecksum("data.tul", &stored));
    ASSERT_TRUE(PackageManager::getInstance()->calculateChecksum("data.tul", &computed));
    EXPECT_TRUE(stored == expected && computed == expected) << stored << " " << computed;
}

// An existing package is left alone (without overwrite: the one case where its content, OLD,
// stays), and a build that fails after the header is written leaves a checksum of 0.
TEST(PackageWriter, RefusesWhatItCannotWrite) {
    const std::string name64(64, 'n');
    const std::tuple<const char*, Entries, std::vector<std::string>, const char*, const char*> cases[] = {
        {"exists", {{"x", "1"}}, {"x"}, "The package file data.tul already exists, won't recreate\n", "OLD"},
        {"empty list", {}, {}, "No input files\n", ""},
        {"missing input", {{"x", "1"}}, {"x", "nope"}, "Input file nope does not exist\n", ""},
        {"name of 64 bytes", {{"x", "1"}, {name64, "1"}}, {"x", name64}, "Length of filename nnnn", nullptr}};
    for (const auto& [what, files, list, line, leftBehind] : cases) {
        TempDir dir;
        for (const auto& [name, bytes] : files) {
            ASSERT_TRUE(writeFile(dir.file(name), bytes));
        }
        const bool keep = leftBehind != nullptr && std::string(leftBehind) == "OLD";
        keep ? void(writeFile(dir.file("data.tul"), "OLD")) : void();
        ScopedWorkingDirectory inside(dir.path());
        CapturedStdout out;
        EXPECT_FALSE(PackageManager::getInstance()->createPackage(list, "data.tul", !keep)) << what;
        const std::string text = out.finish();
        EXPECT_TRUE(text.find("  [ERROR] [") != std::string::npos && text.find(line) != std::string::npos) << text;
        uint32_t stored = 99;
        EXPECT_TRUE(leftBehind != nullptr
                        ? readFile("data.tul") == leftBehind
                        : PackageManager::getInstance()->getChecksum("data.tul", &stored) && stored == 0)
            << what;
    }
    // 63 bytes is the longest name that fits with its terminating zero.
    const std::string name63(63, 'n');
    TempDir dir;
    ASSERT_TRUE(buildPackage(dir.path(), {{name63, "ok"}}));
    uint32_t size = 0;
    EXPECT_EQ(loadEntry(dir.path(), name63, &size), "ok");
}

TEST(PackageReader, FindsEntriesByExactName) {
    TempDir dir;
    ASSERT_TRUE(buildPackage(dir.path(), {{"Shader.vs", "first"}, {"empty", ""}, {"shader.vs", "second"}}));
    for (const auto& [name, bytes] : {std::pair("Shader.vs", "first"), {"shader.vs", "second"}, {"empty", ""}}) {
        uint32_t size = 99;
        EXPECT_EQ(loadEntry(dir.path(), name, &size), bytes);
        EXPECT_EQ(size, strlen(bytes));
    }
    uint32_t size = 77;
    CapturedStdout out;
    EXPECT_TRUE(loadEntry(dir.path(), "SHADER.VS", &size) == "<null>" && size == 77u);
    EXPECT_NE(out.finish().find("Could not find SHADER.VS in data.tul\n"), std::string::npos);
}

// Each damage with the line explaining the failure; getChecksum only needs the header.
TEST(PackageReader, FailsCleanlyOnDamagedPackages) {
    TempDir source;
    ASSERT_TRUE(buildPackage(source.path(), {{"first", "0123456789"}, {"second", "abcdef"}}));
    const std::string good = readFile(source.file("data.tul"));
    const size_t record1 = 12 + 72;
    auto with = [&good](size_t at, uint32_t value) {
        std::string bytes = good;
        for (int i = 0; i < 4; ++i) {
            bytes[at + i] = static_cast<char>(value >> (8 * i));
        }
        return bytes;
    };
    const std::tuple<const char*, std::string, bool, const char*> cases[] = {
        {"empty file", "", false, "shorter than its header"},
        {"cut in the header", good.substr(0, 7), false, "shorter than its header"},
        {"cut in the records", good.substr(0, 12 + 72 + 30), true, "too short for its 2 records"},
        {"cut in an entry", good.substr(0, good.size() - 3), true, "Read incorrect number of bytes"},
        {"count 0xFFFFFFFF", with(4, 0xFFFFFFFFu), true, "too short for its 4294967295 records"},
        {"size 0xFFFFFFF0", with(record1 + 68, 0xFFFFFFF0u), true, "Read incorrect number of bytes"},
        {"offset past the end", with(record1 + 64, 0x7FFFFFF0u), true, "Read incorrect number of bytes"},
        {"offset wrapping around", with(record1 + 64, 0xFFFFFFFFu), true, "Read incorrect number of bytes"},
        {"name without a zero byte", good.substr(0, record1) + std::string(64, 'x') + good.substr(record1 + 64), true,
         "has no terminated name"}};
    for (const auto& [what, bytes, checksumReadable, line] : cases) {
        TempDir dir;
        ASSERT_TRUE(writeFile(dir.file("data.tul"), bytes));
        ScopedWorkingDirectory inside(dir.path());
        PackageManager* package = PackageManager::getInstance();
        CapturedStdout out;
        uint32_t stored = 0, computed = 0, size = 5;
        EXPECT_EQ(package->getChecksum("data.tul", &stored), checksumReadable) << what;
        EXPECT_FALSE(package->calculateChecksum("data.tul", &computed)) << what;
        EXPECT_TRUE(package->load("data.tul", "second", &size) == nullptr && size == 5u) << what;
        const std::string text = out.finish();
        EXPECT_NE(text.find(line), std::string::npos) << what << ":\n" << text;
    }
}

TEST(PackageReader, ReportsMissingFilesAndNullOutputs) {
    TempDir dir;
    ScopedWorkingDirectory inside(dir.path());
    PackageManager* package = PackageManager::getInstance();
    CapturedStdout out;
    uint32_t value = 0;
    EXPECT_FALSE(package->getChecksum("data.tul", &value) || package->calculateChecksum("data.tul", &value) ||
                 package->getChecksum("data.tul", nullptr) || package->calculateChecksum("data.tul", nullptr));
    EXPECT_EQ(package->load("data.tul", "x", &value), nullptr);
    const std::string text = out.finish();
    EXPECT_NE(text.find("Failed to open data file data.tul\n"), std::string::npos);
    EXPECT_NE(text.find("Failed to open data file data.tul (2)\n"), std::string::npos);
}
