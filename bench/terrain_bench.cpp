// One frame of terrain: the nine tiles around the player (128 x 128 vertices, 32,258
// triangles each) drawn with the level shader pair from the run folder, as the planet view
// draws them. Needs a display (run under xvfb-run); on a software renderer the figure is
// what the terrain costs of each frame.
#include <GL/glew.h>
#include <benchmark/benchmark.h>
#include <stb_image.h>

#include <glm/glm.hpp>
#include <glm/gtc/matrix_transform.hpp>
#include <glm/gtc/type_ptr.hpp>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "BenchWindow.h"

namespace {

constexpr int kTileSize = 128;
constexpr int kGridSide = 3;
constexpr float kHeightScale = 15.0f;

struct TerrainVertex {
    glm::vec3 position;
    glm::vec3 normal;
    glm::vec2 uv;
};

std::string readText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// Heights of the tile's heightmap from the run folder, or rolling ground when it is absent.
std::vector<float> tileHeights(int tile) {
    std::vector<float> heights(kTileSize * kTileSize);
    const std::string bytes =
        readText(std::string(QUENLOW_RUN_DIR) + "/textures/heightmaps/hm_" + std::to_string(tile) + ".png");
    int width = 0, height = 0, channels = 0;
    stbi_set_flip_vertically_on_load(1);
    stbi_uc* pixels = bytes.empty() ? nullptr
                                    : stbi_load_from_memory(reinterpret_cast<const stbi_uc*>(bytes.data()),
                                                            static_cast<int>(bytes.size()), &width, &height, &channels, 3);
    for (int i = 0; i < kTileSize * kTileSize; ++i) {
        const float x = static_cast<float>(i % kTileSize);
        const float y = static_cast<float>(i / kTileSize);
        heights[i] = pixels != nullptr && width == kTileSize && height == kTileSize
                         ? kHeightScale * std::sqrt(3.0f) * pixels[i * 3] / 255.0f
                         : 12.0f + 4.0f * std::sin(x * 0.1f) * std::cos(y * 0.07f);
    }
    stbi_image_free(pixels);
    return heights;
}

GLuint buildProgram() {
    const std::string sources[] = {readText(std::string(QUENLOW_RUN_DIR) + "/shaders/level.vs"),
                                   readText(std::string(QUENLOW_RUN_DIR) + "/shaders/level.fs")};
    const GLenum stages[] = {GL_VERTEX_SHADER, GL_FRAGMENT_SHADER};
    const GLuint program = glCreateProgram();
    for (int i = 0; i < 2; ++i) {
        const GLuint shader = glCreateShader(stages[i]);
        const char* text = sources[i].c_str();
        glShaderSource(shader, 1, &text, nullptr);
        glCompileShader(shader);
        glAttachShader(program, shader);
        glDeleteShader(shader);
    }
    glLinkProgram(program);
    GLint linked = GL_FALSE;
    glGetProgramiv(program, GL_LINK_STATUS, &linked);
    return linked == GL_TRUE ? program : 0;
}

struct Tile {
    GLuint vao = 0, vbo = 0, ibo = 0;
    GLsizei indexCount = 0;
};

Tile uploadTile(const std::vector<float>& heights) {
    std::vector<TerrainVertex> vertices(kTileSize * kTileSize);
    for (int i = 0; i < kTileSize * kTileSize; ++i) {
        const float x = static_cast<float>(i % kTileSize);
        const float y = static_cast<float>(i / kTileSize);
        vertices[i] = {{x, y, heights[i]}, {0.0f, 0.0f, -1.0f}, {x / kTileSize * 50.0f, y / kTileSize * 50.0f}};
    }
    std::vector<GLuint> indices;
    for (GLuint row = 0; row + 1 < kTileSize; ++row) {
        for (GLuint column = 0; column + 1 < kTileSize; ++column) {
            const GLuint i = row * kTileSize + column;
            indices.insert(indices.end(), {i, i + kTileSize, i + 1, i + 1, i + kTileSize, i + kTileSize + 1});
        }
    }
    Tile tile;
    tile.indexCount = static_cast<GLsizei>(indices.size());
    glGenVertexArrays(1, &tile.vao);
    glBindVertexArray(tile.vao);
    glGenBuffers(1, &tile.vbo);
    glBindBuffer(GL_ARRAY_BUFFER, tile.vbo);
    glBufferData(GL_ARRAY_BUFFER, vertices.size() * sizeof(TerrainVertex), vertices.data(), GL_STATIC_DRAW);
    glGenBuffers(1, &tile.ibo);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, tile.ibo);
    glBufferData(GL_ELEMENT_ARRAY_BUFFER, indices.size() * sizeof(GLuint), indices.data(), GL_STATIC_DRAW);
    for (GLuint attribute = 0; attribute < 3; ++attribute) {
        glEnableVertexAttribArray(attribute);
        glVertexAttribPointer(attribute, attribute == 2 ? 2 : 3, GL_FLOAT, GL_FALSE, sizeof(TerrainVertex),
                              reinterpret_cast<const void*>(attribute * 3 * sizeof(float)));
    }
    glBindVertexArray(0);
    return tile;
}

