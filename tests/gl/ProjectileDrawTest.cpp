// The UFOs' shots drawn as the planet view draws them, held pixel for pixel against the same
// fight with every shot drawn whole, one by one, through the sphere's own draw: shots in view
// near and far, out of view, cut by the near plane and around the eye; crowds of shots whose
// outlines meet, where the near side's depth only just parts from the far side's; states of
// the draw in which the far side shows through; targets with fewer depth bits or with
// samples all over the pixel; and a smoothing probe that cannot tell.
#include <GL/glew.h>
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <random>

#include "RenderTestKit.h"
#include "game/EnemyManager.h"
#include "game/ProjectileManager.h"
#include "render/Icosphere.h"
#include "render/SphereCrowd.h"
#include "render/TexturedCuboid.h"
#include "support/PlanetFakes.h"
#include "support/RunAssets.h"

namespace {

const glm::vec3 kLight(40.0f, -60.0f, 80.0f);
constexpr unsigned int kSphereTriangles = 20480;

// Where a shot lies from the eye: so far ahead, and so far to the right and up.
struct Offset {
    float ahead, right, up;
};

struct View {
    const char* what;
    glm::vec3 eye, target;
    std::vector<Offset> shots;
    int cell;     // -1: the whole window; else that of two cells side by side
    float share;  // at most this share of the shots' triangles is sent
};

glm::vec3 placed(const View& view, const Offset& offset) {
    const glm::vec3 forward = glm::normalize(view.target - view.eye);
    const glm::vec3 right = glm::normalize(glm::cross(forward, glm::vec3(0.0f, 0.0f, 1.0f)));
    const glm::vec3 up = glm::cross(right, forward);
    return view.eye + offset.ahead * forward + offset.right * right + offset.up * up;
}

std::vector<glm::vec3> shotsOf(const View& view) {
    std::vector<glm::vec3> at;
    for (const Offset& offset : view.shots) {
        at.push_back(placed(view, offset));
    }
    return at;
}

int differingPixels(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b) {
    int count = 0;
    for (size_t i = 0; i < a.size(); i += 4) {
        count += a[i] != b[i] || a[i + 1] != b[i + 1] || a[i + 2] != b[i + 2] ? 1 : 0;
    }
    return count;
}

// A framebuffer object the size of the window, with the depth format and samples given; a
// multisampled one is resolved into a plain one to be read back.
class OffscreenTarget {
public:
    OffscreenTarget(GLenum depthFormat, int samples) : samples(samples) {
        glGenRenderbuffers(std::size(storage), storage);
        glGenFramebuffers(std::size(framebuffers), framebuffers);
        attach(framebuffers[0], storage[0], storage[1], depthFormat, samples);
        attach(framebuffers[1], storage[2], 0, 0, 0);
        glBindFramebuffer(GL_FRAMEBUFFER, 0);
    }
    ~OffscreenTarget() {
        glDeleteFramebuffers(std::size(framebuffers), framebuffers);
        glDeleteRenderbuffers(std::size(storage), storage);
    }
    OffscreenTarget(const OffscreenTarget&) = delete;
    OffscreenTarget& operator=(const OffscreenTarget&) = delete;

