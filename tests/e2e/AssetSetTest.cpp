// The laid-out run folder: all 161 entries present, data.tul holding them in list order,
// the generator deterministic, and a montage of every image for people to look at.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstring>
#include <string>
#include <vector>

#include "core/AssetList.h"
#include "core/PackageManager.h"
#include "support/TestSupport.h"

using testing_support::readFile;
using testing_support::runCommand;
using testing_support::TempDir;

namespace {

const std::string kRunDir = QUENLOW_RUN_DIR;

bool exists(const std::string& path) {
    struct stat info {};
    return stat(path.c_str(), &info) == 0;
}

bool isImage(const std::string& name) {
    for (const char* extension : {".png", ".jpg", ".bmp", ".tga"}) {
        const std::string ext = extension;
        if (name.size() > ext.size() && name.compare(name.size() - ext.size(), ext.size(), ext) == 0) {
            return true;
        }
    }
    return false;
}

}  // namespace

TEST(AssetSet, RunFolderHoldsEveryEntryAndThePackageInListOrder) {
    const std::vector<std::string> assets = buildAssetList();
    const std::string package = readFile(kRunDir + "/data.tul");
    ASSERT_GE(package.size(), 12u + 72u * assets.size());
    EXPECT_LT(package.size(), 40u * 1024u * 1024u) << "data.tul must stay under 40 MB";
    uint32_t count = 0;
    memcpy(&count, package.data() + 4, 4);
    ASSERT_EQ(count, assets.size());
    for (size_t i = 0; i < assets.size(); ++i) {
        EXPECT_EQ(std::string(package.data() + 12 + 72 * i), assets[i]);
        const std::string loose = readFile(kRunDir + "/" + assets[i]);
        EXPECT_FALSE(loose.empty()) << assets[i] << " is missing or empty";
        uint32_t offset = 0;
        uint32_t size = 0;
        memcpy(&offset, package.data() + 12 + 72 * i + 64, 4);
        memcpy(&size, package.data() + 12 + 72 * i + 68, 4);
        ASSERT_LE(static_cast<size_t>(offset) + size, package.size());
        EXPECT_TRUE(package.compare(offset, size, loose) == 0) << assets[i] << " differs from its loose file";
    }
}

TEST(AssetSet, GeneratorWritesTheSameBytesEveryRun) {
    TempDir first;
    TempDir second;
    for (const TempDir* dir : {&first, &second}) {
        const auto result = runCommand(dir->path(), std::string(QUENLOW_ASSETGEN) + " " + dir->path());
        ASSERT_EQ(result.status, 0) << result.output;
    }
    const auto diff = runCommand(first.path(), "diff -r -q '" + first.path() + "' '" + second.path() + "'");
    EXPECT_EQ(diff.status, 0) << diff.output;
}

TEST(AssetSet, MontageOfEveryImage) {
    std::string images;
    for (const std::string& name : buildAssetList()) {
        if (isImage(name)) {
            images += " '" + name + "'";
        }
    }
    const std::string output = std::string(QUENLOW_TEST_OUTPUT) + "/asset-montage.png";
    const auto result = runCommand(kRunDir, "montage -font /usr/share/fonts/truetype/dejavu/DejaVuSans.ttf -background '#202028' "
                                            "-fill '#e0e0e0' -label '%f' "
                                            "-geometry 192x192+6+6 -tile 10x" +
                                                images + " '" + output + "'");
    ASSERT_EQ(result.status, 0) << result.output;
    EXPECT_TRUE(exists(output));
}
