// Vertex-array set-up shared by the drawables: each interleaves its attributes as 32-bit
// floats in one buffer, and attribute i is the i-th field of the layout. No attribute name
// is bound; the shaders declare their inputs at these locations.
#pragma once

#include <cstddef>
#include <initializer_list>

#include <GL/glew.h>

// Creates a vertex array and a buffer, uploads floatCount floats from data (GL_STATIC_DRAW)
// and enables one float attribute per entry of fieldSizes (components per field, in order).
// Leaves vertex array 0 bound.
void create_float_vertex_array(const float* data, size_t floatCount, std::initializer_list<int> fieldSizes,
                               GLuint* vertexArray, GLuint* vertexBuffer);

// The same with an index buffer too, filled with indexCount indices (GL_STATIC_DRAW) and
// recorded in the vertex array.
void create_indexed_float_vertex_array(const float* data, size_t floatCount, const unsigned int* indices,
                                       size_t indexCount, std::initializer_list<int> fieldSizes, GLuint* vertexArray,
                                       GLuint* vertexBuffer, GLuint* indexBuffer);

// A second vertex array over an existing vertex buffer, with an index buffer of its own that
// is left empty for indices uploaded later. Leaves vertex array 0 bound; the vertex buffer
// stays with its first vertex array.
void create_vertex_array_over(GLuint vertexBuffer, std::initializer_list<int> fieldSizes, GLuint* vertexArray,
                              GLuint* indexBuffer);

// Uploads the whole buffer again (GL_STATIC_DRAW, as the first upload).
void upload_float_vertices(GLuint vertexBuffer, const float* data, size_t floatCount);

// Gives back what the create functions made; nothing when the vertex array was never made.
// An index buffer of 0 (none) is passed over.
void delete_vertex_array(GLuint vertexArray, GLuint vertexBuffer, GLuint indexBuffer = 0);
