#include "render/VertexLayout.h"

#include <cstdint>

namespace {

// The attributes of the buffer bound to GL_ARRAY_BUFFER, into the bound vertex array.
void setFloatAttributes(std::initializer_list<int> fieldSizes) {
    GLsizei stride = 0;
    for (int size : fieldSizes) {
        stride += static_cast<GLsizei>(size * sizeof(float));
    }
    GLuint location = 0;
    uintptr_t offset = 0;
    for (int size : fieldSizes) {
        glVertexAttribPointer(location, size, GL_FLOAT, GL_FALSE, stride, reinterpret_cast<const void*>(offset));
        glEnableVertexAttribArray(location);
        ++location;
        offset += static_cast<uintptr_t>(size) * sizeof(float);
    }
}

void createVertexArray(const float* data, size_t floatCount, const unsigned int* indices, size_t indexCount,
                       std::initializer_list<int> fieldSizes, GLuint* vertexArray, GLuint* vertexBuffer,
                       GLuint* indexBuffer) {
    glGenVertexArrays(1, vertexArray);
    glBindVertexArray(*vertexArray);
    glGenBuffers(1, vertexBuffer);
    glBindBuffer(GL_ARRAY_BUFFER, *vertexBuffer);
    glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(floatCount * sizeof(float)), data, GL_STATIC_DRAW);
    if (indexBuffer != nullptr) {
        glGenBuffers(1, indexBuffer);
        glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, *indexBuffer);
        glBufferData(GL_ELEMENT_ARRAY_BUFFER, static_cast<GLsizeiptr>(indexCount * sizeof(unsigned int)), indices,
                     GL_STATIC_DRAW);
    }
    setFloatAttributes(fieldSizes);
    glBindVertexArray(0);
}

}  // namespace

void create_float_vertex_array(const float* data, size_t floatCount, std::initializer_list<int> fieldSizes,
                               GLuint* vertexArray, GLuint* vertexBuffer) {
    createVertexArray(data, floatCount, nullptr, 0, fieldSizes, vertexArray, vertexBuffer, nullptr);
}

void create_indexed_float_vertex_array(const float* data, size_t floatCount, const unsigned int* indices,
                                       size_t indexCount, std::initializer_list<int> fieldSizes, GLuint* vertexArray,
                                       GLuint* vertexBuffer, GLuint* indexBuffer) {
    createVertexArray(data, floatCount, indices, indexCount, fieldSizes, vertexArray, vertexBuffer, indexBuffer);
}

void create_vertex_array_over(GLuint vertexBuffer, std::initializer_list<int> fieldSizes, GLuint* vertexArray,
                              GLuint* indexBuffer) {
    glGenVertexArrays(1, vertexArray);
    glBindVertexArray(*vertexArray);
    glBindBuffer(GL_ARRAY_BUFFER, vertexBuffer);
    glGenBuffers(1, indexBuffer);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, *indexBuffer);
    setFloatAttributes(fieldSizes);
    glBindVertexArray(0);
}

void upload_float_vertices(GLuint vertexBuffer, const float* data, size_t floatCount) {
    glBindBuffer(GL_ARRAY_BUFFER, vertexBuffer);
    glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(floatCount * sizeof(float)), data, GL_STATIC_DRAW);
}

void delete_vertex_array(GLuint vertexArray, GLuint vertexBuffer, GLuint indexBuffer) {
    if (vertexArray == 0) {
        return;
    }
    glDeleteVertexArrays(1, &vertexArray);
    glDeleteBuffers(1, &vertexBuffer);
    if (indexBuffer != 0) {
        glDeleteBuffers(1, &indexBuffer);
    }
}
