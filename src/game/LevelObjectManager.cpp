#include "game/LevelObjectManager.h"

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
    {{0, 1}, {0.0f, -1.9f, 1.0f}},
    {{2}, {-6.0f, -2.1f, 1.0f}},
    {{3, 4}, {5.2f, 0.0f, 1.0f}},
    {{5, 6, 7}, {0.0f, 6.0f, 1.0f}},
    {{8, 9, 10}, {0.0f, 0.0f, 1.0f}},
    {{11, 12}, {-6.0f, 0.25f, 1.5f}},
    {{13, 14}, {-6.0f, 6.1f, 1.0f}},
};

bool setUpModel(Model* model, const std::vector<KindMeshSet>& sets) {
    if (!model->setup()) {
        return false;
    }
    for (const KindMeshSet& set : sets) {
        model->createMeshSet(set.meshes, set.pivot, kUpright);
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
    firstModel = new Model("models/forest3/NatureFreePack1.obj", "shaders/model.vs", "shaders/model_material.fs", false);
    if (!setUpModel(firstModel, kFirstModelSets)) {
        return false;
    }
    secondModel = new Model("models/forest2/forest_assets.obj", "shaders/model.vs", "shaders/model_material.fs", false);
    return setUpModel(secondModel, kSecondModelSets);
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
