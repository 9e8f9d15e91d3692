// Objects drawn from shared model files: a mesh set each, its meshes and the pivot that lands
// on the object's position once the set's quarter turn about x has stood the file's y axis up.
#pragma once

#include <glm/glm.hpp>
#include <vector>

namespace testing_support {

struct MeshSetKind {
    std::vector<int> meshes;
    glm::vec3 pivot;
    float minHeight, maxHeight;  // what a player walking past expects of it
};

struct ModelKinds {
    const char *entry, *name;
    std::vector<MeshSetKind> kinds;
};

inline const std::vector<ModelKinds> kForestPacks = {
    {"models/forest3/NatureFreePack1.obj", "forest3",
     {{{0, 1}, {-5.3f, 4.0f, 1.0f}, 3.0f, 7.0f},         {{2, 3}, {5.5f, 3.8f, 1.0f}, 3.0f, 7.0f},
      {{4}, {1.5f, -1.0f, 0.0f}, 0.2f, 1.0f},            {{5}, {-5.6f, -4.6f, 0.0f}, 0.8f, 2.5f},
      {{6, 7}, {-2.3f, -4.3f, 0.0f}, 0.5f, 1.5f},        {{8}, {-0.5f, -4.4f, 0.0f}, 0.3f, 1.0f},
      {{9}, {0.5f, -4.4f, 0.0f}, 0.3f, 1.2f},            {{10}, {-2.5f, -1.4f, 0.0f}, 0.1f, 0.6f},
      {{11}, {-6.3f, -1.4f, 0.0f}, 2.5f, 5.0f},          {{12, 13, 14}, {-3.7f, -4.3f, 0.0f}, 0.3f, 0.8f},
      {{15}, {-6.9f, -4.5f, 0.0f}, 0.3f, 0.9f},          {{16}, {6.6f, -0.8f, 1.0f}, 3.0f, 6.0f},
      {{17, 18, 19, 20, 21, 22, 23, 24, 25, 26, 27, 28, 29}, {3.2f, -4.4f, 0.0f}, 0.3f, 0.9f},
      {{30, 31, 32, 33, 34, 35, 36, 37, 38}, {6.3f, -4.3f, 0.5f}, 3.5f, 6.5f}}},
    {"models/forest2/forest_assets.obj", "forest2",
     {{{0, 1}, {0.0f, -1.9f, 1.0f}, 4.0f, 8.0f},     {{2}, {-6.0f, -2.1f, 1.0f}, 1.5f, 3.5f},
      {{3, 4}, {5.2f, 0.0f, 1.0f}, 3.0f, 6.0f},      {{5, 6, 7}, {0.0f, 6.0f, 1.0f}, 3.0f, 7.0f},
      {{8, 9, 10}, {0.0f, 0.0f, 1.0f}, 2.5f, 5.0f},  {{11, 12}, {-6.0f, 0.25f, 1.5f}, 0.3f, 1.2f},
      {{13, 14}, {-6.0f, 6.1f, 1.0f}, 1.5f, 3.0f}}},
};

inline const std::vector<glm::vec3> kPlanetPivots = {  // body i of the star map is mesh i, the star first
    {10.0f, 7.0f, 0.0f},  {-5.0f, 2.1f, 0.0f},   {10.3f, -7.5f, 0.0f},  {-5.0f, -2.3f, 0.0f}, {-0.4f, -7.1f, 0.0f},
    {0.0f, 2.0f, 0.0f},   {5.0f, -2.4f, 0.0f},   {5.3f, 2.4f, 0.0f},    {-10.1f, -2.1f, 0.0f}, {10.3f, 2.5f, 0.0f},
    {-10.4f, -7.0f, 0.0f}, {5.1f, 7.1f, 0.0f},   {10.3f, -2.2f, 0.0f},  {-0.1f, 7.0f, 0.0f}};

}  // namespace testing_support
