#include "render/Mesh.h"

#include <cstddef>
#include <glm/gtc/type_ptr.hpp>

#include "render/ShaderProgram.h"

static_assert(sizeof(MeshVertexData) == 56, "the vertex buffer's layout is 14 packed floats");

namespace {

constexpr GLsizei kStride = sizeof(MeshVertexData);

struct Attribute {
    GLint components;
    size_t offset;
};
constexpr Attribute kAttributes[5] = {
    {3, offsetof(MeshVertexData, position)},  {3, offsetof(MeshVertexData, normal)},
    {2, offsetof(MeshVertexData, texCoords)}, {3, offsetof(MeshVertexData, tangent)},
    {3, offsetof(MeshVertexData, bitangent)},
};

}  // namespace

Mesh::Mesh(std::vector<MeshVertexData> vertices, std::vector<unsigned int> indices, std::vector<Texture> textures,
           Material material)
    : vertices(std::move(vertices)), indices(std::move(indices)), textures(std::move(textures)), material(material) {}

Mesh::~Mesh() {
    if (VAO != 0) {
        glDeleteVertexArrays(1, &VAO);
        glDeleteBuffers(1, &VBO);
        glDeleteBuffers(1, &EBO);
    }
}

bool Mesh::setup() {
    glGenVertexArrays(1, &VAO);
    glGenBuffers(1, &VBO);
    glGenBuffers(1, &EBO);
    glBindVertexArray(VAO);
    glBindBuffer(GL_ARRAY_BUFFER, VBO);
    glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(vertices.size() * sizeof(MeshVertexData)), vertices.data(),
                 GL_STATIC_DRAW);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, EBO);
    glBufferData(GL_ELEMENT_ARRAY_BUFFER, static_cast<GLsizeiptr>(indices.size() * sizeof(unsigned int)),
                 indices.data(), GL_STATIC_DRAW);
    for (GLuint location = 0; location < 5; ++location) {
        glEnableVertexAttribArray(location);
        glVertexAttribPointer(location, kAttributes[location].components, GL_FLOAT, GL_FALSE, kStride,
                              reinterpret_cast<void*>(kAttributes[location].offset));
    }
    // The index buffer stays recorded in the vertex array.
    glBindVertexArray(0);
    return true;
}

void Mesh::update(float) {}

void Mesh::render(MatrixOwner*, ShaderProgram* program) {
    const GLuint programId = program->getId();
    if (textures.empty()) {
        setMaterialUniforms(programId);
    } else {
        bindTextures(programId);
    }
    glBindVertexArray(VAO);
    glDrawElements(GL_TRIANGLES, static_cast<GLsizei>(indices.size()), GL_UNSIGNED_INT, nullptr);
    glBindVertexArray(0);
    glActiveTexture(GL_TEXTURE0);
}

void Mesh::setMaterialUniforms(GLuint programId) const {
    glUniform3fv(glGetUniformLocation(programId, "u_ambient"), 1, glm::value_ptr(material.ambient));
    glUniform3fv(glGetUniformLocation(programId, "u_diffuse"), 1, glm::value_ptr(material.diffuse));
    glUniform3fv(glGetUniformLocation(programId, "u_specular"), 1, glm::value_ptr(material.specular));
    glUniform1fv(glGetUniformLocation(programId, "u_shininess"), 1, &material.shininess);
}

void Mesh::bindTextures(GLuint programId) const {
    // Samplers are numbered per kind: texture_diffuse1, texture_diffuse2, texture_specular1...
    unsigned int diffuseNumber = 1;
    unsigned int specularNumber = 1;
    unsigned int normalNumber = 1;
    unsigned int heightNumber = 1;
    for (size_t unit = 0; unit < textures.size(); ++unit) {
        glActiveTexture(static_cast<GLenum>(GL_TEXTURE0 + unit));
        const std::string& type = textures[unit].type;
        unsigned int number = 0;
        if (type == "texture_diffuse") {
            number = diffuseNumber++;
        } else if (type == "texture_specular") {
            number = specularNumber++;
        } else if (type == "texture_normal") {
            number = normalNumber++;
        } else if (type == "texture_height") {
            number = heightNumber++;
        }
        const std::string samplerName = type + std::to_string(number);
        glUniform1i(glGetUniformLocation(programId, samplerName.c_str()), static_cast<GLint>(unit));
        glBindTexture(GL_TEXTURE_2D, textures[unit].id);
    }
}
