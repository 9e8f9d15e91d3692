// The terrain as the camera, the projectiles and the enemies see it. The world is z-up and
// the normals point downwards: (0, 0, -1) on flat ground.
#pragma once

#include <glm/glm.hpp>

class LevelQuery {
public:
    // Height under (p.x, p.y); p.z is not used.
    virtual float getElevation(const glm::vec3& p) = 0;
    virtual float getElevation(float x, float y) = 0;
    virtual glm::vec3 getNormal(const glm::vec3& p) = 0;
    virtual glm::vec3 getNormal(float x, float y) = 0;
    // Line of sight from `from` to `to`; on a blocked line the blocking point goes to hit
    // unless hit is null.
    virtual bool los(const glm::vec3& from, const glm::vec3& to, glm::vec3* hit) = 0;
    // True when the terrain is above p.
    virtual bool isCollision(const glm::vec3& p) = 0;
    virtual ~LevelQuery() = default;
};
