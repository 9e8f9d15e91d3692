// The packaged planets set up and drawn as the planet view does it, with pictures of all nine in
// build/test-output/levels.
#include <GL/glew.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <glm/gtc/matrix_transform.hpp>
#include <memory>
#include <string>
#include <tuple>

#include "RenderTestKit.h"
#include "core/AssetList.h"
#include "core/MathUtil.h"
#include "game/Level.h"
#include "game/LevelObjectManager.h"
#include "game/LevelTile.h"
#include "render/Model.h"
#include "render/TexturedCuboid.h"
#include "render/Water.h"
#include "support/RunAssets.h"

namespace {

constexpr float kFrame = 1.0f / 60.0f;

std::string levelEntry(int planet) {
    return "levels/system_1/s1p" + std::to_string(planet) + ".json";
}

// One planet visit: the level, its camera and the planet view's frame.
struct Visit {
    Visit(const std::string& entry, LevelObjectManager* objects) : level(entry, true) { ok = level.setup(objects); }
    int step(float dt = kFrame) {
        camera.update(yaw, pitch, 0.0f, 0.0f, eyeHeight, false, &level, dt);
        return level.update(dt, *camera.getPosition(), *camera.getViewDirection());
    }
    // Frames until the rocket's code leaves `code`, at most `limit`; the codes seen.
    std::vector<int> until(int code, size_t limit) {
        std::vector<int> codes{step()};
        while (codes.size() < limit && codes.back() == code) {
            codes.push_back(step());
        }
        return codes;
    }
    void lookAt(const glm::vec2& spot, const glm::vec3& target) {
        camera.position = glm::vec3(spot, 0.0f);
        yaw = std::atan2(target.y - spot.y, target.x - spot.x);
        for (int i = 0; i < 3; ++i) {
            step(0.0f);
            pitch = (target.z - camera.getPosition()->z) / glm::distance(glm::vec2(target), spot);
        }
    }
    // Draws the level over a red clear and returns the window's pixels.
    std::vector<uint8_t> draw(const char* picture = nullptr) {
        render_test::clearWindow(1.0f, 0.2f, 0.2f);
        glEnable(GL_PROGRAM_POINT_SIZE);
        level.render(&camera, *camera.getPosition());
        picture != nullptr ? render_test::saveScreenshot(picture) : void();
        return testing_support::readPixels(0, 0, 1280, 720);
    }
    Level level;
    Camera camera{glm::vec3(0.0f, -10.0f, 0.0f), glm::vec3(0.0f, 0.0f, 1.0f), glm::vec3(0.0f, 0.0f, 1.0f), 1280, 720};
    float yaw = 0.0f, pitch = 0.0f, eyeHeight = 0.0f;
    bool ok = false;
};

struct PlanetLevel : ::testing::Test {
    void SetUp() override {
        REQUIRE_RUN_ASSETS();
        ASSERT_TRUE(objects.setup());
    }
    testing_support::ScopedWorkingDirectory inside{QUENLOW_RUN_DIR};
    LevelObjectManager objects;
};

// The fragments a draw lets through: none means it changed no pixel.
template <typename Draw>
GLuint samplesDrawn(Draw draw) {
    GLuint query = 0, samples = 0;
    glGenQueries(1, &query);
    glBeginQuery(GL_SAMPLES_PASSED, query);
    draw();
    glEndQuery(GL_SAMPLES_PASSED);
    glGetQueryObjectuiv(query, GL_QUERY_RESULT, &samples);
    glDeleteQueries(1, &query);
    return samples;
}

// Each level's grid, placed objects and water, hashed into one line per level; each tile has
// room for all the objects its level asks for. The crystal floats 1 to 3 over the ground of the
// tile under it as it bobs (by 0.3), clear of the water and of the objects placed there.
std::string layoutDigests(LevelObjectManager* objects, bool reseeded = false) {
    std::string lines;
    for (int planet = 1; planet <= (reseeded ? 1 : 9); ++planet) {
        Level level(levelEntry(planet), true);
        testing_support::CapturedStdout output;
        const bool setUp = level.setup(objects);
        const std::string log = output.finish();
        EXPECT_TRUE(setUp && log.find("has room for") == std::string::npos) << planet << "\n" << log;
        std::string bytes;
        auto add = [&bytes](const void* data, size_t size) { bytes.append(static_cast<const char*>(data), size); };
        for (int slot = 0; slot < Level::kGridSlots && level.getGridTile(slot) != nullptr; ++slot) {
            const LevelTile* tile = level.getGridTile(slot);
            const int index = tile->getIndex();
            add(&index, sizeof(index));
            for (const LevelTileObject* object : tile->getObjects()) {
                add(object, sizeof(*object));
            }
            const Water* water = tile->getWaterSquare();
            water != nullptr ? add(water->getVertices().data(), water->getVertices().size() * sizeof(WaterVertex))
                             : void();
        }
        lines += "layout " + std::to_string(planet) + " " + std::to_string(std::hash<std::string>()(bytes)) + "\n";
        const glm::vec3 crystal = level.artefactPosition;
        const float w = level.getWidth() / 3.0f;
        LevelTile* tile = level.getGridTile(static_cast<int>(crystal.y / w) * 3 + static_cast<int>(crystal.x / w));
        const glm::vec2 at(std::fmod(crystal.x, w), std::fmod(crystal.y, w));
        const float clearance = crystal.z - tile->getElevation(at.x, at.y);
        EXPECT_TRUE(reseeded || (clearance >= 1.3f && clearance <= 2.7f && !tile->insideWater(at.x, at.y)))
            << planet << " " << clearance;
        for (const LevelTileObject* object : tile->getObjects()) {
            EXPECT_TRUE(reseeded || glm::distance(glm::vec2(object->position), at) >= 3.0f) << planet;
        }
    }
    return lines;
}

// The tile's mesh has downward normals: its shader must still light ground from above brightly
// and ground lit from below only by the ambient share. A flat tile of plain grey ground, seen from
// above, with light straight above it and then straight below.
TEST(TerrainLight, GroundLitFromAboveDespiteDownwardNormals) {
    const std::string grey = render_test::solidPng(16, 16, 200, 200, 200),
                      black = render_test::solidPng(16, 16, 0, 0, 0);
    render_test::PackageFolder package({{"shaders/level.vs", render_test::assetSource("shaders/level.vs")},
                                        {"shaders/level.fs", render_test::assetSource("shaders/level.fs")},
                                        {"hm.png", render_test::solidPng(16, 16, 60, 60, 60)},
                                        {"usage.png", black},
                                        {"diffuse.png", grey},
                                        {"specular.png", black},
                                        {"normal.png", render_test::solidPng(16, 16, 128, 128, 255)}});
    ASSERT_TRUE(package.ok());
    LevelObjectManager objects;
    LevelTile tile(3, "hm.png", "usage.png", "diffuse.png", "specular.png", "normal.png", &objects, 0.0f, "");
    ASSERT_TRUE(tile.setup());
    const glm::vec3 ground(7.5f, 7.5f, tile.getElevation(7.5f, 7.5f));
    Camera camera = render_test::lookingAt(ground + glm::vec3(0, 0, 5), ground, glm::vec3(0, 1, 0));
    int red[2] = {};
    for (const int side : {0, 1}) {
        render_test::clearWindow(0, 0, 0);
        tile.render(&camera, glm::vec3(0.0f), ground + glm::vec3(0, 0, side == 0 ? 50 : -50),
                    ground + glm::vec3(0, 0, 5), 1.0f);
        red[side] = testing_support::readPixel(640, 360).r;
    }
    EXPECT_GT(red[0], 180) << "lit from above";
    EXPECT_TRUE(red[1] > 30 && red[1] < 100) << "lit from below: " << red[1];
}

constexpr int kUsageTexels = 128;  // a usage map's texels across, one per unit of its tile

// A usage map of the tile's size whose texel (column, row) is colour(column, row), row 0 along the
// tile's edge at y = 0 (tiles load their maps flipped).
std::string usagePng(const std::function<glm::u8vec3(int, int)>& colour) {
    std::vector<uint8_t> pixels;
    for (int line = 0; line < kUsageTexels; ++line) {
        for (int column = 0; column < kUsageTexels; ++column) {
            const glm::u8vec3 texel = colour(column, kUsageTexels - 1 - line);
            pixels.insert(pixels.end(), {texel.r, texel.g, texel.b});
        }
    }
    return testing_support::pngBytes(kUsageTexels, kUsageTexels, 3, pixels);
}

// The weight a usage map of one channel, weight(column, row) in 0 to 1, gives the ground at a point
// of its tile of `extent` units: the texels as nearest sampling places them (texel i over the i-th
// of 128 equal parts of the tile), blended between their centres and held at the map's edges.
float usageWeight(const std::function<float(int, int)>& weight, const glm::vec2& at, float extent) {
    const glm::vec2 texel = at / extent * static_cast<float>(kUsageTexels) - 0.5f;
    const glm::vec2 low = glm::floor(texel), share = texel - low;
    auto fetch = [&](float column, float row) {
        return weight(std::clamp(static_cast<int>(column), 0, kUsageTexels - 1),
                      std::clamp(static_cast<int>(row), 0, kUsageTexels - 1));
    };
    return glm::mix(glm::mix(fetch(low.x, low.y), fetch(low.x + 1, low.y), share.x),
                    glm::mix(fetch(low.x, low.y + 1), fetch(low.x + 1, low.y + 1), share.x), share.y);
}

// A patch of rock or snow fades into the ground beside it over one usage texel, centred where
// nearest sampling put the map's texels' meeting, and a tile's edge takes no tint from the map's far
// side: no stair steps, and the patches where the map puts them. A flat tile of plain grey ground
// seen from straight above, along lines across each edge: every pixel is the blend of the same
// pixel drawn without and with the patch's look throughout, by the weight the map gives its point.
TEST(GroundPatches, BlendOverATexelWhereTheUsageMapPutsTheirEdges) {
    const glm::u8vec3 plain(0), rock(255, 0, 0), snow(0, 255, 0);
    const std::function<float(int, int)> rockFrom96 = [](int column, int) { return column >= 96 ? 1.0f : 0.0f; },
                                         snowFrom40 = [](int, int row) { return row >= 40 ? 1.0f : 0.0f; },
                                         rockFirstColumn = [](int column, int) { return column == 0 ? 1.0f : 0.0f; };
    auto mapOf = [&](const std::function<float(int, int)>& weight, const glm::u8vec3& look) {
        return usagePng([&](int column, int row) { return weight(column, row) > 0.5f ? look : plain; });
    };
    render_test::PackageFolder package({{"shaders/level.vs", render_test::assetSource("shaders/level.vs")},
                                        {"shaders/level.fs", render_test::assetSource("shaders/level.fs")},
                                        {"hm.png", render_test::solidPng(kUsageTexels, kUsageTexels, 60, 60, 60)},
                                        {"plain.png", usagePng([&](int, int) { return plain; })},
                                        {"rock.png", usagePng([&](int, int) { return rock; })},
                                        {"snow.png", usagePng([&](int, int) { return snow; })},
                                        {"rock_from_96.png", mapOf(rockFrom96, rock)},
                                        {"snow_from_40.png", mapOf(snowFrom40, snow)},
                                        {"rock_first_column.png", mapOf(rockFirstColumn, rock)},
                                        {"diffuse.png", render_test::solidPng(16, 16, 180, 180, 180)},
                                        {"specular.png", render_test::solidPng(16, 16, 0, 0, 0)},
                                        {"normal.png", render_test::solidPng(16, 16, 128, 128, 255)}});
    ASSERT_TRUE(package.ok());
    LevelObjectManager objects;
    auto tileOf = [&](const char* usage) {
        auto tile = std::make_unique<LevelTile>(3, "hm.png", usage, "diffuse.png", "specular.png", "normal.png",
                                                &objects, 0.0f, "");
        EXPECT_TRUE(tile->setup()) << usage;
        return tile;
    };
    const std::unique_ptr<LevelTile> plainTile = tileOf("plain.png"), rockTile = tileOf("rock.png"),
                                     snowTile = tileOf("snow.png");
    ASSERT_FLOAT_EQ(plainTile->width, kUsageTexels - 1.0f);
    // The map, the tile drawn with the patch's look all over, the patch's weights, the line looked along.
    const std::tuple<const char*, LevelTile*, std::function<float(int, int)>, glm::vec2, glm::vec2> edges[] = {
        {"rock_from_96.png", rockTile.get(), rockFrom96, {92.0f, 64.3f}, {99.0f, 64.3f}},
        {"snow_from_40.png", snowTile.get(), snowFrom40, {64.3f, 36.0f}, {64.3f, 43.0f}},
        {"rock_first_column.png", rockTile.get(), rockFirstColumn, {0.02f, 64.3f}, {3.0f, 64.3f}},
        {"rock_first_column.png", rockTile.get(), rockFirstColumn, {123.0f, 64.3f}, {126.98f, 64.3f}}};
    for (const auto& [map, patchTile, weight, from, to] : edges) {
        SCOPED_TRACE(std::string(map) + " from " + std::to_string(from.x) + ", " + std::to_string(from.y));
        const std::unique_ptr<LevelTile> tile = tileOf(map);
        const float ground = tile->getElevation(64.0f, 64.0f);
        // Three units over the line's middle, the line running across the window.
        const glm::vec2 along = glm::normalize(to - from), middle = (from + to) / 2.0f;
        Camera camera = render_test::lookingAt(glm::vec3(middle, ground + 3.0f), glm::vec3(middle, ground),
                                               glm::vec3(-along.y, along.x, 0.0f));
        const glm::vec3 light(middle, ground + 1000.0f), eye = *camera.getPosition();
        std::vector<uint8_t> shown[3];
        for (int draw = 0; draw < 3; ++draw) {
            render_test::clearWindow(1.0f, 0.2f, 0.2f);
            LevelTile* drawn = draw == 0 ? plainTile.get() : draw == 1 ? patchTile : tile.get();
            drawn->render(&camera, glm::vec3(0.0f), light, eye, 1.0f);
            shown[draw] = testing_support::readPixels(0, 0, 1280, 720);
        }
        const glm::mat4 view = camera.getViewMatrix();
        auto channel = [&](int draw, int pixel, int rgb) {
            return static_cast<int>(shown[draw][static_cast<size_t>(pixel) * 4 + static_cast<size_t>(rgb)]);
        };
        int pixels = 0, largestStep = 0, contrast = 0, previous = -1;
        float worst = 0.0f;
        std::string worstAt;
        for (int step = 0; step <= 2000; ++step) {
            const glm::vec2 at = glm::mix(from, to, static_cast<float>(step) / 2000.0f);
            const glm::vec3 window = glm::project(glm::vec3(at, ground), view, *camera.getPerspectiveMatrix(),
                                                  glm::vec4(0.0f, 0.0f, 1280.0f, 720.0f));
            const int pixel = static_cast<int>(window.y) * 1280 + static_cast<int>(window.x);
            if (pixel == previous) {
                continue;
            }
            const float w = usageWeight(weight, at, plainTile->width);
            for (int rgb = 0; rgb < 3; ++rgb) {
                const float blend =
                    glm::mix(static_cast<float>(channel(0, pixel, rgb)), static_cast<float>(channel(1, pixel, rgb)), w);
                const float off = std::abs(static_cast<float>(channel(2, pixel, rgb)) - blend);
                worstAt = off > worst
                              ? std::to_string(at.x) + ", " + std::to_string(at.y) + " (weight " + std::to_string(w) +
                                    "): " + std::to_string(channel(2, pixel, rgb)) + " for " + std::to_string(blend)
                              : worstAt;
                worst = std::max(worst, off);
                contrast = std::max(contrast, std::abs(channel(1, pixel, rgb) - channel(0, pixel, rgb)));
                largestStep = std::max(largestStep,
                                       previous < 0 ? 0 : std::abs(channel(2, pixel, rgb) - channel(2, previous, rgb)));
            }
            previous = pixel;
            ++pixels;
        }
        EXPECT_TRUE(pixels > 250 && contrast > 30) << pixels << " pixels, " << contrast << " levels apart";
        EXPECT_LE(worst, 4.0f) << "not the blend the usage map gives at " << worstAt;
        EXPECT_LE(largestStep, 5) << "the ground's colour jumps between neighbouring pixels";
    }
}

// Every level sets up, a second process builds the same worlds, and the seed alone changes one.
TEST_F(PlanetLevel, EveryLevelSetsUpAndItsSeedMakesItsWorld) {
    const std::string here = layoutDigests(&objects);
    if (getenv("QUENLOW_LAYOUT_CHILD") != nullptr) {
        return (void)printf("%s", here.c_str());
    }
    char self[4096] = {};
    ASSERT_GT(readlink("/proc/self/exe", self, sizeof(self) - 1), 0);
    const std::string child =
        testing_support::runCommand(QUENLOW_RUN_DIR, std::string("QUENLOW_LAYOUT_CHILD=1 '") + self +
                                                         "' --gtest_filter=PlanetLevel.Every*World")
            .output;
    EXPECT_NE(child.find(here), std::string::npos) << here << child;
    testing_support::TempDir dir;
    testing_support::Entries entries;
    for (const std::string& entry : buildAssetList()) {
        entries.emplace_back(entry, testing_support::readFile(testing_support::runPath(entry)));
        if (entry == levelEntry(1)) {
            entries.back().second.replace(entries.back().second.find("\"seed\": 4711"), 12, "\"seed\": 4712");
        }
    }
    ASSERT_TRUE(testing_support::buildPackage(dir.path(), entries));
    testing_support::ScopedWorkingDirectory reseeded(dir.path());
    EXPECT_EQ(here.find(layoutDigests(&objects, true).substr(9)), std::string::npos);
}

std::vector<float> windowDepths() {
    std::vector<float> depth(1280 * 720);
    glReadPixels(0, 0, 1280, 720, GL_DEPTH_COMPONENT, GL_FLOAT, depth.data());
    return depth;
}

// How far along the view a window depth lies, by the camera's near and far planes (0.01 and 400).
float viewDistance(float depth) {
    return 8.0f / (400.01f - (2.0f * depth - 1.0f) * 399.99f);
}

// Each planet from the landing to the crystal, with pictures for people to look at in
// build/test-output/levels: from above the landing rocket, from the player's start a few seconds
// after the landing, and from beside the crystal.
TEST_F(PlanetLevel, EveryPlanetFromLandingToTheCrystal) {
    std::filesystem::create_directories(std::string(QUENLOW_TEST_OUTPUT) + "/levels");
    for (int planet = 1; planet <= 9; ++planet) {
        SCOPED_TRACE(levelEntry(planet));
        const std::string picture = std::string("levels/s1p") + std::to_string(planet);
        Visit visit(levelEntry(planet), &objects);
        ASSERT_TRUE(visit.ok);
        visit.level.land();
        visit.camera.followTarget = visit.level.getFollowable();
        visit.until(ROCKET_CODE_LANDING, 180);
        visit.camera.position = visit.level.getFollowable()->getPosition() + glm::vec3(8.0f, 10.0f, 34.0f);
        visit.step(0.0f);
        visit.draw((picture + "_landing.png").c_str());
        // Landing to the end, then one frame of 2.
        EXPECT_EQ(visit.until(ROCKET_CODE_LANDING, 900).back(), ROCKET_CODE_LANDED);
        EXPECT_NEAR(visit.level.getElevation(0.0f, 0.0f), visit.level.getFollowable()->getPosition().z, 0.5f);
        visit.camera.reset();
        visit.yaw = 3.14159265f;
        EXPECT_EQ(visit.until(ROCKET_CODE_ON_FOOT, 360).size(), 360u);

        // Nearer than the sky box everywhere below the horizon, the sky box over most of the top third.
        const glm::vec3 eye = *visit.camera.getPosition();
        TexturedCuboid skyAlone(eye.x, eye.y, 0.0f, 381, 381, 381, "textures/skybox_1.jpg", "shaders/basic_textured.vs",
                                "shaders/basic_textured.fs");
        ASSERT_TRUE(skyAlone.setup(UV_MAPPING_CUBE));
        render_test::clearWindow(0, 0, 0);
        skyAlone.render(&visit.camera, false, glm::vec3(0.0f));
        const std::vector<float> skyDepth = windowDepths();
        const std::vector<uint8_t> colour = visit.draw((picture + "_start.png").c_str());
        const std::vector<float> depth = windowDepths();
        int ground = 0, sky = 0;
        for (int i = 0; i < 1280 * 720; i += 5) {
            ground += i < 1280 * 320 && depth[i] < skyDepth[i];
            sky += i >= 1280 * 480 && depth[i] >= skyDepth[i] &&
                   !testing_support::near({colour[4 * i], colour[4 * i + 1], colour[4 * i + 2], 255}, 255, 51, 51, 2);
        }
        EXPECT_TRUE(ground == 1280 * 320 / 5 && sky > 1280 * 240 / 5 * 6 / 10) << ground << " " << sky;
        // The rocket 40 ahead (its body about 3 across), standing on that ground: the depth under
        // its middle, made linear again over the camera's near and far planes.
        const glm::vec4 body =
            *visit.camera.getPerspectiveMatrix() * visit.camera.getViewMatrix() * glm::vec4(0, 0, 15, 1);
        const float d = depth[int((body.y / body.w + 1) * 360) * 1280 + int((body.x / body.w + 1) * 640)];
        EXPECT_NEAR(viewDistance(d), 38.0f, 3.0f);
        // Every query reads the player's tile, the point wrapped into it, whatever tile is drawn there.
        LevelTile* tile = visit.level.getCurrentTile();
        const float w = visit.level.getWidth() / 3.0f;
        EXPECT_EQ(visit.level.getElevation(-0.5f, 10.0f), tile->getElevation(w - 0.5f, 10.0f));
        EXPECT_EQ(visit.level.getElevation(-30.0f, 70.0f),
                  visit.level.getElevation(7.0f * w - 30.0f, 70.0f - 3.0f * w));
        EXPECT_EQ(visit.level.getNormal(glm::vec3(-30.0f, 70.0f, 9.0f)), tile->getNormal(w - 30.0f, 70.0f));

        const glm::vec3 crystal = visit.level.artefactPosition;
        // Taking the crystal takes its glow along, and nothing else changes.
        visit.level.artefactPresent = true;
        visit.lookAt(glm::vec2(crystal) - glm::normalize(glm::vec2(crystal)) * 7.0f, crystal);
        const std::vector<uint8_t> present = visit.draw((picture + "_artefact.png").c_str());
        visit.level.artefactPresent = false;
        const std::vector<uint8_t> taken = visit.draw();
        int changed = 0, far = 0;
        for (size_t i = 0; i < present.size(); i += 4) {
            const bool differs = std::memcmp(&present[i], &taken[i], 3) != 0;
            changed += differs;
            far += differs && glm::distance(glm::vec2((i / 4) % 1280, (i / 4) / 1280), glm::vec2(640, 360)) > 300.0f;
        }
        EXPECT_TRUE(changed > 1000 && far == 0) << changed << " " << far;
    }
}

// Close-ups for people to look at in build/test-output/ground: the sharpest edge of a rock or snow
// patch on the ground of the tile at the world's origin, dry and away from the tile's border, as a
// player sees it from 5 and from 25 units away, on the ice planet, the desert and the grassland.
TEST_F(PlanetLevel, GroundCloseUpsOfPatchEdges) {
    std::filesystem::create_directories(std::string(QUENLOW_TEST_OUTPUT) + "/ground");
    for (const int planet : {3, 2, 5}) {
        SCOPED_TRACE(levelEntry(planet));
        Visit visit(levelEntry(planet), &objects);
        ASSERT_TRUE(visit.ok);
        visit.lookAt(glm::vec2(20.0f, 20.0f), glm::vec3(30.0f, 30.0f, 10.0f));
        LevelTile* tile = visit.level.getCurrentTile();
        testing_support::Image usage;
        ASSERT_TRUE(testing_support::decodeRunImage(
            "textures/heightmaps/tu_" + std::to_string(tile->getIndex()) + ".png", &usage, 3, true));
        // The texel whose rock or snow weight differs most from its neighbour's in x or in y.
        int sharpest = 0;
        glm::vec2 edge(0.0f), across(1.0f, 0.0f);
        const float texel = tile->width / static_cast<float>(kUsageTexels);
        for (int row = 16; row < kUsageTexels - 16; ++row) {
            for (int column = 16; column < kUsageTexels - 16; ++column) {
                for (const glm::ivec2 next : {glm::ivec2(1, 0), glm::ivec2(0, 1)}) {
                    const uint8_t *here = usage.at(column, row), *there = usage.at(column + next.x, row + next.y);
                    const int jump = std::max(std::abs(here[0] - there[0]), std::abs(here[1] - there[1]));
                    const glm::vec2 meeting = (glm::vec2(column, row) + 0.5f + glm::vec2(next) * 0.5f) * texel;
                    if (jump > sharpest && !tile->insideWater(meeting.x, meeting.y)) {
                        sharpest = jump;
                        edge = meeting;
                        across = glm::vec2(next);
                    }
                }
            }
        }
        EXPECT_GT(sharpest, 128);
        // Looked at slantwise, so that the edge runs across the picture and away from the eye, from a
        // little over a player's eye, and from the first side, lit sides first, where no crest or
        // object hides the edge from the eye.
        const glm::vec3 target(edge, tile->getElevation(edge.x, edge.y));
        std::vector<glm::vec2> sides;
        for (const float turn : {0.6f, -0.6f}) {
            for (const float sign : {1.0f, -1.0f}) {
                sides.push_back(glm::normalize(across + glm::vec2(-across.y, across.x) * turn) * sign);
            }
        }
        const glm::vec2 light(visit.level.skyboxLightPosition);
        std::stable_sort(sides.begin(), sides.end(), [&](const glm::vec2& a, const glm::vec2& b) {
            return glm::dot(a, light) < glm::dot(b, light);
        });
        for (const auto& [distance, height, name] : {std::tuple{5.0f, 3.0f, "near"}, std::tuple{25.0f, 8.0f, "far"}}) {
            visit.eyeHeight = height;
            bool seen = false;
            for (size_t side = 0; side < sides.size() && !seen; ++side) {
                visit.lookAt(edge - sides[side] * distance, target);
                visit.draw(("ground/s1p" + std::to_string(planet) + "_" + name + ".png").c_str());
                const float away = glm::distance(*visit.camera.getPosition(), target);
                seen = std::abs(viewDistance(windowDepths()[360 * 1280 + 640]) - away) < away * 0.05f;
            }
            EXPECT_TRUE(seen) << name << ": the edge is hidden from every side";
        }
    }
}

// The facing flags follow the eye at the level's next test, at most 0.3 s later: the rocket's
// within 10 units and an eighth of a turn of the view, the crystal's within 5 and only while it
// is there.
TEST_F(PlanetLevel, FacingFlagsFollowTheEyeAtTheNextTest) {
    Visit visit(levelEntry(1), &objects);
    ASSERT_TRUE(visit.ok);
    const glm::vec3 crystal = visit.level.artefactPosition;
    const glm::vec2 byCrystal = glm::vec2(crystal) + glm::vec2(3, 1);
    // Where the eye stands, what it looks at, the crystal there, facing the rocket, facing the crystal.
    const std::tuple<glm::vec2, glm::vec3, bool, bool, bool> views[] = {
        {{6, -2}, {0, 0, 14}, true, true, false},   {{6, -2}, {12, -4, 14}, true, false, false},
        {{12, -2}, {0, 0, 14}, true, false, false}, {byCrystal, crystal, true, false, true},
        {byCrystal, crystal, false, false, false},  {byCrystal, crystal, true, false, true}};
    for (const auto& [spot, target, present, rocket, artefact] : views) {
        visit.level.artefactPresent = present;
        visit.lookAt(spot, target);
        for (int frame = 0; frame < 19; ++frame) {
            visit.step();
        }
        EXPECT_TRUE(visit.level.facingRocket == rocket && visit.level.facingArtefact == artefact)
            << spot.x << ", " << spot.y << " looking at " << target.x << ", " << target.y;
    }
    // Either side of the reach (10 for the rocket, 5 for the crystal, eye to thing) and of an
    // eighth of a turn off the line of sight: the rocket or the crystal, the distance, the turn
    // off it in radians, facing.
    const std::tuple<bool, float, float, bool> edges[] = {
        {true, 9.8f, 0.0f, true},  {true, 10.2f, 0.0f, false}, {true, 8.0f, 0.75f, true},   {true, 8.0f, -0.82f, false},
        {false, 4.8f, 0.0f, true}, {false, 5.2f, 0.0f, false}, {false, 4.0f, -0.75f, true}, {false, 4.0f, 0.82f, false},
    };
    visit.level.artefactPresent = true;
    for (const auto& [isRocket, distance, turn, faced] : edges) {
        const glm::vec3 thing = isRocket ? visit.level.getFollowable()->getPosition() : crystal;
        const glm::vec2 bearing = glm::normalize(isRocket ? glm::vec2(6, -2) : glm::vec2(3, 1));
        glm::vec2 spot = glm::vec2(thing) + bearing * distance;
        for (int fit = 0; fit < 3; ++fit) {  // the eye's height follows the ground where it stands
            visit.lookAt(spot, thing);
            const float rise = visit.camera.getPosition()->z - thing.z;
            spot = glm::vec2(thing) + bearing * std::sqrt(distance * distance - rise * rise);
        }
        visit.lookAt(spot, thing);
        visit.yaw += turn;
        for (int frame = 0; frame < 19; ++frame) {
            visit.step();
        }
        const float reached = glm::distance(*visit.camera.getPosition(), thing);
        EXPECT_EQ(isRocket ? visit.level.facingRocket : visit.level.facingArtefact, faced)
            << (isRocket ? "rocket" : "crystal") << " at " << reached << ", turned " << turn;
    }
}

// Tiles and objects are left out of the draw only where drawing them lets no fragment through.
TEST_F(PlanetLevel, WhatTheDrawLeavesOutWouldDrawNothing) {
    Visit visit(levelEntry(5), &objects);
    ASSERT_TRUE(visit.ok);
    const float w = visit.level.getWidth() / 3.0f;
    int leftOut = 0;
    for (int pose = 0; pose < 24; ++pose) {
        const glm::vec3 heading(std::cos(pose * 0.9f), std::sin(pose * 0.9f), 0.0f);
        visit.lookAt(glm::vec2(20 + pose * 4, 100 - pose * 3), heading * 1000.0f);
        const glm::mat4 clip = *visit.camera.getPerspectiveMatrix() * visit.camera.getViewMatrix();
        const glm::vec3 eye = *visit.camera.getPosition();
        for (int slot = 0; slot < 9 + kLevelObjectKinds; ++slot) {
            const glm::vec3 offset((slot % 3 - 1) * w, (slot / 3 % 3 - 1) * w, 0.0f);
            const glm::vec3 at = eye + glm::vec3(std::cos(slot * 0.3f), std::sin(slot * 0.3f), -0.2f) * 6.0f;
            LevelObjectManager::Box box{};
            slot < 9 ? void(box = visit.level.getGridTile(slot)->getBounds())
                     : void(objects.getBounds(slot - 9, at, 1.0f, &box));
            const glm::vec3 shift = slot < 9 ? offset : glm::vec3(0.0f);
            const bool out = MathUtil::boxOutsideView(clip, box.low + shift, box.high + shift);
            render_test::clearWindow(0, 0, 0);
            const GLuint samples = samplesDrawn([&] {
                slot < 9 ? visit.level.getGridTile(slot)->render(&visit.camera, offset, eye, eye, 1.0f)
                         : objects.render(&visit.camera, eye, slot - 9, at, 1.0f);
            });
            EXPECT_TRUE(!out || samples == 0) << "pose " << pose << " slot " << slot;
            leftOut += out;
        }
    }
    EXPECT_GT(leftOut, 24 * 5);
}

// Kinds 0 to 13 are the first forest file's mesh sets, 14 to 20 the second's, each drawn as
// that file's meshes stood upright on their pivot; the kinds beyond draw nothing, quietly.
TEST_F(PlanetLevel, ObjectKindsDrawTheirMeshSets) {
    Camera camera = render_test::lookingAt({3, -9, 5}, {0, 0, 2});
    const glm::vec3 light(30, -40, 60), at(0, 0, 1);
    // The kind, the file, the meshes of its set and their pivot.
    const std::tuple<int, const char*, std::vector<int>, glm::vec3> kinds[] = {
        {13, "models/forest3/NatureFreePack1.obj", {30, 31, 32, 33, 34, 35, 36, 37, 38}, {6.3f, -4.3f, 0.5f}},
        {14, "models/forest2/forest_assets.obj", {0, 1}, {0.0f, -1.9f, 1.0f}},
        {20, "models/forest2/forest_assets.obj", {13, 14}, {-6.0f, 6.1f, 1.0f}}};
    for (const auto& [kind, entry, meshes, pivot] : kinds) {
        render_test::clearWindow(0.5f, 0.6f, 0.7f);
        EXPECT_GT(samplesDrawn([&] { objects.render(&camera, light, kind, at, 1.0f); }), 0u) << kind;
        const std::vector<uint8_t> byKind = testing_support::readPixels(0, 0, 1280, 720);
        Model model(entry, "shaders/model.vs", "shaders/model_material.fs", false);
        ASSERT_TRUE(model.setup());
        model.createMeshSet(meshes, pivot, glm::vec3(1.5707964f, 0, 0));
        model.setPosition(at, false);
        render_test::clearWindow(0.5f, 0.6f, 0.7f);
        model.renderMeshSet(&camera, light, 0);
        EXPECT_TRUE(byKind == testing_support::readPixels(0, 0, 1280, 720)) << kind;
    }
    testing_support::CapturedStdout output;
    for (int kind : {21, 22, 1000}) {
        EXPECT_EQ(samplesDrawn([&] { objects.render(&camera, light, kind, at, 1.0f); }), 0u) << kind;
    }
    EXPECT_EQ(output.finish(), "");
}

}  // namespace
