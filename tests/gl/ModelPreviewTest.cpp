// The UFO shader pair under a real 3.3 core context, and preview pictures of every generated
// model, each object drawn through its mesh set the way the game stands it up, written to
// build/test-output for people to look at.
#include <GL/glew.h>
#include <gtest/gtest.h>
#include <stb_image.h>

#include <assimp/material.h>
#include <glm/gtc/matrix_transform.hpp>
#include <glm/gtc/type_ptr.hpp>

#include <cstdio>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "support/GlWindow.h"
#include "support/ImportedModel.h"
#include "support/TestSupport.h"

using testing_support::ImportedMesh;
using testing_support::ImportedModel;
using testing_support::meshSetMatrix;

namespace {

constexpr int kWidth = 1280;
constexpr int kHeight = 720;
const glm::vec3 kLight(40.0f, -60.0f, 80.0f);

// Stands in for the game's model shaders: material colour or diffuse map under one light.
const char* kPreviewVertex = R"(#version 330 core
layout(location = 0) in vec3 a_position;
layout(location = 1) in vec3 a_normal;
layout(location = 2) in vec2 a_tex_coord;
uniform mat4 u_world_matrix;
uniform mat4 u_view_matrix;
uniform mat4 u_projection_matrix;
out vec3 v_world_position;
out vec3 v_normal;
out vec2 v_tex_coord;
void main() {
    vec4 world = u_world_matrix * vec4(a_position, 1.0);
    v_world_position = world.xyz;
    v_normal = mat3(u_world_matrix) * a_normal;
    v_tex_coord = a_tex_coord;
    gl_Position = u_projection_matrix * u_view_matrix * world;
})";
const char* kPreviewFragment = R"(#version 330 core
in vec3 v_world_position;
in vec3 v_normal;
in vec2 v_tex_coord;
uniform vec3 u_diffuse;
uniform vec3 u_ambient;
uniform int u_textured;
uniform sampler2D texture_diffuse1;
uniform vec3 u_light_pos;
out vec4 frag_color;
void main() {
    vec3 base = u_textured != 0 ? texture(texture_diffuse1, v_tex_coord).rgb : u_diffuse;
    float diffuse = max(dot(normalize(v_normal), normalize(u_light_pos - v_world_position)), 0.0);
    vec3 ambient = max(u_ambient * base, 0.3 * base);
    frag_color = vec4(ambient + 0.7 * diffuse * base, 1.0);
})";

std::string readSource(const std::string& path) {
    return testing_support::readFile(path);
}

GLuint compileStage(GLenum stage, const std::string& source, std::string& log) {
    const GLuint shader = glCreateShader(stage);
    const char* text = source.c_str();
    glShaderSource(shader, 1, &text, nullptr);
    glCompileShader(shader);
    GLint ok = 0;
    glGetShaderiv(shader, GL_COMPILE_STATUS, &ok);
    if (!ok) {
        char buffer[2048] = {};
        glGetShaderInfoLog(shader, sizeof(buffer), nullptr, buffer);
        log += buffer;
    }
    return shader;
}

// The linked program, or 0 with the compiler's and linker's messages in log.
GLuint buildProgram(const std::string& vertex, const std::string& fragment, std::string& log) {
    const GLuint vs = compileStage(GL_VERTEX_SHADER, vertex, log);
    const GLuint fs = compileStage(GL_FRAGMENT_SHADER, fragment, log);
    const GLuint program = glCreateProgram();
    glAttachShader(program, vs);
    glAttachShader(program, fs);
    glLinkProgram(program);
    glDeleteShader(vs);
    glDeleteShader(fs);
    GLint ok = 0;
    glGetProgramiv(program, GL_LINK_STATUS, &ok);
    if (!ok || !log.empty()) {
        char buffer[2048] = {};
        glGetProgramInfoLog(program, sizeof(buffer), nullptr, buffer);
        log += buffer;
        glDeleteProgram(program);
        return 0;
    }
    return program;
}

std::string ufoShader(const char* stage) {
    return readSource(std::string(QUENLOW_SOURCE_DIR) + "/assets/shaders/ufo." + stage);
}

