// The importer's file system over the package: what the OBJ importer gets when it opens a
// model's material library, and how the streams answer reads that do not fit the entry.
#include <assimp/Importer.hpp>
#include <assimp/material.h>
#include <assimp/postprocess.h>
#include <assimp/scene.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "core/CustomAssimpIOStream.h"
#include "core/CustomAssimpLoader.h"
#include "support/TestSupport.h"

using testing_support::buildPackage;
using testing_support::CapturedStdout;
using testing_support::ScopedWorkingDirectory;
using testing_support::TempDir;

namespace {

const char* const kCrateObj =
    "mtllib crate.mtl\n"
    "o Crate\n"
    "v 0 0 0\nv 1 0 0\nv 1 1 0\nv 0 1 0\n"
    "vt 0 0\nvt 1 0\nvt 1 1\nvt 0 1\n"
    "usemtl CrateWood\n"
    "f 1/1 2/2 3/3 4/4\n";

const char* const kCrateMtl =
    "newmtl CrateWood\n"
    "Kd 0.25 0.5 0.75\n"
    "map_Kd crate_diffuse.png\n";

const std::string kMaterialEntry = "models/crate/crate.mtl";

class CustomAssimpLoaderTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(buildPackage(dir.path(), {{"models/crate/crate.obj", kCrateObj}, {kMaterialEntry, kCrateMtl}}));
    }

    // Imports the crate from memory with a loader for its directory, as a model does.
    const aiScene* importCrate(Assimp::Importer& importer, const std::string& directory) {
        importer.SetIOHandler(new CustomAssimpLoader(directory));
        return importer.ReadFileFromMemory(kCrateObj, strlen(kCrateObj), aiProcess_Triangulate, "obj");
    }

    TempDir dir;
    ScopedWorkingDirectory cwd{dir.path()};
};

const aiMaterial* findMaterial(const aiScene* scene, const char* name) {
    for (unsigned int index = 0; index < scene->mNumMaterials; ++index) {
        aiString materialName;
        if (scene->mMaterials[index]->Get(AI_MATKEY_NAME, materialName) == AI_SUCCESS &&
            strcmp(materialName.C_Str(), name) == 0) {
            return scene->mMaterials[index];
        }
    }
    return nullptr;
}

TEST_F(CustomAssimpLoaderTest, ImporterReadsTheMaterialLibraryFromThePackage) {
    Assimp::Importer importer;
    const aiScene* scene = importCrate(importer, "models/crate");
    ASSERT_NE(scene, nullptr) << importer.GetErrorString();
    ASSERT_EQ(scene->mNumMeshes, 1u);

    const aiMaterial* material = findMaterial(scene, "CrateWood");
    ASSERT_NE(material, nullptr);
    EXPECT_EQ(scene->mMaterials[scene->mMeshes[0]->mMaterialIndex], material);
    aiColor4D diffuse;
    ASSERT_EQ(aiGetMaterialColor(material, AI_MATKEY_COLOR_DIFFUSE, &diffuse), AI_SUCCESS);
    EXPECT_FLOAT_EQ(diffuse.r, 0.25f);
    EXPECT_FLOAT_EQ(diffuse.g, 0.5f);
    EXPECT_FLOAT_EQ(diffuse.b, 0.75f);
    aiString texture;
    ASSERT_EQ(aiGetMaterialTexture(material, aiTextureType_DIFFUSE, 0, &texture), AI_SUCCESS);
    EXPECT_STREQ(texture.C_Str(), "crate_diffuse.png");
}

TEST_F(CustomAssimpLoaderTest, MaterialLibraryOutsideThePackageLeavesTheModelWithoutIt) {
    CapturedStdout captured;
    Assimp::Importer importer;
    const aiScene* scene = importCrate(importer, "models/elsewhere");
    const std::string log = captured.finish();
    ASSERT_NE(scene, nullptr) << importer.GetErrorString();
    // The importer makes a bare material for the name the OBJ uses, without the library's texture.
    const aiMaterial* material = findMaterial(scene, "CrateWood");
    if (material != nullptr) {
        EXPECT_EQ(aiGetMaterialTextureCount(material, aiTextureType_DIFFUSE), 0u);
    }
    EXPECT_NE(log.find("Could not find models/elsewhere/crate.mtl in data.tul"), std::string::npos) << log;
}

TEST_F(CustomAssimpLoaderTest, MissingEntryIsReportedTwiceAndOpensNothing) {
    CustomAssimpLoader loader("models/crate");
    CapturedStdout captured;
    EXPECT_FALSE(loader.Exists("models/crate/missing.mtl"));
    const std::string log = captured.finish();
    const std::string packageLine = "Could not find models/crate/missing.mtl in data.tul\n";
    const size_t secondLine = log.find('\n') + 1;
    EXPECT_EQ(log.rfind("  [ERROR] [", 0), 0u) << log;
    EXPECT_EQ(log.substr(secondLine - packageLine.size(), packageLine.size()), packageLine) << log;
    EXPECT_EQ(log.find("  [ERROR] [", secondLine), secondLine) << log;
    EXPECT_NE(log.find("] CustomLoader, models/crate/missing.mtl does not exist!\n", secondLine), std::string::npos);

    EXPECT_EQ(loader.Open("models/crate/missing.mtl", "rb"), nullptr);
    EXPECT_TRUE(loader.Exists(kMaterialEntry.c_str()));
    // The string form answers like the C-string form.
    std::unique_ptr<Assimp::IOStream> stream(loader.Open(kMaterialEntry, std::string("rb")));
    ASSERT_NE(stream, nullptr);
    EXPECT_EQ(stream->FileSize(), strlen(kCrateMtl));
}

