// The two forest packs: every object stands with its foot on the point that the level object
// catalogue moves to the placement point, (px, pz, -py) in file coordinates for a pivot
// (px, py, pz), since the catalogue turns the y-up objects a quarter turn about x.
#include "Generators.h"
#include "MeshBuilder.h"
#include "ModelGroups.h"

#include <glm/gtc/matrix_transform.hpp>

#include <cmath>
#include <cstdio>

namespace assetgen {

namespace {

// Trunks and roots reach this far below the foot so that objects on a slope do not float.
constexpr float kSink = 0.3f;

// World (file) units; the player's eye is 1 unit above the ground.
constexpr float kPi = 3.1415927f;

glm::vec3 footOf(const glm::vec3& pivot) {
    return glm::vec3(pivot.x, pivot.z, -pivot.y);
}

// The pivots of the level object catalogue, one per mesh set of each pack.
const glm::vec3 kFirstPackPivots[14] = {
    {-5.3f, 4.0f, 1.0f},  {5.5f, 3.8f, 1.0f},  {1.5f, -1.0f, 0.0f},  {-5.6f, -4.6f, 0.0f}, {-2.3f, -4.3f, 0.0f},
    {-0.5f, -4.4f, 0.0f}, {0.5f, -4.4f, 0.0f}, {-2.5f, -1.4f, 0.0f}, {-6.3f, -1.4f, 0.0f}, {-3.7f, -4.3f, 0.0f},
    {-6.9f, -4.5f, 0.0f}, {6.6f, -0.8f, 1.0f}, {3.2f, -4.4f, 0.0f},  {6.3f, -4.3f, 0.5f}};
const glm::vec3 kSecondPackPivots[7] = {{0.0f, -1.9f, 1.0f}, {-6.0f, -2.1f, 1.0f}, {5.2f, 0.0f, 1.0f},
                                        {0.0f, 6.0f, 1.0f},  {0.0f, 0.0f, 1.0f},   {-6.0f, 0.25f, 1.5f},
                                        {-6.0f, 6.1f, 1.0f}};

// Palette shared by both packs.
const glm::vec3 kBark(0.36f, 0.24f, 0.14f);
const glm::vec3 kDarkBark(0.26f, 0.18f, 0.11f);
const glm::vec3 kPine(0.12f, 0.34f, 0.17f);
const glm::vec3 kFir(0.09f, 0.27f, 0.21f);
const glm::vec3 kLeaf(0.30f, 0.54f, 0.18f);
const glm::vec3 kLightLeaf(0.50f, 0.68f, 0.24f);
const glm::vec3 kAutumn(0.86f, 0.42f, 0.10f);
const glm::vec3 kRock(0.50f, 0.49f, 0.47f);
const glm::vec3 kMossRock(0.41f, 0.46f, 0.35f);
const glm::vec3 kBirch(0.88f, 0.86f, 0.80f);
const glm::vec3 kBirchMark(0.16f, 0.15f, 0.14f);
const glm::vec3 kDeadWood(0.50f, 0.44f, 0.38f);
const glm::vec3 kCapRed(0.80f, 0.12f, 0.09f);
const glm::vec3 kStem(0.92f, 0.88f, 0.76f);
const glm::vec3 kSpot(0.97f, 0.97f, 0.95f);
const glm::vec3 kGrass(0.36f, 0.60f, 0.19f);
const glm::vec3 kBerry(0.72f, 0.05f, 0.14f);
const glm::vec3 kSnow(0.92f, 0.95f, 0.99f);
const glm::vec3 kApple(0.82f, 0.10f, 0.08f);
const glm::vec3 kBrownCap(0.62f, 0.34f, 0.16f);

void addPalette(ObjModel& model) {
    const std::pair<const char*, glm::vec3> colours[] = {{"bark", kBark},
                                                         {"dark_bark", kDarkBark},
                                                         {"pine", kPine},
                                                         {"fir", kFir},
                                                         {"leaf", kLeaf},
                                                         {"light_leaf", kLightLeaf},
                                                         {"autumn", kAutumn},
                                                         {"rock", kRock},
                                                         {"moss_rock", kMossRock},
                                                         {"birch", kBirch},
                                                         {"birch_mark", kBirchMark},
                                                         {"dead_wood", kDeadWood},
                                                         {"cap_red", kCapRed},
                                                         {"stem", kStem},
                                                         {"spot", kSpot},
                                                         {"grass", kGrass},
                                                         {"berry", kBerry},
                                                         {"snow", kSnow},
                                                         {"apple", kApple},
                                                         {"brown_cap", kBrownCap},
                                                         {"petal_white", {0.95f, 0.95f, 0.92f}},
                                                         {"petal_yellow", {0.98f, 0.82f, 0.12f}},
                                                         {"petal_purple", {0.55f, 0.25f, 0.75f}},
                                                         {"petal_red", {0.88f, 0.16f, 0.16f}},
                                                         {"petal_blue", {0.26f, 0.42f, 0.90f}},
                                                         {"petal_pink", {0.96f, 0.52f, 0.70f}}};
    for (const auto& colour : colours) {
        model.addMaterial(colourMaterial(colour.first, colour.second));
    }
}

// A trunk from below the foot up to `height` above it.
void addTrunk(ObjMesh& mesh, const glm::vec3& foot, float height, float bottomRadius, float topRadius, int sides = 7) {
    mesh.addFrustum(foot - glm::vec3(0.0f, kSink, 0.0f), bottomRadius, topRadius, height + kSink, sides);
}

// Stacked cones of a conifer from `bottom` up to `top` above the foot, widest at the bottom.
void addConeStack(ObjMesh& mesh, const glm::vec3& foot, int layers, float bottom, float top, float widest,
                  float narrowest, float phase) {
    const float step = (top - bottom) / (static_cast<float>(layers) + 0.6f);
    for (int layer = 0; layer < layers; ++layer) {
        const float share = static_cast<float>(layer) / static_cast<float>(layers - 1);
        const float radius = widest + (narrowest - widest) * share;
        const float base = bottom + step * static_cast<float>(layer);
        const float height = layer == layers - 1 ? top - base : step * 1.6f;
        // The underside rises towards the trunk, so each layer hangs like a skirt of branches.
        mesh.addLathe({{0.0f, base + height * 0.22f}, {radius, base}, {0.0f, base + height}}, 8, foot, glm::vec4(0.0f),
                      phase + 0.4f * static_cast<float>(layer));
    }
}

// A branch: a thin frustum from `start` along a direction given by yaw and tilt from vertical.
void addBranch(ObjMesh& mesh, const glm::vec3& start, float length, float radius, float yaw, float tilt) {
    const size_t first = mesh.vertexCount();
    mesh.addFrustum(glm::vec3(0.0f), radius, radius * 0.4f, length, 5);
    mesh.transformFrom(first, translation(start) * rotation(yaw, {0, 1, 0}) * rotation(-tilt, {0, 0, 1}));
}

// Crown of leafy clumps around a centre.
void addCrown(ObjMesh& mesh, const glm::vec3& centre, float radius, int clumps, Random& random) {
    mesh.addBlob(centre, glm::vec3(radius, radius * 0.8f, radius), 0.12f, random);
    for (int i = 0; i < clumps; ++i) {
        const float angle = 2.0f * kPi * static_cast<float>(i) / static_cast<float>(clumps) + random.range(0.0f, 0.6f);
        const glm::vec3 offset(std::cos(angle) * radius * 0.7f, random.range(-0.35f, 0.25f) * radius,
                               std::sin(angle) * radius * 0.7f);
        const float size = radius * random.range(0.55f, 0.7f);
        mesh.addBlob(centre + offset, glm::vec3(size, size * 0.85f, size), 0.15f, random);
    }
}

// Small blobs scattered over the outside of a crown (berries, fruit, snow lumps).
void addDots(ObjMesh& mesh, const glm::vec3& centre, const glm::vec3& radii, int count, float size, Random& random,
             float minLatitude = -0.3f) {
    for (int i = 0; i < count; ++i) {
        const float angle = random.range(0.0f, 2.0f * kPi);
        const float latitude = random.range(minLatitude, 0.9f);
        const glm::vec3 direction(std::cos(angle) * std::cos(latitude), std::sin(latitude),
                                  std::sin(angle) * std::cos(latitude));
        mesh.addBlob(centre + direction * radii, glm::vec3(size), 0.1f, random, 0);
    }
}

// A boulder: a rough blob with a flat underside just below the foot.
void addRock(ObjMesh& mesh, const glm::vec3& foot, const glm::vec3& radii, float roughness, Random& random) {
    const size_t first = mesh.vertexCount();
    mesh.addBlob(foot + glm::vec3(0.0f, radii.y * 0.55f, 0.0f), radii, roughness, random);
    mesh.flattenBelow(first, foot.y - 0.12f);
}

// A thin upright leaf or grass blade: a flat three-sided spike leaning outwards.
void addBlade(ObjMesh& mesh, const glm::vec3& root, float height, float width, float yaw, float lean) {
    const size_t first = mesh.vertexCount();
    mesh.addLathe({{0.0f, -0.05f}, {width, -0.05f}, {0.0f, height}}, 3, glm::vec3(0.0f));
    mesh.transformFrom(first, translation(root) * rotation(yaw, {0, 1, 0}) * rotation(-lean, {0, 0, 1}) *
                                  glm::scale(glm::mat4(1.0f), glm::vec3(1.0f, 1.0f, 0.35f)));
}

// ---- First pack: fourteen objects in thirty-nine meshes ----

void pineTree(ObjModel& model, const glm::vec3& foot) {
    addTrunk(model.addMesh("pine_trunk", "bark"), foot, 1.6f, 0.24f, 0.12f);
    addConeStack(model.addMesh("pine_needles", "pine"), foot, 4, 1.0f, 5.3f, 1.5f, 0.55f, 0.0f);
}

void broadleafTree(ObjModel& model, const glm::vec3& foot, Random& random) {
    ObjMesh& wood = model.addMesh("oak_wood", "bark");
    addTrunk(wood, foot, 2.5f, 0.30f, 0.17f);
    addBranch(wood, foot + glm::vec3(0.0f, 1.7f, 0.0f), 1.2f, 0.11f, 0.4f, 0.8f);
    addBranch(wood, foot + glm::vec3(0.0f, 1.9f, 0.0f), 1.1f, 0.10f, 2.8f, 0.7f);
    addBranch(wood, foot + glm::vec3(0.0f, 2.1f, 0.0f), 1.0f, 0.09f, 4.6f, 0.75f);
    addCrown(model.addMesh("oak_leaves", "leaf"), foot + glm::vec3(0.0f, 3.2f, 0.0f), 1.25f, 6, random);
}

void smallRock(ObjModel& model, const glm::vec3& foot, Random& random) {
    addRock(model.addMesh("rock_small", "rock"), foot, {0.45f, 0.32f, 0.38f}, 0.18f, random);
}

void boulder(ObjModel& model, const glm::vec3& foot, Random& random) {
    ObjMesh& mesh = model.addMesh("boulder", "moss_rock");
    addRock(mesh, foot, {1.1f, 0.85f, 0.95f}, 0.14f, random);
    addRock(mesh, foot + glm::vec3(0.75f, 0.0f, 0.45f), {0.55f, 0.45f, 0.5f}, 0.18f, random);
}

void berryBush(ObjModel& model, const glm::vec3& foot, Random& random) {
    ObjMesh& leaves = model.addMesh("bush_leaves", "leaf");
    const glm::vec3 centre = foot + glm::vec3(0.0f, 0.5f, 0.0f);
    leaves.addBlob(centre, {0.75f, 0.55f, 0.7f}, 0.15f, random);
    for (int i = 0; i < 4; ++i) {
        const float angle = 1.57f * static_cast<float>(i) + 0.3f;
        leaves.addBlob(centre + glm::vec3(std::cos(angle) * 0.45f, -0.1f, std::sin(angle) * 0.45f),
                       glm::vec3(0.45f, 0.4f, 0.45f), 0.18f, random);
    }
    leaves.flattenBelow(0, foot.y - 0.1f);
    addDots(model.addMesh("bush_berries", "berry"), centre, {0.8f, 0.55f, 0.8f}, 14, 0.08f, random, 0.0f);
}

void stump(ObjModel& model, const glm::vec3& foot, Random& random) {
    ObjMesh& mesh = model.addMesh("stump", "bark");
    mesh.addLathe({{0.0f, -kSink}, {0.5f, -kSink}, {0.46f, 0.05f}, {0.34f, 0.22f}, {0.33f, 0.55f}, {0.0f, 0.5f}}, 9,
                  foot);
    for (int i = 0; i < 4; ++i) {
        addBranch(mesh, foot + glm::vec3(0.0f, 0.05f, 0.0f), 0.6f, 0.12f,
                  1.3f * static_cast<float>(i) + random.range(0.0f, 0.5f), 1.85f);
    }
}

void fallenLog(ObjModel& model, const glm::vec3& foot) {
    ObjMesh& mesh = model.addMesh("log", "dark_bark");
    const size_t first = mesh.vertexCount();
    mesh.addFrustum(glm::vec3(0.0f, -1.2f, 0.0f), 0.3f, 0.26f, 2.4f, 8);
    addBranch(mesh, glm::vec3(0.0f, 0.4f, 0.0f), 0.55f, 0.08f, 0.0f, 0.9f);
    mesh.transformFrom(first, translation(foot + glm::vec3(0.0f, 0.22f, 0.0f)) * rotation(kPi / 2.0f, {0, 0, 1}) *
                                  rotation(0.3f, {0, 1, 0}));
}

void stones(ObjModel& model, const glm::vec3& foot, Random& random) {
    ObjMesh& mesh = model.addMesh("stones", "rock");
    addRock(mesh, foot + glm::vec3(-0.2f, 0.0f, 0.1f), {0.4f, 0.22f, 0.35f}, 0.2f, random);
    addRock(mesh, foot + glm::vec3(0.45f, 0.0f, -0.15f), {0.3f, 0.18f, 0.28f}, 0.2f, random);
    addRock(mesh, foot + glm::vec3(0.05f, 0.0f, -0.5f), {0.22f, 0.14f, 0.25f}, 0.2f, random);
    addRock(mesh, foot + glm::vec3(-0.4f, 0.0f, -0.35f), {0.18f, 0.12f, 0.16f}, 0.2f, random);
}

void deadTree(ObjModel& model, const glm::vec3& foot, Random& random) {
    ObjMesh& mesh = model.addMesh("dead_tree", "dead_wood");
    addTrunk(mesh, foot, 3.3f, 0.22f, 0.05f, 6);
    for (int i = 0; i < 5; ++i) {
        const float height = 1.3f + 0.4f * static_cast<float>(i);
        const float yaw = 2.4f * static_cast<float>(i) + random.range(0.0f, 0.4f);
        const float length = 1.3f - 0.15f * static_cast<float>(i);
        addBranch(mesh, foot + glm::vec3(0.0f, height, 0.0f), length, 0.08f, yaw, 0.9f);
        // A twig off each branch, halfway along.
        const glm::vec3 along(std::cos(yaw) * std::sin(0.9f), std::cos(0.9f), -std::sin(yaw) * std::sin(0.9f));
        addBranch(mesh, foot + glm::vec3(0.0f, height, 0.0f) + along * length * 0.5f, length * 0.45f, 0.04f, yaw + 0.8f,
                  0.4f);
    }
}

void mushrooms(ObjModel& model, const glm::vec3& foot, Random& random) {
    struct Shroom {
        glm::vec3 offset;
        float height;
        float cap;
    };
    const Shroom shrooms[] = {
        {{0.0f, 0.0f, 0.0f}, 0.45f, 0.28f}, {{0.32f, 0.0f, 0.18f}, 0.3f, 0.2f}, {{-0.22f, 0.0f, 0.28f}, 0.22f, 0.15f}};
    ObjMesh& stems = model.addMesh("mushroom_stems", "stem");
    for (const Shroom& shroom : shrooms) {
        stems.addFrustum(foot + shroom.offset - glm::vec3(0.0f, 0.1f, 0.0f), shroom.cap * 0.35f, shroom.cap * 0.28f,
                         shroom.height + 0.1f, 6);
    }
    ObjMesh& caps = model.addMesh("mushroom_caps", "cap_red");
    for (const Shroom& shroom : shrooms) {
        const float r = shroom.cap;
        caps.addLathe({{0.0f, -0.02f},
                       {r * 0.9f, -0.05f},
                       {r, 0.0f},
                       {r * 0.8f, r * 0.45f},
                       {r * 0.4f, r * 0.7f},
                       {0.0f, r * 0.75f}},
                      8, foot + shroom.offset + glm::vec3(0.0f, shroom.height - 0.02f, 0.0f));
    }
    ObjMesh& spots = model.addMesh("mushroom_spots", "spot");
    for (const Shroom& shroom : shrooms) {
        addDots(spots, foot + shroom.offset + glm::vec3(0.0f, shroom.height, 0.0f),
                glm::vec3(shroom.cap * 0.85f, shroom.cap * 0.6f, shroom.cap * 0.85f), 5, shroom.cap * 0.13f, random,
                0.35f);
    }
}

void grassTuft(ObjModel& model, const glm::vec3& foot, Random& random) {
    ObjMesh& mesh = model.addMesh("grass", "grass");
    for (int i = 0; i < 16; ++i) {
        const float yaw = random.range(0.0f, 2.0f * kPi);
        const float spread = random.range(0.0f, 0.3f);
        const glm::vec3 root = foot + glm::vec3(std::cos(yaw) * spread, 0.0f, -std::sin(yaw) * spread);
        addBlade(mesh, root, random.range(0.35f, 0.7f), 0.07f, yaw, random.range(0.15f, 0.5f));
    }
}

void cypress(ObjModel& model, const glm::vec3& foot) {
    ObjMesh& mesh = model.addMesh("cypress", "fir");
    mesh.addLathe(
        {{0.0f, -kSink}, {0.3f, -kSink}, {0.75f, 0.9f}, {0.82f, 1.9f}, {0.62f, 3.1f}, {0.3f, 4.0f}, {0.0f, 4.6f}}, 8,
        foot);
    mesh.addLathe({{0.0f, 0.6f}, {0.65f, 1.0f}, {0.72f, 2.2f}, {0.45f, 3.4f}, {0.0f, 4.1f}}, 7,
                  foot + glm::vec3(0.18f, 0.0f, 0.12f), glm::vec4(0.0f), 0.35f);
}

void flowerPatch(ObjModel& model, const glm::vec3& foot, Random& random) {
    ObjMesh& leaves = model.addMesh("flower_leaves", "leaf");
    for (int i = 0; i < 9; ++i) {
        const float yaw = 0.7f * static_cast<float>(i);
        const float spread = 0.15f + 0.05f * static_cast<float>(i % 4);
        addBlade(leaves, foot + glm::vec3(std::cos(yaw) * spread, 0.0f, -std::sin(yaw) * spread), 0.28f, 0.12f, yaw,
                 1.0f);
    }
    static const char* const kPetals[6] = {"petal_white", "petal_yellow", "petal_purple",
                                           "petal_red",   "petal_blue",   "petal_pink"};
    for (int i = 0; i < 6; ++i) {
        const float yaw = 1.05f * static_cast<float>(i) + 0.2f;
        const float spread = i % 2 == 0 ? 0.35f : 0.18f;
        const float height = 0.38f + 0.05f * static_cast<float>(i % 3);
        const float lean = 0.12f;
        const glm::vec3 root = foot + glm::vec3(std::cos(yaw) * spread, 0.0f, -std::sin(yaw) * spread);
        addBranch(model.addMesh("flower_stem_" + std::to_string(i + 1), "grass"), root - glm::vec3(0.0f, 0.05f, 0.0f),
                  height + 0.05f, 0.025f, yaw, lean);
        const glm::vec3 head =
            root + glm::vec3(std::cos(yaw) * std::sin(lean), std::cos(lean), -std::sin(yaw) * std::sin(lean)) * height;
        ObjMesh& blossom = model.addMesh("flower_head_" + std::to_string(i + 1), kPetals[i]);
        for (int petal = 0; petal < 5; ++petal) {
            const float angle = 1.2566f * static_cast<float>(petal) + yaw;
            blossom.addBlob(head + glm::vec3(std::cos(angle) * 0.07f, 0.01f, std::sin(angle) * 0.07f),
                            glm::vec3(0.06f, 0.02f, 0.06f), 0.05f, random, 0);
        }
        blossom.addBlob(head + glm::vec3(0.0f, 0.025f, 0.0f), glm::vec3(0.035f), 0.05f, random, 0);
    }
}

void birch(ObjModel& model, const glm::vec3& foot, Random& random) {
    ObjMesh& trunk = model.addMesh("birch_trunk", "birch");
    addTrunk(trunk, foot, 4.3f, 0.19f, 0.07f, 7);
    ObjMesh& marks = model.addMesh("birch_marks", "birch_mark");
    for (int i = 0; i < 12; ++i) {
        const float y = 0.2f + 0.3f * static_cast<float>(i);
        const float radius = 0.19f + (0.07f - 0.19f) * (y + kSink) / (4.3f + kSink);
        const float yaw = random.range(0.0f, 2.0f * kPi);
        const size_t first = marks.vertexCount();
        marks.addBox(glm::vec3(radius, 0.0f, 0.0f), glm::vec3(0.02f, 0.035f, radius * 0.55f));
        marks.transformFrom(first, translation(foot + glm::vec3(0.0f, y, 0.0f)) * rotation(yaw, {0, 1, 0}));
    }
    ObjMesh& branches = model.addMesh("birch_branches", "birch");
    addBranch(branches, foot + glm::vec3(0.0f, 2.4f, 0.0f), 1.0f, 0.06f, 0.5f, 0.8f);
    addBranch(branches, foot + glm::vec3(0.0f, 2.8f, 0.0f), 0.9f, 0.05f, 2.6f, 0.75f);
    addBranch(branches, foot + glm::vec3(0.0f, 3.2f, 0.0f), 0.8f, 0.05f, 4.4f, 0.7f);
    // Six clumps of leaves in two shades, hung around the upper trunk.
    for (int i = 0; i < 6; ++i) {
        const float angle = 1.05f * static_cast<float>(i);
        const float height = 2.9f + 0.35f * static_cast<float>(i % 3);
        const float reach = i == 5 ? 0.0f : 0.65f;
        const glm::vec3 centre =
            foot + glm::vec3(std::cos(angle) * reach, i == 5 ? 4.3f : height, std::sin(angle) * reach);
        ObjMesh& clump = model.addMesh("birch_leaves_" + std::to_string(i + 1), i % 2 == 0 ? "light_leaf" : "leaf");
        clump.addBlob(centre, glm::vec3(0.75f, 0.65f, 0.75f), 0.15f, random);
    }
}

bool writeFirstPack(const std::string& outDir) {
    ObjModel model("NatureFreePack1.mtl");
    addPalette(model);
    Random random(1001);
    const glm::vec3* pivot = kFirstPackPivots;
    pineTree(model, footOf(pivot[0]));
    broadleafTree(model, footOf(pivot[1]), random);
    smallRock(model, footOf(pivot[2]), random);
    boulder(model, footOf(pivot[3]), random);
    berryBush(model, footOf(pivot[4]), random);
    stump(model, footOf(pivot[5]), random);
    fallenLog(model, footOf(pivot[6]));
    stones(model, footOf(pivot[7]), random);
    deadTree(model, footOf(pivot[8]), random);
    mushrooms(model, footOf(pivot[9]), random);
    grassTuft(model, footOf(pivot[10]), random);
    cypress(model, footOf(pivot[11]));
    flowerPatch(model, footOf(pivot[12]), random);
    birch(model, footOf(pivot[13]), random);
    if (model.meshCount() != 39) {
        fprintf(stderr, "assetgen: the first forest pack has %zu meshes, the catalogue needs 39\n", model.meshCount());
        return false;
    }
    return model.write(outDir, "models/forest3/NatureFreePack1.obj", "models/forest3/NatureFreePack1.mtl");
}

// ---- Second pack: seven objects in fifteen meshes ----

void tallFir(ObjModel& model, const glm::vec3& foot) {
    addTrunk(model.addMesh("fir_trunk", "dark_bark"), foot, 1.4f, 0.26f, 0.12f);
    addConeStack(model.addMesh("fir_needles", "fir"), foot, 5, 0.9f, 6.6f, 1.35f, 0.45f, 0.2f);
}

void standingStone(ObjModel& model, const glm::vec3& foot, Random& random) {
    ObjMesh& mesh = model.addMesh("standing_stone", "moss_rock");
    const size_t first = mesh.vertexCount();
    addRock(mesh, glm::vec3(0.0f), {0.55f, 1.3f, 0.45f}, 0.1f, random);
    mesh.transformFrom(first, translation(foot) * rotation(0.08f, {0, 0, 1}));
    mesh.flattenBelow(first, foot.y - 0.15f);
}

void autumnTree(ObjModel& model, const glm::vec3& foot, Random& random) {
    ObjMesh& wood = model.addMesh("autumn_wood", "bark");
    addTrunk(wood, foot, 2.2f, 0.26f, 0.15f);
    addBranch(wood, foot + glm::vec3(0.0f, 1.6f, 0.0f), 1.0f, 0.09f, 1.0f, 0.8f);
    addBranch(wood, foot + glm::vec3(0.0f, 1.8f, 0.0f), 0.9f, 0.08f, 3.6f, 0.7f);
    addCrown(model.addMesh("autumn_leaves", "autumn"), foot + glm::vec3(0.0f, 3.0f, 0.0f), 1.15f, 5, random);
}

void snowyPine(ObjModel& model, const glm::vec3& foot) {
    addTrunk(model.addMesh("snowy_pine_trunk", "dark_bark"), foot, 1.3f, 0.22f, 0.1f);
    addConeStack(model.addMesh("snowy_pine_needles", "pine"), foot, 4, 0.9f, 5.0f, 1.45f, 0.5f, 0.1f);
    // Snow sits on the upper part of every layer: a shorter, slightly larger cone around it.
    ObjMesh& snow = model.addMesh("snowy_pine_snow", "snow");
    const int layers = 4;
    const float bottom = 0.9f;
    const float top = 5.0f;
    const float step = (top - bottom) / (static_cast<float>(layers) + 0.6f);
    for (int layer = 0; layer < layers; ++layer) {
        const float share = static_cast<float>(layer) / static_cast<float>(layers - 1);
        const float radius = 1.45f + (0.5f - 1.45f) * share;
        const float base = bottom + step * static_cast<float>(layer);
        const float height = layer == layers - 1 ? top - base : step * 1.6f;
        // Most of each layer lies under the one above it; the snow covers down to near the rim.
        const float cover = 0.75f;
        snow.addLathe({{0.0f, base + height * (1.0f - cover) + 0.05f},
                       {radius * cover + 0.05f, base + height * (1.0f - cover) - 0.01f},
                       {0.0f, base + height + 0.05f}},
                      8, foot, glm::vec4(0.0f), 0.1f + 0.4f * static_cast<float>(layer));
    }
}

void fruitTree(ObjModel& model, const glm::vec3& foot, Random& random) {
    ObjMesh& wood = model.addMesh("fruit_tree_wood", "bark");
    addTrunk(wood, foot, 1.8f, 0.22f, 0.13f);
    addBranch(wood, foot + glm::vec3(0.0f, 1.4f, 0.0f), 0.8f, 0.08f, 0.3f, 0.9f);
    addBranch(wood, foot + glm::vec3(0.0f, 1.5f, 0.0f), 0.8f, 0.08f, 3.4f, 0.9f);
    const glm::vec3 centre = foot + glm::vec3(0.0f, 2.5f, 0.0f);
    addCrown(model.addMesh("fruit_tree_leaves", "light_leaf"), centre, 1.05f, 5, random);
    addDots(model.addMesh("fruit_tree_apples", "apple"), centre, {1.3f, 0.95f, 1.3f}, 12, 0.1f, random, -0.6f);
}

void fern(ObjModel& model, const glm::vec3& foot, Random& random) {
    ObjMesh& fronds = model.addMesh("fern_fronds", "grass");
    for (int i = 0; i < 8; ++i) {
        const float yaw = 0.785f * static_cast<float>(i) + random.range(0.0f, 0.3f);
        // Each frond arches out in three segments, bending further down at every joint.
        glm::vec3 start = foot;
        float tilt = 0.5f;
        for (int segment = 0; segment < 3; ++segment) {
            const float length = 0.55f - 0.1f * static_cast<float>(segment);
            const size_t first = fronds.vertexCount();
            fronds.addBox(glm::vec3(0.0f, length * 0.5f, 0.0f),
                          glm::vec3(0.02f, length * 0.5f, 0.17f - 0.04f * static_cast<float>(segment)));
            const glm::mat4 place = translation(start) * rotation(yaw, {0, 1, 0}) * rotation(-tilt, {0, 0, 1});
            fronds.transformFrom(first, place);
            start = glm::vec3(place * glm::vec4(0.0f, length, 0.0f, 1.0f));
            tilt += 0.45f;
        }
    }
    ObjMesh& base = model.addMesh("fern_base", "dark_bark");
    base.addLathe({{0.0f, -0.15f}, {0.2f, -0.15f}, {0.12f, 0.1f}, {0.0f, 0.12f}}, 6, foot);
}

void giantMushroom(ObjModel& model, const glm::vec3& foot) {
    model.addMesh("giant_mushroom_stem", "stem")
        .addLathe({{0.0f, -kSink}, {0.32f, -kSink}, {0.24f, 0.3f}, {0.2f, 1.0f}, {0.24f, 1.35f}, {0.0f, 1.35f}}, 8,
                  foot);
    model.addMesh("giant_mushroom_cap", "brown_cap")
        .addLathe({{0.0f, 1.2f}, {0.95f, 1.15f}, {1.1f, 1.3f}, {0.9f, 1.7f}, {0.45f, 1.95f}, {0.0f, 2.0f}}, 10, foot);
}

bool writeSecondPack(const std::string& outDir) {
    ObjModel model("forest_assets.mtl");
    addPalette(model);
    Random random(2002);
    const glm::vec3* pivot = kSecondPackPivots;
    tallFir(model, footOf(pivot[0]));
    standingStone(model, footOf(pivot[1]), random);
    autumnTree(model, footOf(pivot[2]), random);
    snowyPine(model, footOf(pivot[3]));
    fruitTree(model, footOf(pivot[4]), random);
    fern(model, footOf(pivot[5]), random);
    giantMushroom(model, footOf(pivot[6]));
    if (model.meshCount() != 15) {
        fprintf(stderr, "assetgen: the second forest pack has %zu meshes, the catalogue needs 15\n", model.meshCount());
        return false;
    }
    return model.write(outDir, "models/forest2/forest_assets.obj", "models/forest2/forest_assets.mtl");
}

}  // namespace

bool generateForestModels(const std::string& outDir) {
    return writeFirstPack(outDir) && writeSecondPack(outDir);
}

}  // namespace assetgen