// One uploaded mesh in the game's 56-byte vertex layout (tangents left zero, as the game's are).
struct GpuMesh {
    GLuint vao = 0;
    GLuint vbo = 0;
    GLuint ebo = 0;
    GLsizei indexCount = 0;
    glm::vec3 diffuse{0.0f};
    glm::vec3 ambient{0.0f};
    // (sampler name, texture)
    std::vector<std::pair<std::string, GLuint>> textures;
};

GLuint loadImage(const std::string& path) {
    stbi_set_flip_vertically_on_load(1);
    int width = 0;
    int height = 0;
    int channels = 0;
    unsigned char* pixels = stbi_load(path.c_str(), &width, &height, &channels, 4);
    if (pixels == nullptr) {
        return 0;
    }
    GLuint texture = 0;
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, width, height, 0, GL_RGBA, GL_UNSIGNED_BYTE, pixels);
    glGenerateMipmap(GL_TEXTURE_2D);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    stbi_image_free(pixels);
    return texture;
}

class Scene {
public:
    ~Scene() {
        for (GpuMesh& mesh : meshes) {
            glDeleteVertexArrays(1, &mesh.vao);
            glDeleteBuffers(1, &mesh.vbo);
            glDeleteBuffers(1, &mesh.ebo);
        }
        for (auto& texture : images) {
            glDeleteTextures(1, &texture.second);
        }
    }

    // Uploads every mesh of the model; textures come from the model's folder in build/run.
    void upload(const ImportedModel& model, const std::string& folder) {
        static const std::map<int, std::string> kSamplers = {{aiTextureType_DIFFUSE, "texture_diffuse1"},
                                                            {aiTextureType_SPECULAR, "texture_specular1"},
                                                            {aiTextureType_HEIGHT, "texture_normal1"},
                                                            {aiTextureType_AMBIENT, "texture_height1"}};
        for (const ImportedMesh& source : model.meshes) {
            std::vector<float> vertices;
            for (size_t i = 0; i < source.positions.size(); ++i) {
                const glm::vec3 normal = i < source.normals.size() ? source.normals[i] : glm::vec3(1, 0, 0);
                const glm::vec2 uv = i < source.uvs.size() ? source.uvs[i] : glm::vec2(0.0f);
                const float vertex[14] = {source.positions[i].x, source.positions[i].y, source.positions[i].z,
                                          normal.x, normal.y, normal.z, uv.x, uv.y, 0, 0, 0, 0, 0, 0};
                vertices.insert(vertices.end(), vertex, vertex + 14);
            }
            GpuMesh mesh;
            mesh.diffuse = source.diffuse;
            mesh.ambient = source.ambient;
            mesh.indexCount = static_cast<GLsizei>(source.indices.size());
            glGenVertexArrays(1, &mesh.vao);
            glGenBuffers(1, &mesh.vbo);
            glGenBuffers(1, &mesh.ebo);
            glBindVertexArray(mesh.vao);
            glBindBuffer(GL_ARRAY_BUFFER, mesh.vbo);
            glBufferData(GL_ARRAY_BUFFER, vertices.size() * sizeof(float), vertices.data(), GL_STATIC_DRAW);
            glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, mesh.ebo);
            glBufferData(GL_ELEMENT_ARRAY_BUFFER, source.indices.size() * 4, source.indices.data(), GL_STATIC_DRAW);
            const int components[5] = {3, 3, 2, 3, 3};
            size_t offset = 0;
            for (GLuint location = 0; location < 5; ++location) {
                glEnableVertexAttribArray(location);
                glVertexAttribPointer(location, components[location], GL_FLOAT, GL_FALSE, 56,
                                      reinterpret_cast<void*>(offset));
                offset += components[location] * sizeof(float);
            }
            glBindVertexArray(0);
            for (const auto& texture : source.textures) {
                auto sampler = kSamplers.find(texture.first);
                if (sampler == kSamplers.end()) {
                    continue;
                }
                const std::string path = folder + "/" + texture.second;
                if (images.count(path) == 0) {
                    images[path] = loadImage(path);
                }
                mesh.textures.emplace_back(sampler->second, images[path]);
            }
            meshes.push_back(mesh);
        }
    }

    // Draws the listed meshes with the program, the way the game's meshes set their uniforms.
    void draw(GLuint program, const std::vector<int>& indices, const glm::mat4& world) const {
        glUseProgram(program);
        glUniformMatrix4fv(glGetUniformLocation(program, "u_world_matrix"), 1, GL_FALSE, glm::value_ptr(world));
        glUniformMatrix4fv(glGetUniformLocation(program, "u_view_matrix"), 1, GL_FALSE, glm::value_ptr(view));
        glUniformMatrix4fv(glGetUniformLocation(program, "u_projection_matrix"), 1, GL_FALSE,
                           glm::value_ptr(projection));
        glUniform3fv(glGetUniformLocation(program, "u_light_pos"), 1, glm::value_ptr(kLight));
        glUniform3fv(glGetUniformLocation(program, "u_view_pos"), 1, glm::value_ptr(eye));
        for (int index : indices) {
            const GpuMesh& mesh = meshes.at(index);
            glUniform3fv(glGetUniformLocation(program, "u_diffuse"), 1, glm::value_ptr(mesh.diffuse));
            glUniform3fv(glGetUniformLocation(program, "u_ambient"), 1, glm::value_ptr(mesh.ambient));
            glUniform1i(glGetUniformLocation(program, "u_textured"), mesh.textures.empty() ? 0 : 1);
            for (size_t unit = 0; unit < mesh.textures.size(); ++unit) {
                glActiveTexture(GL_TEXTURE0 + static_cast<GLenum>(unit));
                glUniform1i(glGetUniformLocation(program, mesh.textures[unit].first.c_str()), static_cast<GLint>(unit));
                glBindTexture(GL_TEXTURE_2D, mesh.textures[unit].second);
            }
            glBindVertexArray(mesh.vao);
            glDrawElements(GL_TRIANGLES, mesh.indexCount, GL_UNSIGNED_INT, nullptr);
            glBindVertexArray(0);
            glActiveTexture(GL_TEXTURE0);
        }
    }

    void lookAtLike(const Scene& other) {
        eye = other.eye;
        view = other.view;
        projection = other.projection;
    }

    void lookAt(const glm::vec3& from, const glm::vec3& to, float fieldOfView = 60.0f) {
        eye = from;
        view = glm::lookAt(from, to, glm::vec3(0, 0, 1));
        projection = glm::perspective(glm::radians(fieldOfView), float(kWidth) / float(kHeight), 0.05f, 500.0f);
    }