TEST(CustomAssimpLoaderStack, PushPopAndCurrentDirectory) {
    CustomAssimpLoader loader("models/ufo1");
    EXPECT_EQ(loader.StackSize(), 1u);
    EXPECT_EQ(loader.CurrentDirectory(), "models/ufo1");
    EXPECT_TRUE(loader.PushDirectory("models/rocket"));
    EXPECT_EQ(loader.StackSize(), 2u);
    EXPECT_EQ(loader.CurrentDirectory(), "models/rocket");
    EXPECT_TRUE(loader.PopDirectory());
    EXPECT_EQ(loader.CurrentDirectory(), "models/ufo1");
    EXPECT_TRUE(loader.PopDirectory());
    EXPECT_EQ(loader.StackSize(), 0u);
    // Past the bottom: nothing to pop, and no directory rather than a crash.
    EXPECT_FALSE(loader.PopDirectory());
    EXPECT_EQ(loader.CurrentDirectory(), "");
}

TEST(CustomAssimpLoaderStack, FixedAnswers) {
    CustomAssimpLoader loader("models");
    EXPECT_EQ(loader.getOsSeparator(), '/');
    EXPECT_TRUE(loader.ComparePaths("models/a.mtl", "textures/b.png"));
}

// A stream over a copy of text, as Open makes it.
std::unique_ptr<CustomAssimpIOStream> streamOver(const std::string& text) {
    char* bytes = static_cast<char*>(malloc(text.size() + 1));
    memcpy(bytes, text.data(), text.size());
    return std::make_unique<CustomAssimpIOStream>(bytes, static_cast<uint32_t>(text.size()));
}

TEST(CustomAssimpIOStreamTest, ReadsCopyOnlyWhatLiesInsideTheEntry) {
    struct Case {
        const char* what;
        size_t seek;
        size_t elementSize;
        size_t count;
        size_t expectedResult;
        const char* expectedBytes;  // null: the destination is untouched
    };
    const Case cases[] = {
        {"whole entry", 0, 1, 10, 10, "0123456789"},
        {"tail from the middle", 6, 1, 4, 4, "6789"},
        {"elements of two bytes", 2, 2, 3, 3, "234567"},
        {"one byte past the end", 0, 1, 11, 0, nullptr},
        {"past the end from the middle", 8, 1, 3, 0, nullptr},
        {"element count that wraps the byte count", 0, 2, SIZE_MAX / 2 + 1, 0, nullptr},
        {"nothing asked", 3, 1, 0, 0, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        auto stream = streamOver("0123456789");
        ASSERT_EQ(stream->Seek(c.seek, aiOrigin_SET), aiReturn_SUCCESS);
        std::string destination(16, '#');
        EXPECT_EQ(stream->Read(&destination[0], c.elementSize, c.count), c.expectedResult);
        if (c.expectedBytes == nullptr) {
            EXPECT_EQ(destination, std::string(16, '#'));
            EXPECT_EQ(stream->Tell(), c.seek);
        } else {
            EXPECT_EQ(destination.substr(0, strlen(c.expectedBytes)), c.expectedBytes);
            EXPECT_EQ(stream->Tell(), c.seek + strlen(c.expectedBytes));
        }
    }
}

TEST(CustomAssimpIOStreamTest, SeekTellFlushAndWrite) {
    auto stream = streamOver("0123456789");
    EXPECT_EQ(stream->FileSize(), 10u);
    EXPECT_EQ(stream->Seek(4, aiOrigin_SET), aiReturn_SUCCESS);
    EXPECT_EQ(stream->Seek(3, aiOrigin_CUR), aiReturn_SUCCESS);
    EXPECT_EQ(stream->Tell(), 7u);
    EXPECT_EQ(stream->Seek(0, aiOrigin_END), aiReturn_SUCCESS);
    EXPECT_EQ(stream->Tell(), 10u);
    EXPECT_EQ(stream->Seek(1, aiOrigin_END), aiReturn_FAILURE);
    EXPECT_EQ(stream->Tell(), 10u);
    stream->Flush();
    EXPECT_EQ(stream->Tell(), 0u);

    CapturedStdout captured;
    EXPECT_EQ(stream->Write("ab", 1, 2), 0u);
    EXPECT_NE(captured.finish().find("Implement me (Write)\n"), std::string::npos);
}

}  // namespace
