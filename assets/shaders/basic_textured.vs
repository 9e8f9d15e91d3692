#version 330 core
// Unlit textured geometry: the sky box and the projectile sphere.
layout(location = 0) in vec3 a_position;
layout(location = 1) in vec3 a_normal;
layout(location = 2) in vec2 a_tex_coord;

uniform mat4 u_world_matrix;
uniform mat4 u_view_matrix;
uniform mat4 u_projection_matrix;

out vec2 v_tex_coord;

void main() {
    v_tex_coord = a_tex_coord;
    // Three matrix-vector products instead of a matrix product per vertex.
    gl_Position = u_projection_matrix * (u_view_matrix * (u_world_matrix * vec4(a_position, 1.0)));
}