private:
    std::vector<GpuMesh> meshes;
    std::map<std::string, GLuint> images;
    glm::vec3 eye{0.0f};
    glm::mat4 view{1.0f};
    glm::mat4 projection{1.0f};
};

// A square of grass at height z, for the previews of things that stand on the ground.
ImportedModel groundModel(float halfSize, float z) {
    ImportedModel ground;
    ImportedMesh quad;
    quad.positions = {{-halfSize, -halfSize, z}, {halfSize, -halfSize, z}, {halfSize, halfSize, z}, {-halfSize, halfSize, z}};
    quad.normals.assign(4, glm::vec3(0.0f, 0.0f, 1.0f));
    quad.indices = {0, 1, 2, 0, 2, 3};
    quad.diffuse = glm::vec3(0.45f, 0.55f, 0.32f);
    ground.meshes.push_back(quad);
    ground.loaded = true;
    return ground;
}

class ModelPreview : public ::testing::Test {
protected:
    void SetUp() override {
        std::string log;
        program = buildProgram(kPreviewVertex, kPreviewFragment, log);
        ASSERT_NE(program, 0u) << log;
        glViewport(0, 0, kWidth, kHeight);
        glEnable(GL_DEPTH_TEST);
        clear();
    }
    void TearDown() override {
        scene.reset();
        glDeleteProgram(program);
        glDisable(GL_DEPTH_TEST);
    }