    bool isComplete() const { return complete; }
    void bind() const { glBindFramebuffer(GL_FRAMEBUFFER, framebuffers[0]); }
    std::vector<uint8_t> read() const {
        if (samples > 0) {
            glBindFramebuffer(GL_READ_FRAMEBUFFER, framebuffers[0]);
            glBindFramebuffer(GL_DRAW_FRAMEBUFFER, framebuffers[1]);
            glBlitFramebuffer(0, 0, 1280, 720, 0, 0, 1280, 720, GL_COLOR_BUFFER_BIT, GL_NEAREST);
            glBindFramebuffer(GL_READ_FRAMEBUFFER, framebuffers[1]);
        }
        std::vector<uint8_t> pixels = testing_support::readPixels(0, 0, 1280, 720);
        glBindFramebuffer(GL_FRAMEBUFFER, 0);
        return pixels;
    }

private:
    void attach(GLuint framebuffer, GLuint colour, GLuint depth, GLenum depthFormat, int sampleCount) {
        glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
        glBindRenderbuffer(GL_RENDERBUFFER, colour);
        glRenderbufferStorageMultisample(GL_RENDERBUFFER, sampleCount, GL_RGBA8, 1280, 720);
        glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, colour);
        if (depth != 0) {
            glBindRenderbuffer(GL_RENDERBUFFER, depth);
            glRenderbufferStorageMultisample(GL_RENDERBUFFER, sampleCount, depthFormat, 1280, 720);
            glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, depth);
        }
        complete = complete && glCheckFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
    }

    int samples;
    GLuint storage[3] = {};  // colour and depth drawn into, colour resolved into
    GLuint framebuffers[2] = {};
    bool complete = true;
};

struct ShotScene : ::testing::Test {
    void SetUp() override {
        REQUIRE_RUN_ASSETS();
        ASSERT_TRUE(manager.setup() && whole.setup() && floor.setup(UV_MAPPING_DIMENSION));
        srand(5);
        manager.addEnemies();
        const glm::vec2 spots[] = {{-16, -22}, {14, -21}, {0, -18}, {-70, 10}, {-40, 40},
                                   {-10, 70},  {20, 50},  {50, 20}, {75, -5},  {35, -10}};
        for (int i = 0; i < 10; ++i) {
            manager.getEnemies()[i]->pos = glm::vec3(spots[i], 22.0f);
        }
    }
    // The shots, still, at the given places, in a pool of their own whose crowd is set up now.
    void fire(const std::vector<glm::vec3>& at) {
        projectiles = std::make_unique<ProjectileManager>(&ground);
        ASSERT_TRUE(projectiles->setup());
        for (const glm::vec3& shot : at) {
            projectiles->add(shot, glm::vec3(1.0f, 0.0f, 0.0f), 0.0f, 0);
        }
    }
    // The fight as the planet view draws it, the shots by `drawShots` in the state that
    // `setState` leaves; the window read back.
    std::vector<uint8_t> frame(
        const View& view, const std::function<void(Camera&)>& drawShots,
        const std::function<void()>& setState = [] {}) {
        if (target != nullptr) {
            target->bind();
        }
        glEnable(GL_POLYGON_SMOOTH);
        glEnable(GL_PROGRAM_POINT_SIZE);
        render_test::clearWindow(0.3f, 0.1f, 0.2f);
        Camera camera = view.cell < 0
                            ? render_test::lookingAt(view.eye, view.target)
                            : render_test::sheetCell(2, 1, view.cell, view.eye, view.target, {0.49f, 0.61f, 0.77f});
        floor.render(&camera, false, kLight);
        manager.render(&camera, kLight);
        setState();
        drawShots(camera);
        glDisable(GL_BLEND);
        glEnable(GL_DEPTH_TEST);
        glDepthFunc(GL_LESS);
        glDepthMask(GL_TRUE);
        glViewport(0, 0, 1280, 720);
        glDisable(GL_POLYGON_SMOOTH);
        return target != nullptr ? target->read() : testing_support::readPixels(0, 0, 1280, 720);
    }
    // The fight drawn with the shots fired last, by the manager and then whole: the pixels
    // that differ and the triangles that the manager sent.
    std::pair<int, unsigned int> drawnBothWays(
        const View& view, const std::function<void()>& setState = [] {}) {
        const std::vector<uint8_t> saved = frame(
            view, [&](Camera& camera) { projectiles->render(&camera); }, setState);
        const unsigned int sent = projectiles->getSentTriangleCount();
        const std::vector<uint8_t> reference = frame(
            view, [&](Camera& camera) { drawWhole(camera); }, setState);
        return {differingPixels(saved, reference), sent};
    }
    void drawWhole(Camera& camera) {
        for (int i = 0; i < ProjectileManager::kPoolSize; ++i) {
            if (projectiles->getProjectile(i)->active) {
                whole.setPos(projectiles->getProjectile(i)->position);
                whole.render(&camera);
            }
        }
    }

