// The nine tiles around the player drawn bare, the benchmarks' yardstick for a planet frame.
#pragma once

#include <GL/glew.h>

#include <chrono>
#include <glm/gtc/matrix_transform.hpp>
#include <glm/gtc/type_ptr.hpp>

#include "game/Level.h"
#include "game/LevelTile.h"
#include "render/Camera.h"
#include "render/ShaderProgram.h"
#include "render/TextureManager.h"
#include "render/VertexLayout.h"

// The same nine tiles' ground alone, every tile drawn whole with the level's program and
// textures as a tile draws its ground: what the frame is held against.
class BareNineTiles {
public:
    BareNineTiles(Level& level, Camera& camera)
        : level(level), camera(camera), program("shaders/level.vs", "shaders/level.fs", "") {
        ok = program.build();
        const glm::vec3 eye = *camera.getPosition();
        const int width = static_cast<int>(level.getWidth()) / 3;
        for (int slot = 0; slot < 9; ++slot) {
            const LevelTile* tile = level.getGridTile(slot);
            create_indexed_float_vertex_array(reinterpret_cast<const float*>(tile->getVertices().data()),
                                              tile->getVertices().size() * 8, tile->getIndices().data(),
                                              tile->getIndices().size(), {3, 3, 2}, &tiles[slot].vertexArray,
                                              &tiles[slot].vertexBuffer, &tiles[slot].indexBuffer);
            tiles[slot].indexCount = static_cast<GLsizei>(tile->getIndices().size());
            // Around the player's tile, whichever slot shows which.
            tiles[slot].offset = glm::vec3(static_cast<float>((torus_tile(eye.x, width) + slot % 3 - 1) * width),
                                           static_cast<float>((torus_tile(eye.y, width) + slot / 3 - 1) * width), 0.0f);
        }
        for (int unit = 0; unit < 4; ++unit) {
            textures[unit] = TextureManager::getInstance()->loadTexture(kTextures[unit], true);
        }
    }
    ~BareNineTiles() {
        for (int unit = 0; unit < 4; ++unit) {
            TextureManager::getInstance()->freeTexture(kTextures[unit]);
        }
        for (const BareTile& tile : tiles) {
            delete_vertex_array(tile.vertexArray, tile.vertexBuffer, tile.indexBuffer);
        }
    }
    void draw() {
        const glm::vec3 eye = *camera.getPosition();
        const GLuint id = program.getId();
        program.use();
        for (int unit = 0; unit < 4; ++unit) {
            glActiveTexture(GL_TEXTURE0 + unit);
            glBindTexture(GL_TEXTURE_2D, textures[unit]);
            glUniform1i(glGetUniformLocation(id, kSamplers[unit]), unit);
        }
        const glm::vec3 light = level.skyboxLightPosition + glm::vec3(eye.x, eye.y, 0.0f);
        glUniform3fv(glGetUniformLocation(id, "u_light_pos"), 1, glm::value_ptr(light));
        glUniform3fv(glGetUniformLocation(id, "u_view_pos"), 1, glm::value_ptr(eye));
        glUniform3fv(glGetUniformLocation(id, "u_view_dir"), 1, glm::value_ptr(*camera.getViewDirection()));
        glUniform1f(glGetUniformLocation(id, "u_specular_strength"), 1.0f);
        for (const BareTile& tile : tiles) {
            program.setCameraMatrices(&camera, glm::translate(glm::mat4(1.0f), tile.offset));
            glBindVertexArray(tile.vertexArray);
            glDrawElements(GL_TRIANGLES, tile.indexCount, GL_UNSIGNED_INT, nullptr);
        }
        glBindVertexArray(0);
        glActiveTexture(GL_TEXTURE0);
    }
    bool ok = false;

private:
    static constexpr const char* kTextures[4] = {"textures/p1_diffuse_map.png", "textures/heightmaps/tu_0.png",
                                                 "textures/p1_specular_map.png", "textures/p1_normal_map.png"};
    static constexpr const char* kSamplers[4] = {"diffuse_texture_sampler", "diffuse_usage_texture_sampler",
                                                 "specular_texture_sampler", "normal_texture_sampler"};
    struct BareTile {
        GLuint vertexArray = 0, vertexBuffer = 0, indexBuffer = 0;
        GLsizei indexCount = 0;
        glm::vec3 offset = glm::vec3(0.0f);
    };
    Level& level;
    Camera& camera;
    ShaderProgram program;
    BareTile tiles[9];
    GLuint textures[4] = {};
};

// Milliseconds since start once the renderer has finished everything asked of it.
inline double finishedMilliseconds(const std::chrono::steady_clock::time_point& start) {
    glFinish();
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

