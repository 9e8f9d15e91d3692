#version 330 core
// Normal-mapped, lit surfaces with per-vertex tangents and bitangents.
layout(location = 0) in vec3 a_position;
layout(location = 1) in vec3 a_normal;
layout(location = 2) in vec2 a_tex_coord;
layout(location = 3) in vec3 a_tangent;
layout(location = 4) in vec3 a_bitangent;

uniform mat4 u_world_matrix;
uniform mat4 u_view_matrix;
uniform mat4 u_projection_matrix;

out vec3 v_world_position;
out vec2 v_tex_coord;
out mat3 v_tangent_frame;

void main() {
    vec4 world = u_world_matrix * vec4(a_position, 1.0);
    mat3 turn = mat3(u_world_matrix);
    v_tangent_frame = mat3(turn * a_tangent, turn * a_bitangent, turn * a_normal);
    v_world_position = world.xyz;
    v_tex_coord = a_tex_coord;
    gl_Position = u_projection_matrix * (u_view_matrix * world);
}
