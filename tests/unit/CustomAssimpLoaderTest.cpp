// The importer's file system over the package: material text refused before the importer sees
// it, imports that once crashed or leaked, entries it is told are missing, and streams that
// refuse reads past their entry.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "core/CustomAssimpIOStream.h"
#include "core/CustomAssimpLoader.h"
#include "render/Model.h"
#include "support/TestSupport.h"

using testing_support::CapturedStdout;

namespace {

// Assimp's material reader writes through a null material when a texture map or an
// anisotropy comes before the first "newmtl": such text must never reach it.
TEST(CustomAssimpLoaderMaterials, TextSettingAPropertyBeforeItsFirstMaterialIsUnsafe) {
    const std::tuple<const char*, std::string, bool> cases[] = {
        // what, the text, whether it is safe
        {"a material library", "# made by hand\n\nnewmtl a\nmap_Kd a.png\nbump b.png\n", true},
        {"an OBJ model", "mtllib m.mtl\no a\nv 0 0 0\nusemtl a\nf 1 1 1\n", true},
        {"colours before the first material", "Kd 1 1 1\nNs 10\nd 0.5\nillum 2\nnewmtl a\n", true},
        {"nothing", "", true},
        {"texture before the first material", "map_Kd a.png\nnewmtl a\n", false},
        {"in capitals, indented", "mtllib m.mtl\n\t MAP_KD a.png\n", false},
        {"bump, disp, norm, refl", "disp d.png\n", false},
        {"normal map by its first letters", "nothing.png\n", false},
        {"anisotropy", "a 1\n", false},
        {"behind a line end of NUL", std::string("newmtX\0map_Ks s.png", 20), false},
        {"behind a control character", "\x01map_Kd a.png\n", false},
        {"a blank before newmtl at the very start", " newmtl a\nmap_Kd a.png\n", false},
        {"a carriage return ends the line", "# comment\rmap_d a.png\nnewmtl a\n", false},
    };
    for (const auto& [what, text, safe] : cases) {
        EXPECT_EQ(CustomAssimpLoader::isSafeMaterialText(text.data(), text.size()), safe) << what;
    }
}

// Imports that once crashed or leaked, as Model::setup makes them before anything is uploaded.
TEST(CustomAssimpLoaderMaterials, ModelsWithDamagedMaterialTextImportCleanly) {
    const std::string triangle = "v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3\n";
    // What, the model, its material library (empty: none in the package), imported, the line logged.
    const std::tuple<const char*, std::string, std::string, bool, const char*> cases[] = {
        {"a library that sets a texture before any material", "mtllib m.mtl\n" + triangle, "map_Kd x.png\nnewmtl a\n",
         true, "Material library models/m/m.mtl sets a material before naming one"},
        // Without its library the importer reads the OBJ itself as one.
        {"an OBJ with a texture statement and no library", "mtllib gone.mtl\nmap_Kd x.png\n" + triangle, "", false,
         "Model models/m/m.obj sets a material before naming one"},
        {"a face index out of range", "o a\n" + triangle + "o b\nf 1 2 9\n", "", false, "ASSIMP model setup problem"},
        {"a sound model", "mtllib m.mtl\nusemtl a\n" + triangle, "newmtl a\nKd 1 0 0\n", true, nullptr},
    };
    for (const auto& [what, obj, mtl, imported, line] : cases) {
        SCOPED_TRACE(what);
        testing_support::Entries entries = {{"models/m/m.obj", obj}};
        mtl.empty() ? void() : void(entries.emplace_back("models/m/m.mtl", mtl));
        testing_support::PackageDir package(entries);
        ASSERT_TRUE(package.built);
        Model model("models/m/m.obj", "shaders/model.vs", "shaders/model.fs", false);
        CapturedStdout captured;
        EXPECT_EQ(model.importMeshes(), imported);
        const std::string log = captured.finish();
        EXPECT_TRUE(line == nullptr || log.find(std::string("] ") + line) != std::string::npos) << log;
        EXPECT_TRUE(!imported || (model.getMeshes().size() == 1u && model.getMeshes()[0]->getIndices().size() == 3u));
    }
}

// Past the bottom of the directory stack: nothing to pop, and no directory rather than a crash.
TEST(CustomAssimpLoaderStack, PoppingPastTheBottomFails) {
    CustomAssimpLoader loader("models/ufo1");
    EXPECT_TRUE(loader.PushDirectory("models/rocket") && loader.CurrentDirectory() == "models/rocket");
    EXPECT_TRUE(loader.PopDirectory() && loader.CurrentDirectory() == "models/ufo1" && loader.PopDirectory());
    EXPECT_FALSE(loader.PopDirectory());
    EXPECT_TRUE(loader.StackSize() == 0u && loader.CurrentDirectory().empty());
}

// The importer joins a material library's name to the model's folder with the separator, and
// takes every two paths for the same file: the package has no aliases to tell apart.
TEST(CustomAssimpLoaderStack, SlashSeparatedPathsThatAllCompareEqual) {
    CustomAssimpLoader loader("models/ufo1");
    EXPECT_EQ(loader.StackSize(), 1u);
    EXPECT_EQ(loader.getOsSeparator(), '/');
    EXPECT_TRUE(loader.ComparePaths("models/a.mtl", "textures/b.png"));
    EXPECT_TRUE(loader.PushDirectory("models/rocket") && loader.StackSize() == 2u);
}

// A missing entry is answered "no" with the package's line and then the loader's own, and
// opens nothing; an entry that is there exists and opens with its bytes.
TEST(CustomAssimpLoaderFiles, AMissingEntryLogsItsLinesAndOpensNothing) {
    const std::string material = "newmtl CrateWood\nKd 0.25 0.5 0.75\n";
    testing_support::PackageDir package(testing_support::Entries{{"models/crate/crate.mtl", material}});
    ASSERT_TRUE(package.built);
    CustomAssimpLoader loader("models/crate");
    CapturedStdout captured;
    EXPECT_FALSE(loader.Exists("models/crate/missing.mtl"));
    EXPECT_EQ(loader.Open("models/crate/missing.mtl", "rb"), nullptr);
    const std::string log = captured.finish();
    EXPECT_TRUE(log.rfind("  [ERROR] [", 0) == 0 && std::count(log.begin(), log.end(), '\n') == 3) << log;
    EXPECT_NE(log.find("] Could not find models/crate/missing.mtl in data.tul\n  [ERROR] ["), std::string::npos) << log;
    EXPECT_NE(log.find("] CustomLoader, models/crate/missing.mtl does not exist!\n"), std::string::npos) << log;
    EXPECT_TRUE(loader.Exists("models/crate/crate.mtl"));
    Assimp::IOStream* stream = loader.Open("models/crate/crate.mtl", "rb");
    ASSERT_NE(stream, nullptr);
    std::string bytes(stream->FileSize(), '\0');
    EXPECT_EQ(stream->Read(&bytes[0], 1, bytes.size()), material.size());
    EXPECT_EQ(bytes, material);
    loader.Close(stream);
}

TEST(CustomAssimpIOStreamTest, ReadsCopyOnlyWhatLiesInsideTheEntry) {
    struct Case {
        const char* what;
        size_t seek, elementSize, count, result;
        std::string copied;  // empty: the destination is untouched
    };
    const Case cases[] = {
        {"tail from the middle", 6, 1, 4, 4, "6789"},
        {"elements of two bytes", 2, 2, 3, 3, "234567"},
        {"one byte past the end", 0, 1, 11, 0, ""},
        {"past the end from the middle", 8, 1, 3, 0, ""},
        {"element count that wraps the byte count", 0, 2, SIZE_MAX / 2 + 1, 0, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        // The stream owns a malloc'ed block of exactly the entry's size, as Open makes it.
        char* bytes = static_cast<char*>(malloc(10));
        memcpy(bytes, "0123456789", 10);
        CustomAssimpIOStream stream(bytes, 10);
        ASSERT_EQ(stream.Seek(c.seek, aiOrigin_SET), aiReturn_SUCCESS);
        std::string destination(16, '#');
        EXPECT_EQ(stream.Read(&destination[0], c.elementSize, c.count), c.result);
        EXPECT_EQ(destination, c.copied + std::string(16 - c.copied.size(), '#'));
        EXPECT_EQ(stream.Tell(), c.seek + c.copied.size());
    }
}

}  // namespace
