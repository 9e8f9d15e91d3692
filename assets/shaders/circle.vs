#version 330 core
// Orbit rings of the star map.
layout(location = 0) in vec3 a_position;

uniform mat4 u_world_matrix;
uniform mat4 u_view_matrix;
uniform mat4 u_projection_matrix;

void main() {
    gl_Position = u_projection_matrix * (u_view_matrix * (u_world_matrix * vec4(a_position, 1.0)));
}
