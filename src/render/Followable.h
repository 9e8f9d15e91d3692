// Anything a camera can keep in view: the star map's planets, the planet view's rocket.
#pragma once

#include <glm/glm.hpp>

class Followable {
public:
    virtual glm::vec3 getPosition() = 0;
    virtual ~Followable() = default;
};