    const OffscreenTarget* target = nullptr;  // drawn into instead of the window
    testing_support::ScopedWorkingDirectory inside{QUENLOW_RUN_DIR};
    testing_support::FakeTerrain ground;
    EnemyManager manager;
    std::unique_ptr<ProjectileManager> projectiles;
    Icosphere whole{0.0f, 0.0f, 0.0f, "textures/sunmap.jpg", 0.0f, 0.1f, 5};
    TexturedCuboid floor{0,
                         0,
                         -0.1f,
                         400,
                         400,
                         0.2f,
                         "textures/p1_diffuse_map.png",
                         "shaders/basic_textured.vs",
                         "shaders/basic_textured.fs"};
};

// Rounds of twenty shots crowding the view at a few units, in the whole window and in a cell
// by turns when `inCells`.
std::vector<View> crowds(int rounds, bool inCells = true) {
    std::mt19937 random(29);
    std::uniform_real_distribution<float> unit(-1.0f, 1.0f);
    const glm::vec3 eye(10.0f, -20.0f, 2.0f), ahead(10.0f, -10.0f, 3.0f);
    std::vector<View> views;
    for (int round = 0; round < rounds; ++round) {
        std::vector<Offset> crowd;
        for (int shot = 0; shot < ProjectileManager::kPoolSize; ++shot) {
            const float distance = 0.8f + 7.0f * std::abs(unit(random));
            crowd.push_back({distance, 0.5f * distance * unit(random), 0.4f * distance * unit(random)});
        }
        views.push_back({"crowd", eye, ahead, crowd, inCells && round % 2 == 1 ? 1 : -1, 1.0f});
    }
    return views;
}

const std::vector<Offset> kThreeShots = {{1.0f, 0.1f, 0.0f}, {3.0f, -0.5f, 0.2f}, {8.0f, 1.0f, 0.5f}};

}  // namespace

// Found by the test framework's printer beside the enumeration.
void PrintTo(SphereCrowd::Smoothing smoothing, std::ostream* out) {
    const char* const names[] = {"keeps to pixel centres", "covers whole pixels", "unknown"};
    *out << names[static_cast<int>(smoothing)];
}

