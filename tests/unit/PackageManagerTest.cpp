#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>

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

void putU32At(std::string* bytes, size_t offset, uint32_t value) {
    for (int i = 0; i < 4; ++i) {
        (*bytes)[offset + i] = static_cast<char>((value >> (8 * i)) & 0xFF);
    }
}

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

TEST(DataHash, IsTheStandardCrc32) {
    struct Case {
        std::string bytes;
        uint32_t crc;
    };
    const Case cases[] = {
        {"", 0x00000000u},
        {"abc", 0x352441C2u},
        {"123456789", 0xCBF43926u},
        {std::string(1, '\0'), 0xD202EF8Du},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(get_data_hash(c.bytes.data(), static_cast<uint32_t>(c.bytes.size())), c.crc) << c.bytes;
    }
}

// The layout itself is checked byte by byte by the end-to-end build test.
TEST(PackageWriter, ChecksumIsTheSumOfTheEntriesCrcs) {
    TempDir dir;
    ASSERT_TRUE(buildPackage(dir.path(), {{"abc", "abc"}, {"empty", ""}, {"sub/b", std::string("B\0B", 3)}}));
    const uint32_t expected = get_data_hash("abc", 3) + get_data_hash("B\0B", 3);
    uint32_t stored = 1;
    uint32_t computed = 2;
    ScopedWorkingDirectory inside(dir.path());
    ASSERT_TRUE(PackageManager::getInstance()->getChecksum("data.tul", &stored));
    ASSERT_TRUE(PackageManager::getInstance()->calculateChecksum("data.tul", &computed));
    EXPECT_EQ(stored, expected);
    EXPECT_EQ(computed, expected);
}