    void clear() {
        glClearColor(kSky.r, kSky.g, kSky.b, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    }

    // Imports from build/run, or tells the caller to skip.
    bool load(const std::string& entry, bool flipUVs) {
        if (!testing_support::runFileExists(entry)) {
            return false;
        }
        model = testing_support::importRunModel(entry, flipUVs);
        EXPECT_TRUE(model.loaded) << model.error;
        scene = std::make_unique<Scene>();
        scene->upload(model, testing_support::runFile(entry.substr(0, entry.rfind('/'))));
        return model.loaded;
    }

    void drawGround(const glm::vec3& centre, float halfSize) {
        Scene ground;
        ground.lookAtLike(*scene);
        ground.upload(groundModel(halfSize, 0.0f), "");
        ground.draw(program, {0}, glm::translate(glm::mat4(1.0f), centre));
    }

    // Saves the frame and checks that the model covers a fair share of it.
    void finish(const std::string& name) {
        const std::string path = std::string(QUENLOW_TEST_OUTPUT) + "/model_" + name + ".png";
        EXPECT_TRUE(testing_support::writeScreenshot(path));
        const std::vector<uint8_t> pixels = testing_support::readPixels(0, 0, kWidth, kHeight);
        size_t covered = 0;
        for (size_t i = 0; i + 3 < pixels.size(); i += 4) {
            const glm::ivec3 colour(pixels[i], pixels[i + 1], pixels[i + 2]);
            if (glm::any(glm::greaterThan(glm::abs(colour - glm::ivec3(kSky * 255.0f + 0.5f)), glm::ivec3(3)))) {
                ++covered;
            }
        }
        EXPECT_GT(covered, pixels.size() / 4 / 200) << name << " is hardly visible";
    }

    const glm::vec3 kSky{0.62f, 0.78f, 0.92f};
    GLuint program = 0;
    ImportedModel model;
    std::unique_ptr<Scene> scene;
};

}  // namespace

// The enemy code draws the saucer through the model's uniforms; each must be one the linked
// program really reads, or the saucer would draw black or unplaced.
TEST(UfoShader, CompilesLinksAndReadsTheModelUniforms) {
    std::string log;
    const GLuint program = buildProgram(ufoShader("vs"), ufoShader("fs"), log);
    ASSERT_NE(program, 0u) << log;
    for (const char* name : {"u_world_matrix", "u_view_matrix", "u_projection_matrix", "u_light_pos", "u_view_pos",
                             "texture_diffuse1", "texture_normal1", "texture_height1"}) {
        EXPECT_NE(glGetUniformLocation(program, name), -1) << name;
    }
    glDeleteProgram(program);
}

TEST_F(ModelPreview, ForestPacksStandOnTheGround) {
    struct Pack {
        const char* entry;
        const char* name;
        std::vector<std::pair<std::vector<int>, glm::vec3>> sets;
    };
    const std::vector<Pack> packs = {
        {"models/forest3/NatureFreePack1.obj",
         "forest3",
         {{{0, 1}, {-5.3f, 4.0f, 1.0f}},   {{2, 3}, {5.5f, 3.8f, 1.0f}},      {{4}, {1.5f, -1.0f, 0.0f}},
          {{5}, {-5.6f, -4.6f, 0.0f}},     {{6, 7}, {-2.3f, -4.3f, 0.0f}},    {{8}, {-0.5f, -4.4f, 0.0f}},
          {{9}, {0.5f, -4.4f, 0.0f}},      {{10}, {-2.5f, -1.4f, 0.0f}},      {{11}, {-6.3f, -1.4f, 0.0f}},
          {{12, 13, 14}, {-3.7f, -4.3f, 0.0f}}, {{15}, {-6.9f, -4.5f, 0.0f}}, {{16}, {6.6f, -0.8f, 1.0f}},
          {{17, 18, 19, 20, 21, 22, 23, 24, 25, 26, 27, 28, 29}, {3.2f, -4.4f, 0.0f}},
          {{30, 31, 32, 33, 34, 35, 36, 37, 38}, {6.3f, -4.3f, 0.5f}}}},
        {"models/forest2/forest_assets.obj",
         "forest2",
         {{{0, 1}, {0.0f, -1.9f, 1.0f}},
          {{2}, {-6.0f, -2.1f, 1.0f}},
          {{3, 4}, {5.2f, 0.0f, 1.0f}},
          {{5, 6, 7}, {0.0f, 6.0f, 1.0f}},
          {{8, 9, 10}, {0.0f, 0.0f, 1.0f}},
          {{11, 12}, {-6.0f, 0.25f, 1.5f}},
          {{13, 14}, {-6.0f, 6.1f, 1.0f}}}},
    };
    for (const Pack& pack : packs) {
        clear();
        if (!load(pack.entry, false)) {
            GTEST_SKIP() << pack.entry << " is not laid out in build/run";
        }
        scene->lookAt({15.5f, -15.0f, 7.0f}, {15.5f, 4.0f, 1.2f});
        drawGround({15.5f, 4.0f, 0.0f}, 20.0f);
        for (size_t kind = 0; kind < pack.sets.size(); ++kind) {
            const glm::vec3 place(4.5f * static_cast<float>(kind % 7) + 2.0f, kind < 7 ? 0.0f : 8.0f, 0.0f);
            scene->draw(program, pack.sets[kind].first,
                        glm::translate(glm::mat4(1.0f), place) * meshSetMatrix(pack.sets[kind].second, 1.0f));
        }
        finish(pack.name);
    }
}