TEST_F(ShotScene, EveryPixelIsThatOfTheShotsDrawnWhole) {
    const glm::vec3 eye(0.0f, -50.0f, 2.0f), ahead(0.0f, -40.0f, 4.7f);
    // Ahead from a tenth beyond the sphere to the far plane, at the edges of the view, and
    // behind, above and beside the player; then the near plane cutting a shot open.
    const std::vector<Offset> fight = {
        {0.45f, 0.1f, 0.05f}, {0.8f, -0.3f, 0.1f},  {1.5f, 0.4f, -0.2f},  {3.0f, -1.0f, 0.5f},  {6.0f, 2.0f, 1.0f},
        {12.0f, 0.0f, 0.0f},  {12.5f, 0.3f, 0.1f},  {25.0f, -6.0f, 2.0f}, {60.0f, 20.0f, 5.0f}, {150.0f, -40.0f, 8.0f},
        {390.0f, 0.0f, 0.0f}, {10.0f, 17.6f, 0.0f}, {10.0f, 0.0f, -9.9f}, {-5.0f, 0.0f, 0.0f},  {0.0f, 0.0f, 3.0f},
        {2.0f, -30.0f, 0.0f}, {0.13f, 0.0f, 0.0f}};
    const View views[] = {
        {"a fight ahead", eye, ahead, fight, -1, 0.25f},
        {"the same in a cell of its own", eye, ahead, fight, 1, 0.25f},
        {"the near plane cutting a shot open", eye, ahead, {{0.105f, 0.0f, 0.0f}, {4.0f, 0.5f, 0.2f}}, -1, 0.75f},
        {"the eye inside a shot", eye, ahead, {{0.02f, 0.03f, 0.0f}, {3.0f, 0.0f, 0.0f}}, -1, 0.75f},
        {"every shot out of view", eye, ahead, {{-3.0f, 0.0f, 0.0f}, {1.0f, 0.0f, 4.0f}, {1.0f, 5.0f, 0.0f}}, -1, 0.0f},
        // Only the near side of a shot seen whole in the middle of the view is sent, and of
        // that only what lies over samples.
        {"one shot three units ahead", eye, ahead, {{3.0f, 0.1f, 0.05f}}, -1, 0.05f},
        // Far from the origin the renderer rounds coarsely, and the savings shrink with it.
        {"from far out on the plain", glm::vec3(2400.0f, -1800.0f, 3.0f), glm::vec3(2390.0f, -1795.0f, 3.5f), fight, -1,
         1.0f},
    };
    for (const View& view : views) {
        const std::vector<glm::vec3> at = shotsOf(view);
        fire(at);
        const std::vector<uint8_t> none = frame(view, [](Camera&) {});
        const std::vector<uint8_t> saved = frame(view, [&](Camera& camera) { projectiles->render(&camera); });
        const unsigned int sent = projectiles->getSentTriangleCount();
        const std::vector<uint8_t> reference = frame(view, [&](Camera& camera) { drawWhole(camera); });
        const int differing = differingPixels(saved, reference);
        EXPECT_EQ(differing, 0) << view.what;
        if (differing != 0) {
            render_test::saveScreenshot(std::string("shots_whole_") + view.what + ".png");
        }
        // Shots in view show, and the savings are real: few of their triangles are sent.
        EXPECT_EQ(differingPixels(none, reference) == 0, view.share == 0.0f) << view.what;
        EXPECT_LE(sent, static_cast<unsigned int>(view.share * kSphereTriangles * at.size())) << view.what;
    }
}

// Twenty shots at a time flying about a player who looks around: in every frame, every pixel.
TEST_F(ShotScene, RandomFightsMatchPixelForPixel) {
    std::mt19937 random(18);
    std::uniform_real_distribution<float> unit(-1.0f, 1.0f);
    for (int round = 0; round < 8; ++round) {
        const glm::vec3 eye(unit(random) * 300.0f, unit(random) * 300.0f, 1.0f + 3.0f * std::abs(unit(random)));
        const glm::vec3 target = eye + glm::vec3(unit(random), unit(random), 0.3f * unit(random));
        std::vector<glm::vec3> at;
        for (int shot = 0; shot < ProjectileManager::kPoolSize; ++shot) {
            const float distance = 0.2f + 40.0f * std::pow(std::abs(unit(random)), 2.0f);
            at.push_back(eye + distance * glm::normalize(glm::vec3(unit(random), unit(random), 0.5f * unit(random))));
        }
        fire(at);
        const View view{"random", eye, target, {}, round % 3 == 2 ? 0 : -1, 1.0f};
        EXPECT_EQ(drawnBothWays(view).first, 0) << "round " << round;
    }
}

// Shots crowding the view at a few units, their outlines over one another: where the far
// side's depth comes closest to the near side's, and a shot's far side is seen past another's
// outline.
TEST_F(ShotScene, CrowdsOfShotsMatchPixelForPixel) {
    int round = 0;
    for (const View& view : crowds(6)) {
        fire(shotsOf(view));
        EXPECT_EQ(drawnBothWays(view).first, 0) << "round " << round++;
    }
}

