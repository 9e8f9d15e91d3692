#include "render/Mesh.h"

#include <cstddef>
#include <glm/gtc/type_ptr.hpp>

#include "render/ShaderProgram.h"
#include "render/VertexLayout.h"

static_assert(sizeof(MeshVertexData) == 56, "the vertex buffer's layout is 14 packed floats");

namespace {

constexpr size_t kFloatsPerVertex = sizeof(MeshVertexData) / sizeof(float);
static_assert(offsetof(MeshVertexData, texCoords) == 6 * sizeof(float) &&
                  offsetof(MeshVertexData, bitangent) == 11 * sizeof(float),
              "the fields follow each other in the order the attributes are numbered");

}  // namespace

Mesh::Mesh(std::vector<MeshVertexData> vertices, std::vector<unsigned int> indices, std::vector<Texture> textures,
           Material material)
    : vertices(std::move(vertices)), indices(std::move(indices)), textures(std::move(textures)), material(material) {}

Mesh::~Mesh() {
    delete_vertex_array(VAO, VBO, EBO);
}

bool Mesh::setup() {
    // The vertex is packed floats: position, normal, texture co-ordinates, tangent, bitangent.
    create_indexed_float_vertex_array(reinterpret_cast<const float*>(vertices.data()),
                                      vertices.size() * kFloatsPerVertex, indices.data(), indices.size(),
                                      {3, 3, 2, 3, 3}, &VAO, &VBO, &EBO);
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
