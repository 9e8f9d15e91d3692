// Something a line through the world can hit.
#pragma once

#include <glm/glm.hpp>

class RayCollidable {
public:
    // True when the line through origin along direction crosses the object.
    virtual bool checkCollision(const glm::vec3& origin, const glm::vec3& direction) = 0;
    virtual ~RayCollidable() = default;
};