void BM_NineTerrainTiles(benchmark::State& state) {
    const BenchWindow window("terrain bench");
    if (!window.ok()) {
        state.SkipWithError("no OpenGL 3.3 core window (run under xvfb-run)");
        return;
    }
    const GLuint program = buildProgram();
    if (program == 0) {
        state.SkipWithError("the level shaders do not build");
        return;
    }
    std::vector<Tile> tiles;
    for (int slot = 0; slot < kGridSide * kGridSide; ++slot) {
        tiles.push_back(uploadTile(tileHeights(slot)));
    }
    GLuint texture = 0;
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    const uint8_t grey[4] = {128, 128, 255, 255};
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, 1, 1, 0, GL_RGBA, GL_UNSIGNED_BYTE, grey);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);

    // The player stands near the middle tile and looks across the grid.
    const glm::vec3 eye(140.0f, 150.0f, 16.0f);
    const glm::vec3 viewDir = glm::normalize(glm::vec3(1.0f, 1.0f, -0.1f));
    const glm::mat4 view = glm::lookAtRH(eye, eye + viewDir, glm::vec3(0.0f, 0.0f, 1.0f));
    const glm::mat4 projection = glm::perspectiveRH(glm::half_pi<float>(), 1280.0f / 720.0f, 0.01f, 400.0f);
    const glm::vec3 light = eye + glm::vec3(80.0f, 60.0f, 140.0f);
    glUseProgram(program);
    glUniformMatrix4fv(glGetUniformLocation(program, "u_view_matrix"), 1, GL_FALSE, glm::value_ptr(view));
    glUniformMatrix4fv(glGetUniformLocation(program, "u_projection_matrix"), 1, GL_FALSE, glm::value_ptr(projection));
    glUniform3fv(glGetUniformLocation(program, "u_light_pos"), 1, glm::value_ptr(light));
    glUniform3fv(glGetUniformLocation(program, "u_view_pos"), 1, glm::value_ptr(eye));
    glUniform3fv(glGetUniformLocation(program, "u_view_dir"), 1, glm::value_ptr(viewDir));
    glUniform1f(glGetUniformLocation(program, "u_specular_strength"), 1.0f);
    glViewport(0, 0, 1280, 720);
    glEnable(GL_DEPTH_TEST);
    const GLint worldLocation = glGetUniformLocation(program, "u_world_matrix");
    for (auto _ : state) {
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        for (int slot = 0; slot < kGridSide * kGridSide; ++slot) {
            const glm::vec3 offset(static_cast<float>(slot % kGridSide * (kTileSize - 1)),
                                   static_cast<float>(slot / kGridSide * (kTileSize - 1)), 0.0f);
            const glm::mat4 world = glm::translate(glm::mat4(1.0f), offset);
            glUniformMatrix4fv(worldLocation, 1, GL_FALSE, glm::value_ptr(world));
            glBindVertexArray(tiles[slot].vao);
            glDrawElements(GL_TRIANGLES, tiles[slot].indexCount, GL_UNSIGNED_INT, nullptr);
        }
        glFinish();
    }
    state.counters["triangles"] = static_cast<double>(tiles.size() * tiles[0].indexCount / 3);
    for (Tile& tile : tiles) {
        glDeleteBuffers(1, &tile.vbo);
        glDeleteBuffers(1, &tile.ibo);
        glDeleteVertexArrays(1, &tile.vao);
    }
    glDeleteTextures(1, &texture);
    glDeleteProgram(program);
}

BENCHMARK(BM_NineTerrainTiles)->Unit(benchmark::kMillisecond)->MinTime(2.0);

}  // namespace

BENCHMARK_MAIN();
