// Checks the generated ground, sky, water and lava pictures in the run folder: they decode,
// repeat without seams, hold sound normals, and the sky boxes join along every cube edge
// the way the sky box samples them. Writes a panorama of each sky to the test output.
#include <gtest/gtest.h>

#include <glm/glm.hpp>
#include <glm/gtc/constants.hpp>
#include <stb_image.h>
#include <stb_image_write.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <string>
#include <sys/stat.h>
#include <vector>

namespace {

const std::string kRunDir = QUENLOW_RUN_DIR;

struct Picture {
    int width = 0;
    int height = 0;
    int storedChannels = 0;
    int channels = 0;
    std::vector<unsigned char> pixels;  // rows from the top

    const unsigned char* at(int x, int y) const {
        return &pixels[(static_cast<size_t>(y) * width + x) * channels];
    }
};

bool fileExists(const std::string& path) {
    struct stat info {};
    return stat(path.c_str(), &info) == 0;
}

// Decodes an entry with `channels` channels per pixel (0: as stored).
bool loadPicture(const std::string& entry, int channels, Picture* picture) {
    stbi_set_flip_vertically_on_load(0);
    unsigned char* data = stbi_load((kRunDir + "/" + entry).c_str(), &picture->width, &picture->height,
                                    &picture->storedChannels, channels);
    if (data == nullptr) {
        return false;
    }
    picture->channels = channels == 0 ? picture->storedChannels : channels;
    picture->pixels.assign(data, data + static_cast<size_t>(picture->width) * picture->height * picture->channels);
    stbi_image_free(data);
    return true;
}

#define REQUIRE_PICTURE(entry, channels, picture)                                   \
    do {                                                                            \
        if (!fileExists(kRunDir + "/" + (entry))) {                                 \
            GTEST_SKIP() << (entry) << " not generated in " << kRunDir;             \
        }                                                                           \
        ASSERT_TRUE(loadPicture((entry), (channels), &(picture))) << (entry);       \
    } while (false)

struct Entry {
    const char* name;
    int size;  // width and height
    int storedChannels;
};

// Every nature picture with its size; specular maps are stored grey.
const Entry kEntries[] = {
    {"textures/p1_diffuse_map.png", 512, 3},  {"textures/p1_normal_map.png", 512, 3},
    {"textures/p1_specular_map.png", 512, 1}, {"textures/p2_diffuse_map.png", 512, 3},
    {"textures/p2_normal_map.png", 512, 3},   {"textures/p2_specular_map.png", 512, 1},
    {"textures/p3_diffuse_map.png", 512, 3},  {"textures/p3_normal_map.png", 512, 3},
    {"textures/p3_specular_map.png", 512, 1}, {"textures/p5_diffuse_map.png", 512, 3},
    {"textures/p5_normal_map.png", 512, 3},   {"textures/p5_specular_map.png", 512, 1},
    {"textures/skybox_1.jpg", 1536, 3},       {"textures/skybox_2.jpg", 1536, 3},
    {"textures/skybox_3.jpg", 1536, 3},       {"textures/skybox_4.jpg", 1536, 3},
    {"textures/skybox_5.jpg", 1536, 3},       {"textures/water.jpg", 512, 3},
    {"textures/water2.png", 512, 4},          {"textures/lava.jpg", 512, 3},
};

std::string testName(std::string entry) {
    entry = entry.substr(entry.find('/') + 1);
    std::replace_if(entry.begin(), entry.end(), [](char c) { return !std::isalnum(static_cast<unsigned char>(c)); }, '_');
    return entry;
}

class NatureEntryTest : public testing::TestWithParam<Entry> {};

TEST_P(NatureEntryTest, DecodesAtItsSize) {
    const Entry& entry = GetParam();
    Picture picture;
    REQUIRE_PICTURE(entry.name, 0, picture);
    EXPECT_EQ(picture.width, entry.size);
    EXPECT_EQ(picture.height, entry.size);
    EXPECT_EQ(picture.storedChannels, entry.storedChannels);
}

INSTANTIATE_TEST_SUITE_P(Pictures, NatureEntryTest, testing::ValuesIn(kEntries),
                         [](const testing::TestParamInfo<Entry>& info) { return testName(info.param.name); });

// Mean absolute difference between column a and column b (or rows, when `rows`).
double lineDifference(const Picture& picture, int a, int b, bool rows) {
    const int length = rows ? picture.width : picture.height;
    double sum = 0.0;
    for (int i = 0; i < length; ++i) {
        const unsigned char* pa = rows ? picture.at(i, a) : picture.at(a, i);
        const unsigned char* pb = rows ? picture.at(i, b) : picture.at(b, i);
        for (int c = 0; c < picture.channels; ++c) {
            sum += std::abs(static_cast<int>(pa[c]) - static_cast<int>(pb[c]));
        }
    }
    return sum / (length * picture.channels);
}

// The pictures that a tile or a water square repeats.
const char* const kRepeating[] = {
    "textures/p1_diffuse_map.png", "textures/p1_normal_map.png", "textures/p1_specular_map.png",
    "textures/p2_diffuse_map.png", "textures/p2_normal_map.png", "textures/p2_specular_map.png",
    "textures/p3_diffuse_map.png", "textures/p3_normal_map.png", "textures/p3_specular_map.png",
    "textures/p5_diffuse_map.png", "textures/p5_normal_map.png", "textures/p5_specular_map.png",
    "textures/water.jpg",          "textures/water2.png",        "textures/lava.jpg",
};

class RepeatingPictureTest : public testing::TestWithParam<const char*> {};

// Across the wrap from the last column to the first (and the last row to the first) the
// colours change no more than between the neighbouring columns on either side of it. The
// comparison is local so that a crack or ripple that happens to run along the border still
// passes while a jump between unrelated content does not.
TEST_P(RepeatingPictureTest, WrapsWithoutSeams) {
    Picture picture;
    REQUIRE_PICTURE(GetParam(), 0, picture);
    constexpr int kNeighbourSteps = 4;
    for (bool rows : {false, true}) {
        const int count = rows ? picture.height : picture.width;
        double worstNear = 0.0;
        for (int i = 1; i <= kNeighbourSteps; ++i) {
            worstNear = std::max(worstNear, lineDifference(picture, count - 1 - i, count - i, rows));
            worstNear = std::max(worstNear, lineDifference(picture, i - 1, i, rows));
        }
        const double wrap = lineDifference(picture, count - 1, 0, rows);
        EXPECT_LE(wrap, 1.3 * worstNear + 1.0) << GetParam() << (rows ? " rows" : " columns");
    }
}

INSTANTIATE_TEST_SUITE_P(Pictures, RepeatingPictureTest, testing::ValuesIn(kRepeating),
                         [](const testing::TestParamInfo<const char*>& info) { return testName(info.param); });

class NormalMapTest : public testing::TestWithParam<const char*> {};

// Normal maps hold unit vectors in tangent space, all leaning out of the surface, and the
// surface as a whole faces straight out.
TEST_P(NormalMapTest, HoldsUnitNormalsPointingOutward) {
    Picture picture;
    REQUIRE_PICTURE(GetParam(), 3, picture);
    glm::dvec3 sum(0.0);
    int badLength = 0;
    int inward = 0;
    for (int y = 0; y < picture.height; ++y) {
        for (int x = 0; x < picture.width; ++x) {
            const unsigned char* p = picture.at(x, y);
            const glm::dvec3 normal(p[0] / 127.5 - 1.0, p[1] / 127.5 - 1.0, p[2] / 127.5 - 1.0);
            badLength += std::fabs(glm::length(normal) - 1.0) > 0.03 ? 1 : 0;
            inward += normal.z <= 0.2 ? 1 : 0;
            sum += normal;
        }
    }
    const glm::dvec3 mean = sum / static_cast<double>(picture.width * picture.height);
    EXPECT_EQ(badLength, 0);
    EXPECT_EQ(inward, 0);
    EXPECT_NEAR(mean.x, 0.0, 0.02);
    EXPECT_NEAR(mean.y, 0.0, 0.02);
    EXPECT_GT(mean.z, 0.85) << "too rough to read as ground";
}

INSTANTIATE_TEST_SUITE_P(Pictures, NormalMapTest,
                         testing::Values("textures/p1_normal_map.png", "textures/p2_normal_map.png",
                                         "textures/p3_normal_map.png", "textures/p5_normal_map.png"),
                         [](const testing::TestParamInfo<const char*>& info) { return testName(info.param); });

glm::dvec3 meanColour(const Picture& picture) {
    glm::dvec3 sum(0.0);
    for (int y = 0; y < picture.height; ++y) {
        for (int x = 0; x < picture.width; ++x) {
            const unsigned char* p = picture.at(x, y);
            sum += glm::dvec3(p[0], p[1], p[2]);
        }
    }
    return sum / static_cast<double>(picture.width * picture.height);
}

// Each planet has its own ground and each level its own sky: no two pictures of a family
// share their overall colour.
TEST(NatureAssetsTest, EachPlanetLooksDifferent) {
    const std::vector<std::vector<std::string>> families = {
        {"textures/p1_diffuse_map.png", "textures/p2_diffuse_map.png", "textures/p3_diffuse_map.png",
         "textures/p5_diffuse_map.png"},
        {"textures/skybox_1.jpg", "textures/skybox_2.jpg", "textures/skybox_3.jpg", "textures/skybox_4.jpg",
         "textures/skybox_5.jpg"},
    };
    for (const std::vector<std::string>& family : families) {
        std::vector<glm::dvec3> means;
        for (const std::string& entry : family) {
            Picture picture;
            REQUIRE_PICTURE(entry, 3, picture);
            means.push_back(meanColour(picture));
        }
        for (size_t i = 0; i < means.size(); ++i) {
            for (size_t j = i + 1; j < means.size(); ++j) {
                EXPECT_GT(glm::length(means[i] - means[j]), 20.0) << family[i] << " and " << family[j];
            }
        }
    }
}

// The sky box's faces as it draws them: three corners of each mapped face (A, B and D of its
// vertex table, on the unit box) with their texture coordinates. v runs up the picture,
// because the box loads its image bottom row first. The bottom face (-Z) is not mapped.
struct SkyFace {
    glm::dvec3 normal;
    glm::dvec3 a, b, d;
    glm::dvec2 uvA, uvB, uvD;
};

const double kThird = 1.0 / 3.0;
const double kTwoThirds = 2.0 / 3.0;
const SkyFace kSkyFaces[] = {
    {{0, 1, 0}, {-0.5, 0.5, 0.5}, {0.5, 0.5, 0.5}, {-0.5, 0.5, -0.5}, {kTwoThirds, kTwoThirds}, {kTwoThirds, kThird},
     {1.0, kTwoThirds}},
    {{0, -1, 0}, {-0.5, -0.5, -0.5}, {0.5, -0.5, -0.5}, {-0.5, -0.5, 0.5}, {0.0, kTwoThirds}, {0.0, kThird},
     {kThird, kTwoThirds}},
    {{1, 0, 0}, {0.5, -0.5, 0.5}, {0.5, -0.5, -0.5}, {0.5, 0.5, 0.5}, {kThird, kThird}, {kThird, 0.0},
     {kTwoThirds, kThird}},
    {{-1, 0, 0}, {-0.5, -0.5, -0.5}, {-0.5, -0.5, 0.5}, {-0.5, 0.5, -0.5}, {kThird, 1.0}, {kThird, kTwoThirds},
     {kTwoThirds, 1.0}},
    {{0, 0, 1}, {-0.5, -0.5, 0.5}, {0.5, -0.5, 0.5}, {-0.5, 0.5, 0.5}, {kThird, kTwoThirds}, {kThird, kThird},
     {kTwoThirds, kTwoThirds}},
};

// The texel a point of the face shows, picked the nearest way, as the sky box samples.
const unsigned char* skyTexel(const Picture& sky, const SkyFace& face, const glm::dvec3& point) {
    const double alongB = glm::dot(point - face.a, face.b - face.a);
    const double alongD = glm::dot(point - face.a, face.d - face.a);
    const glm::dvec2 uv = face.uvA + alongB * (face.uvB - face.uvA) + alongD * (face.uvD - face.uvA);
    const int x = std::clamp(static_cast<int>(uv.x * sky.width), 0, sky.width - 1);
    const int y = std::clamp(static_cast<int>((1.0 - uv.y) * sky.height), 0, sky.height - 1);
    return sky.at(x, y);
}

double colourDistance(const unsigned char* a, const unsigned char* b) {
    return (std::abs(a[0] - b[0]) + std::abs(a[1] - b[1]) + std::abs(a[2] - b[2])) / 3.0;
}

const char* const kSkies[] = {"textures/skybox_1.jpg", "textures/skybox_2.jpg", "textures/skybox_3.jpg",
                              "textures/skybox_4.jpg", "textures/skybox_5.jpg"};

class SkyboxTest : public testing::TestWithParam<const char*> {};

// Along each of the eight edges where two mapped faces meet, the texels just either side of
// the edge match as closely as texels the same distance apart inside one face.
TEST_P(SkyboxTest, FacesJoinAlongEveryCubeEdge) {
    Picture sky;
    REQUIRE_PICTURE(GetParam(), 3, sky);
    const double texel = 1.0 / (sky.width / 3);
    int edges = 0;
    for (const SkyFace& first : kSkyFaces) {
        for (const SkyFace& second : kSkyFaces) {
            if (&first >= &second || glm::dot(first.normal, second.normal) != 0.0) {
                continue;
            }
            ++edges;
            const glm::dvec3 middle = 0.5 * (first.normal + second.normal);
            const glm::dvec3 along = glm::cross(first.normal, second.normal);
            double across = 0.0;
            double inside = 0.0;
            int jumps = 0;
            constexpr int kSamples = 200;
            for (int i = 0; i < kSamples; ++i) {
                const glm::dvec3 onEdge = middle + (static_cast<double>(i) / (kSamples - 1) - 0.5) * 0.98 * along;
                const unsigned char* a = skyTexel(sky, first, onEdge - 1.5 * texel * second.normal);
                const unsigned char* b = skyTexel(sky, second, onEdge - 1.5 * texel * first.normal);
                const unsigned char* a2 = skyTexel(sky, first, onEdge - 4.5 * texel * second.normal);
                const double step = colourDistance(a, b);
                across += step;
                inside += colourDistance(a, a2);
                jumps += step > 24.0 ? 1 : 0;
            }
            across /= kSamples;
            inside /= kSamples;
            const std::string edge = std::string(GetParam()) + ", edge at (" + std::to_string(middle.x) + ", " +
                                     std::to_string(middle.y) + ", " + std::to_string(middle.z) + ")";
            EXPECT_LE(across, 1.5 * inside + 2.0) << edge;
            // A star or the rim of a moon may sit right on the edge.
            EXPECT_LE(jumps, 3) << edge;
        }
    }
    EXPECT_EQ(edges, 8);
}

// Where the first level that shows each sky puts its light, seen from the middle of the box.
struct SkyLight {
    const char* sky;
    glm::dvec3 light;
};

const SkyLight kSkyLights[] = {
    {"textures/skybox_1.jpg", {80, 60, 140}},  {"textures/skybox_2.jpg", {120, -40, 90}},
    {"textures/skybox_3.jpg", {-60, 90, 110}}, {"textures/skybox_4.jpg", {50, 120, 70}},
    {"textures/skybox_5.jpg", {160, 30, 35}},
};

// The sun's disc sits in the direction of the level's light, so that the terrain is lit
// from where the sun shows; a sky box painted upside down or mirrored shows it elsewhere.
TEST(SkyboxSunTest, SunShowsWhereTheLightIs) {
    for (const SkyLight& entry : kSkyLights) {
        Picture sky;
        REQUIRE_PICTURE(entry.sky, 3, sky);
        const glm::dvec3 dir = glm::normalize(entry.light);
        const SkyFace* best = nullptr;
        for (const SkyFace& face : kSkyFaces) {
            if (best == nullptr || glm::dot(dir, face.normal) > glm::dot(dir, best->normal)) {
                best = &face;
            }
        }
        const unsigned char* texel = skyTexel(sky, *best, dir * (0.5 / glm::dot(dir, best->normal)));
        const int x = static_cast<int>((texel - sky.pixels.data()) / 3) % sky.width;
        const int y = static_cast<int>((texel - sky.pixels.data()) / 3) / sky.width;
        double brightest = 0.0;
        for (int dy = -2; dy <= 2; ++dy) {
            for (int dx = -2; dx <= 2; ++dx) {
                const unsigned char* p = sky.at(std::clamp(x + dx, 0, sky.width - 1), std::clamp(y + dy, 0, sky.height - 1));
                brightest += std::max({p[0], p[1], p[2]}) / 25.0;
            }
        }
        EXPECT_GE(brightest, 235.0) << entry.sky;
    }
}

// What the player sees all around: azimuth across, elevation from -30 to +90 degrees up the
// picture, for people to look at.
TEST_P(SkyboxTest, WritesPanorama) {
    Picture sky;
    REQUIRE_PICTURE(GetParam(), 3, sky);
    constexpr int kWidth = 1024;
    constexpr int kHeight = 341;
    std::vector<unsigned char> panorama(kWidth * kHeight * 3, 0);
    for (int y = 0; y < kHeight; ++y) {
        const double elevation = glm::radians(90.0 - 120.0 * (y + 0.5) / kHeight);
        for (int x = 0; x < kWidth; ++x) {
            const double azimuth = 2.0 * glm::pi<double>() * (x + 0.5) / kWidth;
            const glm::dvec3 dir(std::cos(elevation) * std::cos(azimuth), std::cos(elevation) * std::sin(azimuth),
                                 std::sin(elevation));
            const SkyFace* best = nullptr;
            for (const SkyFace& face : kSkyFaces) {
                if (best == nullptr || glm::dot(dir, face.normal) > glm::dot(dir, best->normal)) {
                    best = &face;
                }
            }
            const glm::dvec3 point = dir * (0.5 / glm::dot(dir, best->normal));
            std::copy_n(skyTexel(sky, *best, point), 3, &panorama[(y * kWidth + x) * 3]);
        }
    }
    std::string name = GetParam();
    name = name.substr(name.find('/') + 1, name.find('.') - name.find('/') - 1);
    const std::string path = std::string(QUENLOW_TEST_OUTPUT) + "/" + name + "_panorama.png";
    EXPECT_NE(stbi_write_png(path.c_str(), kWidth, kHeight, 3, panorama.data(), kWidth * 3), 0) << path;
}

INSTANTIATE_TEST_SUITE_P(Skies, SkyboxTest, testing::ValuesIn(kSkies), [](const testing::TestParamInfo<const char*>& info) {
    return "skybox_" + std::to_string(info.index + 1);
});

}  // namespace