// Drawn where a pixel does not show its nearest fragment alone, the far side shows through
// and must be drawn as before.
TEST_F(ShotScene, TheFarSideIsDrawnWhereItShows) {
    const glm::vec3 eye(0.0f, -50.0f, 2.0f), ahead(0.0f, -40.0f, 4.7f);
    const std::pair<const char*, std::function<void()>> states[] = {
        {"added up",
         [] {
             glEnable(GL_BLEND);
             glBlendFunc(GL_ONE, GL_ONE);
         }},
        {"without the depth test", [] { glDisable(GL_DEPTH_TEST); }},
        {"every fragment passing", [] { glDepthFunc(GL_ALWAYS); }},
        {"without depth writes", [] { glDepthMask(GL_FALSE); }},
    };
    const View view{"state", eye, ahead, kThreeShots, -1, 1.0f};
    fire(shotsOf(view));
    for (const auto& [what, setState] : states) {
        EXPECT_EQ(drawnBothWays(view, setState).first, 0) << what;
    }
}

// The tests' window is made as the game's is, with 24 depth bits or more (the game asks for
// 24) and one sample a pixel: there
// the far side is left out where the near side hides it. With 16 depth bits the far side is
// kept, and where samples lie all over the pixel each shot in view is drawn whole. In each
// kind of target every pixel is what the whole draw gives in the same kind of target.
TEST_F(ShotScene, EachKindOfTargetKeepsEveryPixel) {
    GLint depthBits = 0;
    GLint sampleBuffers = 0;
    glGetFramebufferAttachmentParameteriv(GL_DRAW_FRAMEBUFFER, GL_DEPTH, GL_FRAMEBUFFER_ATTACHMENT_DEPTH_SIZE,
                                          &depthBits);
    glGetIntegerv(GL_SAMPLE_BUFFERS, &sampleBuffers);
    ASSERT_GE(depthBits, 24) << "the window's depth bits";
    ASSERT_EQ(sampleBuffers, 0) << "the window's sample buffers";
    enum class Sent { NearSides, BothSides, WholeSpheres };
    const struct {
        const char* what;
        GLenum depthFormat;  // GL_NONE: the window
        int samples;
        Sent sent;
    } kinds[] = {
        {"the window", GL_NONE, 0, Sent::NearSides},
        {"24 depth bits", GL_DEPTH_COMPONENT24, 0, Sent::NearSides},
        {"16 depth bits", GL_DEPTH_COMPONENT16, 0, Sent::BothSides},
        {"4 samples", GL_DEPTH_COMPONENT24, 4, Sent::WholeSpheres},
    };
    const glm::vec3 eye(0.0f, -50.0f, 2.0f), ahead(0.0f, -40.0f, 4.7f);
    std::vector<View> views = crowds(4, false);
    views.push_back(
        {"the near plane cutting a shot open", eye, ahead, {{0.105f, 0.0f, 0.0f}, {4.0f, 0.5f, 0.2f}}, -1, 1.0f});
    views.push_back({"one shot three units ahead", eye, ahead, {{3.0f, 0.1f, 0.05f}}, -1, 1.0f});
    for (const auto& kind : kinds) {
        std::unique_ptr<OffscreenTarget> made;
        if (kind.depthFormat != GL_NONE) {
            made = std::make_unique<OffscreenTarget>(kind.depthFormat, kind.samples);
            ASSERT_TRUE(made->isComplete()) << kind.what;
        }
        target = made.get();
        for (const View& view : views) {
            fire(shotsOf(view));
            const auto [differing, sent] = drawnBothWays(view);
            EXPECT_EQ(differing, 0) << kind.what << ", " << view.what;
            // Every shot of these views is in view; without depth writes the far side shows.
            const unsigned int whole = kSphereTriangles * static_cast<unsigned int>(view.shots.size());
            frame(
                view, [&](Camera& camera) { projectiles->render(&camera); }, [] { glDepthMask(GL_FALSE); });
            const unsigned int bothSides = projectiles->getSentTriangleCount();
            if (kind.sent == Sent::WholeSpheres) {
                EXPECT_EQ(sent, whole) << kind.what << ", " << view.what;
            } else {
                EXPECT_LT(bothSides, whole) << kind.what << ", " << view.what;
                EXPECT_EQ(sent < bothSides, kind.sent == Sent::NearSides) << kind.what << ", " << view.what;
                EXPECT_LE(sent, bothSides) << kind.what << ", " << view.what;
            }
        }
        target = nullptr;
    }
}

