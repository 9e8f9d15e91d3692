#include "game/LevelObjectManager.h"

#include <cfloat>

#include <glm/gtc/matrix_transform.hpp>

#include "core/MathUtil.h"
#include "render/Model.h"

namespace {

constexpr level_object kFirstModelKinds = 14;
// Stands the files' y-up objects upright in the z-up world.
const glm::vec3 kUpright(1.5707964f, 0.0f, 0.0f);

struct KindMeshSet {
    std::vector<int> meshes;
    glm::vec3 pivot;
};

const std::vector<KindMeshSet> kFirstModelSets = {
    {{0, 1}, {-5.3f, 4.0f, 1.0f}},
    {{2, 3}, {5.5f, 3.8f, 1.0f}},
    {{4}, {1.5f, -1.0f, 0.0f}},
    {{5}, {-5.6f, -4.6f, 0.0f}},
    {{6, 7}, {-2.3f, -4.3f, 0.0f}},
    {{8}, {-0.5f, -4.4f, 0.0f}},
    {{9}, {0.5f, -4.4f, 0.0f}},
    {{10}, {-2.5f, -1.4f, 0.0f}},
    {{11}, {-6.3f, -1.4f, 0.0f}},
    {{12, 13, 14}, {-3.7f, -4.3f, 0.0f}},
    {{15}, {-6.9f, -4.5f, 0.0f}},
    {{16}, {6.6f, -0.8f, 1.0f}},
    {{17, 18, 19, 20, 21, 22, 23, 24, 25, 26, 27, 28, 29}, {3.2f, -4.4f, 0.0f}},
    {{30, 31, 32, 33, 34, 35, 36, 37, 38}, {6.3f, -4.3f, 0.5f}},
};

const std::vector<KindMeshSet> kSecondModelSets = {
    {{0, 1}, {0.0f, -1.9f, 1.0f}},   {{2}, {-6.0f, -2.1f, 1.0f}},      {{3, 4}, {5.2f, 0.0f, 1.0f}},
    {{5, 6, 7}, {0.0f, 6.0f, 1.0f}}, {{8, 9, 10}, {0.0f, 0.0f, 1.0f}}, {{11, 12}, {-6.0f, 0.25f, 1.5f}},
    {{13, 14}, {-6.0f, 6.1f, 1.0f}},
};

LevelObjectManager::Box uprightBox(const Model& model, const std::vector<int>& meshIndices) {
    const glm::mat4 turn = glm::rotate(glm::mat4(1.0f), kUpright.x, glm::vec3(1.0f, 0.0f, 0.0f));
    LevelObjectManager::Box box{glm::vec3(FLT_MAX), glm::vec3(-FLT_MAX)};
    for (int meshIndex : meshIndices) {
        if (meshIndex < 0 || meshIndex >= static_cast<int>(model.getMeshes().size())) {
            continue;
        }
        for (const MeshVertexData& vertex : model.getMeshes()[static_cast<size_t>(meshIndex)]->getVertices()) {
            const glm::vec3 upright(turn * glm::vec4(vertex.position, 1.0f));
            box.low = glm::min(box.low, upright);
            box.high = glm::max(box.high, upright);
        }
    }
    // A set without vertices draws nothing; a point keeps its box finite.
    return box.low.x <= box.high.x ? box : LevelObjectManager::Box{glm::vec3(0.0f), glm::vec3(0.0f)};
}

bool setUpModel(Model* model, const std::vector<KindMeshSet>& sets, std::vector<LevelObjectManager::Box>* boxes,
                std::vector<glm::vec3>* pivots) {
    if (!model->setup()) {
        return false;
    }
    for (const KindMeshSet& set : sets) {
        model->createMeshSet(set.meshes, set.pivot, kUpright);
        boxes->push_back(uprightBox(*model, set.meshes));
        pivots->push_back(set.pivot);
    }
    return true;
}

void drawMeshSet(Model* model, MatrixOwner* camera, const glm::vec3& light, int meshSet, const glm::vec3& position,
                 float scale) {
    model->setScale(scale, false);
    model->setPosition(position, false);
    model->renderMeshSet(camera, light, meshSet);
}

}  // namespace

LevelObjectManager::LevelObjectManager() = default;

LevelObjectManager::~LevelObjectManager() {
    delete firstModel;
    delete secondModel;
}

bool LevelObjectManager::setup() {
    firstModel =
        new Model("models/forest3/NatureFreePack1.obj", "shaders/model.vs", "shaders/model_material.fs", false);
    if (!setUpModel(firstModel, kFirstModelSets, &uprightBoxes, &pivots)) {
        return false;
    }
    secondModel = new Model("models/forest2/forest_assets.obj", "shaders/model.vs", "shaders/model_material.fs", false);
    return setUpModel(secondModel, kSecondModelSets, &uprightBoxes, &pivots);
}

level_object LevelObjectManager::getRandomObject() {
    if (kinds.empty()) {
        return kLevelObjectKinds;
    }
    const int last = static_cast<int>(kinds.size()) - 1;
    return kinds[static_cast<size_t>(MathUtil::get_random_int(0, last))];
}

void LevelObjectManager::render(MatrixOwner* camera, const glm::vec3& light, level_object kind,
                                const glm::vec3& position, float scale) {
    if (kind >= kLevelObjectKinds) {
        return;
    }
    // A negative kind reaches the first model, whose mesh-set drawing refuses it with a warning.
    if (kind < kFirstModelKinds) {
        if (firstModel != nullptr) {
            drawMeshSet(firstModel, camera, light, kind, position, scale);
        }
        return;
    }
    if (secondModel != nullptr) {
        drawMeshSet(secondModel, camera, light, kind - kFirstModelKinds, position, scale);
    }
}

void LevelObjectManager::update(float /*dt*/) {}

bool LevelObjectManager::getBounds(level_object kind, const glm::vec3& position, float scale, Box* box) const {
    if (kind < 0 || kind >= static_cast<level_object>(uprightBoxes.size())) {
        return false;
    }
    // The draw moves the scaled, upright vertices by the pivot back and then to the position.
    const Box& upright = uprightBoxes[static_cast<size_t>(kind)];
    const glm::vec3 origin = position - pivots[static_cast<size_t>(kind)];
    const glm::vec3 a = origin + upright.low * scale;
    const glm::vec3 b = origin + upright.high * scale;
    box->low = glm::min(a, b);
    box->high = glm::max(a, b);
    return true;
}