TEST_F(ModelPreview, PlanetsAndTheStar) {
    const glm::vec3 pivots[14] = {{10.0f, 7.0f, 0.0f},   {-5.0f, 2.1f, 0.0f},   {10.3f, -7.5f, 0.0f},
                                  {-5.0f, -2.3f, 0.0f},  {-0.4f, -7.1f, 0.0f},  {0.0f, 2.0f, 0.0f},
                                  {5.0f, -2.4f, 0.0f},   {5.3f, 2.4f, 0.0f},    {-10.1f, -2.1f, 0.0f},
                                  {10.3f, 2.5f, 0.0f},   {-10.4f, -7.0f, 0.0f}, {5.1f, 7.1f, 0.0f},
                                  {10.3f, -2.2f, 0.0f},  {-0.1f, 7.0f, 0.0f}};
    if (!load("models/planets/planets.obj", true)) {
        GTEST_SKIP() << "planets not laid out in build/run";
    }
    // Seen from above at an angle, as the star map looks at its plane.
    scene->lookAt({30.0f, -40.0f, 45.0f}, {30.0f, 6.0f, 0.0f});
    for (int i = 0; i < 14; ++i) {
        const glm::vec3 place = i == 0 ? glm::vec3(0.0f, 6.0f, 0.0f)
                                       : glm::vec3(10.0f * static_cast<float>((i - 1) % 7) + 10.0f, i <= 7 ? 0.0f : 12.0f, 0.0f);
        scene->draw(program, {i}, glm::translate(glm::mat4(1.0f), place) * meshSetMatrix(pivots[i], 1.0f));
    }
    finish("planets");
}

TEST_F(ModelPreview, CrystalRocketAndUfo) {
    if (!load("models/crystal/crystal.obj", true)) {
        GTEST_SKIP() << "crystal not laid out in build/run";
    }
    scene->lookAt({0.0f, -4.0f, 1.5f}, {0.0f, 0.0f, 0.0f});
    scene->draw(program, testing_support::allMeshes(model), meshSetMatrix(glm::vec3(0.0f), 1.0f));
    finish("crystal");

    clear();
    ASSERT_TRUE(load("models/spaceship/spaceship.obj", false));
    // Standing at the landing point, origin 12 up, on ground at the tiles' corner height.
    const glm::mat4 rocket = glm::translate(glm::mat4(1.0f), {0.0f, 0.0f, 12.0f}) * meshSetMatrix(glm::vec3(0.0f), 0.1f);
    scene->lookAt({12.0f, -20.0f, 16.0f}, {0.0f, 0.0f, 18.0f});
    drawGround({0.0f, 0.0f, 12.0f}, 30.0f);
    scene->draw(program, testing_support::allMeshes(model), rocket);
    finish("rocket");

    clear();
    ASSERT_TRUE(load("models/ufo1/Low_poly_UFO.obj", false));
    std::string log;
    const GLuint ufo = buildProgram(ufoShader("vs"), ufoShader("fs"), log);
    ASSERT_NE(ufo, 0u) << log;
    scene->lookAt({0.0f, -5.0f, 21.6f}, {0.0f, 0.0f, 23.2f});
    const glm::mat4 hovering = glm::translate(glm::mat4(1.0f), {0.0f, 0.0f, 22.0f}) *
                               glm::rotate(glm::mat4(1.0f), 1.5707964f, glm::vec3(1, 0, 0)) *
                               glm::rotate(glm::mat4(1.0f), 0.3f, glm::vec3(0, 1, 0)) *
                               glm::scale(glm::mat4(1.0f), glm::vec3(0.05f));
    scene->draw(ufo, testing_support::allMeshes(model), hovering);
    finish("ufo");
    glDeleteProgram(ufo);
}
