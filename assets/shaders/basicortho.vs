#version 330 core
// Screen quads and sprites: positions in window pixels.
layout(location = 0) in vec2 a_position;
layout(location = 1) in vec2 a_uv;

uniform mat4 u_world_matrix;
uniform mat4 u_projection_matrix;

out vec2 v_uv;

void main() {
    v_uv = a_uv;
    gl_Position = u_projection_matrix * u_world_matrix * vec4(a_position, 0.0, 1.0);
}