// The smoothing probe as the game's set-up runs it, in the middle of other state: on this
// renderer a smoothed triangle lights only the pixels whose centre it covers, and the probe
// leaves the state as it found it. A probe that sees not even its control lit cannot tell:
// the shots are then drawn whole while smoothing is on, and picked while it is off.
TEST_F(ShotScene, SmoothingProbeAnswersOrFallsBackToWholeShots) {
    const OffscreenTarget elsewhere(GL_DEPTH_COMPONENT24, 0);
    ASSERT_TRUE(elsewhere.isComplete());
    const GLenum switches[] = {GL_POLYGON_SMOOTH, GL_DEPTH_TEST, GL_BLEND, GL_SCISSOR_TEST, GL_CULL_FACE};
    const auto state = [&switches] {
        std::vector<GLint> values(4);
        glGetIntegerv(GL_VIEWPORT, values.data());
        for (const GLenum query : {GL_DRAW_FRAMEBUFFER_BINDING, GL_READ_FRAMEBUFFER_BINDING}) {
            values.push_back(0);
            glGetIntegerv(query, &values.back());
        }
        GLfloat clear[4] = {};
        glGetFloatv(GL_COLOR_CLEAR_VALUE, clear);
        values.insert(values.end(), {static_cast<GLint>(clear[0] * 100.0f), static_cast<GLint>(clear[3] * 100.0f)});
        for (const GLenum flag : switches) {
            values.push_back(glIsEnabled(flag));
        }
        return values;
    };
    for (const bool on : {true, false}) {
        elsewhere.bind();
        glViewport(10, 20, 300, 200);
        glClearColor(0.25f, 0.5f, 0.75f, 0.5f);
        for (const GLenum flag : switches) {
            on ? glEnable(flag) : glDisable(flag);
        }
        const std::vector<GLint> before = state();
        SphereCrowd crowd(&whole);
        ASSERT_TRUE(crowd.setup());
        EXPECT_EQ(crowd.getSmoothing(), SphereCrowd::Smoothing::KeepsToPixelCentres);
        EXPECT_EQ(state(), before) << (on ? "switches on" : "switches off");
    }
    for (const GLenum flag : switches) {
        glDisable(flag);
    }
    glBindFramebuffer(GL_FRAMEBUFFER, 0);

    glColorMask(GL_FALSE, GL_FALSE, GL_FALSE, GL_FALSE);
    SphereCrowd blind(&whole);
    ASSERT_TRUE(blind.setup());
    const View view{"three shots", glm::vec3(0.0f, -50.0f, 2.0f), glm::vec3(0.0f, -40.0f, 4.7f), kThreeShots, -1, 1.0f};
    fire(shotsOf(view));
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    EXPECT_EQ(blind.getSmoothing(), SphereCrowd::Smoothing::Unknown);
    const auto [differingSmoothed, sentSmoothed] = drawnBothWays(view);
    EXPECT_EQ(differingSmoothed, 0) << "smoothing on";
    EXPECT_EQ(sentSmoothed, kSphereTriangles * kThreeShots.size()) << "smoothing on";
    const auto [differing, sent] = drawnBothWays(view, [] { glDisable(GL_POLYGON_SMOOTH); });
    EXPECT_EQ(differing, 0) << "smoothing off";
    EXPECT_LT(sent, kSphereTriangles) << "smoothing off";
}
