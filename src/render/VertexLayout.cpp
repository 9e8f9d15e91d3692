#include "render/VertexLayout.h"

#include <cstdint>

void create_float_vertex_array(const float* data, size_t floatCount, std::initializer_list<int> fieldSizes,
                               GLuint* vertexArray, GLuint* vertexBuffer) {
    glGenVertexArrays(1, vertexArray);
    glBindVertexArray(*vertexArray);
    glGenBuffers(1, vertexBuffer);
    glBindBuffer(GL_ARRAY_BUFFER, *vertexBuffer);
    glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(floatCount * sizeof(float)), data, GL_STATIC_DRAW);

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
    glBindVertexArray(0);
}

void upload_float_vertices(GLuint vertexBuffer, const float* data, size_t floatCount) {
    glBindBuffer(GL_ARRAY_BUFFER, vertexBuffer);
    glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(floatCount * sizeof(float)), data, GL_STATIC_DRAW);
}