TEST(PackageWriter, RefusesWhatItCannotWrite) {
    struct Case {
        const char* what;
        Entries files;  // written as loose files first
        std::vector<std::string> list;
        bool existingPackage;
        bool overwrite;
        const char* line;
        const char* leftBehind;  // the package's content afterwards, or null when not checked
    };
    const std::string name64(64, 'n');
    const Case cases[] = {
        {"exists, no overwrite", {{"x", "1"}}, {"x"}, true, false,
         "The package file data.tul already exists, won't recreate\n", "OLD"},
        {"empty list", {}, {}, false, true, "No input files\n", ""},
        {"missing input", {{"x", "1"}}, {"x", "nope"}, false, true, "Input file nope does not exist\n", ""},
        {"name of 64 bytes", {{name64, "1"}}, {name64}, false, true, "Length of filename nnnn", nullptr},
    };
    for (const Case& c : cases) {
        TempDir dir;
        for (const auto& file : c.files) {
            ASSERT_TRUE(writeFile(dir.file(file.first), file.second));
        }
        if (c.existingPackage) {
            writeFile(dir.file("data.tul"), "OLD");
        }
        ScopedWorkingDirectory inside(dir.path());
        CapturedStdout out;
        EXPECT_FALSE(PackageManager::getInstance()->createPackage(c.list, "data.tul", c.overwrite)) << c.what;
        const std::string text = out.finish();
        EXPECT_NE(text.find("  [ERROR] ["), std::string::npos) << c.what;
        EXPECT_NE(text.find(c.line), std::string::npos) << c.what << ": " << text;
        if (c.leftBehind != nullptr) {
            EXPECT_EQ(readFile("data.tul"), c.leftBehind) << c.what;
        }
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
    struct Case {
        const char* name;
        const char* bytes;
        uint32_t size;
    };
    const Case cases[] = {{"Shader.vs", "first", 5}, {"shader.vs", "second", 6}, {"empty", "", 0}};
    for (const Case& c : cases) {
        uint32_t size = 99;
        EXPECT_EQ(loadEntry(dir.path(), c.name, &size), c.bytes);
        EXPECT_EQ(size, c.size);
    }

    uint32_t size = 77;
    CapturedStdout out;
    EXPECT_EQ(loadEntry(dir.path(), "SHADER.VS", &size), "<null>");
    EXPECT_EQ(size, 77u);
    EXPECT_NE(out.finish().find("Could not find SHADER.VS in data.tul\n"), std::string::npos);
}

TEST(PackageReader, DuplicateNamesAlwaysGiveTheFirstRecord) {
    TempDir dir;
    ASSERT_TRUE(writeFile(dir.file("a"), "one"));
    ScopedWorkingDirectory inside(dir.path());
    ASSERT_TRUE(PackageManager::getInstance()->createPackage({"a", "a"}, "data.tul", true));
    uint32_t computed = 0;
    ASSERT_TRUE(PackageManager::getInstance()->calculateChecksum("data.tul", &computed));
    EXPECT_EQ(computed, 2 * get_data_hash("one", 3));
}

TEST(PackageReader, FailsCleanlyOnDamagedPackages) {
    TempDir source;
    ASSERT_TRUE(buildPackage(source.path(), {{"first", "0123456789"}, {"second", "abcdef"}}));
    const std::string good = readFile(source.file("data.tul"));
    const size_t record1 = 12 + 72;

    std::string hugeCount = good;
    putU32At(&hugeCount, 4, 0xFFFFFFFFu);
    std::string hugeSize = good;
    putU32At(&hugeSize, record1 + 68, 0xFFFFFFF0u);
    std::string farOffset = good;
    putU32At(&farOffset, record1 + 64, 0x7FFFFFF0u);
    std::string wrappingOffset = good;
    putU32At(&wrappingOffset, record1 + 64, 0xFFFFFFFFu);
    std::string unterminated = good;
    std::memset(&unterminated[record1], 'x', 64);

    struct Case {
        const char* what;
        std::string bytes;
        bool checksumReadable;  // getChecksum only needs the header
        const char* line;       // the explanation written before the failure
    };
    const Case cases[] = {
        {"empty file", "", false, "shorter than its header"},
        {"cut in the header", good.substr(0, 7), false, "shorter than its header"},
        {"cut in the records", good.substr(0, 12 + 72 + 30), true, "too short for its 2 records"},
        {"cut in an entry", good.substr(0, good.size() - 3), true, "Read incorrect number of bytes"},
        {"count 0xFFFFFFFF", hugeCount, true, "too short for its 4294967295 records"},
        {"size 0xFFFFFFF0", hugeSize, true, "Read incorrect number of bytes"},
        {"offset past the end", farOffset, true, "Read incorrect number of bytes"},
        {"offset wrapping around", wrappingOffset, true, "Read incorrect number of bytes"},
        {"name without a zero byte", unterminated, true, "has no terminated name"},
    };
    for (const Case& c : cases) {
        TempDir dir;
        ASSERT_TRUE(writeFile(dir.file("data.tul"), c.bytes));
        ScopedWorkingDirectory inside(dir.path());
        PackageManager* package = PackageManager::getInstance();
        CapturedStdout out;
        uint32_t stored = 0;
        uint32_t computed = 0;
        EXPECT_EQ(package->getChecksum("data.tul", &stored), c.checksumReadable) << c.what;
        EXPECT_FALSE(package->calculateChecksum("data.tul", &computed)) << c.what;
        uint32_t size = 5;
        EXPECT_EQ(package->load("data.tul", "second", &size), nullptr) << c.what;
        EXPECT_EQ(size, 5u) << c.what;
        const std::string text = out.finish();
        EXPECT_NE(text.find(c.line), std::string::npos) << c.what << ":\n" << text;
    }
}

TEST(PackageReader, ReportsMissingFilesAndNullOutputs) {
    TempDir dir;
    ScopedWorkingDirectory inside(dir.path());
    PackageManager* package = PackageManager::getInstance();
    CapturedStdout out;
    uint32_t value = 0;
    EXPECT_FALSE(package->getChecksum("data.tul", &value));
    EXPECT_FALSE(package->calculateChecksum("data.tul", &value));
    EXPECT_EQ(package->load("data.tul", "x", &value), nullptr);
    EXPECT_FALSE(package->getChecksum("data.tul", nullptr));
    EXPECT_FALSE(package->calculateChecksum("data.tul", nullptr));
    const std::string text = out.finish();
    EXPECT_NE(text.find("Failed to open data file data.tul\n"), std::string::npos);
    EXPECT_NE(text.find("Failed to open data file data.tul (2)\n"), std::string::npos);
}

TEST(PackageReader, ChecksumOfAFailedBuildIsZero) {
    TempDir dir;
    const std::string longName(70, 'y');
    ASSERT_TRUE(writeFile(dir.file("present"), "1234"));
    ASSERT_TRUE(writeFile(dir.file(longName), "5678"));
    ScopedWorkingDirectory inside(dir.path());
    // The over-long name fails the build after the header is written.
    CapturedStdout out;
    ASSERT_FALSE(PackageManager::getInstance()->createPackage({"present", longName}, "data.tul", true));
    uint32_t stored = 99;
    EXPECT_TRUE(PackageManager::getInstance()->getChecksum("data.tul", &stored));
    EXPECT_EQ(stored, 0u);
}
