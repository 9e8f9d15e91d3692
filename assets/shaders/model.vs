#version 330 core
// Meshes of imported models, for both the textured and the material fragment stage.
layout(location = 0) in vec3 a_position;
layout(location = 1) in vec3 a_normal;
layout(location = 2) in vec2 a_tex_coord;
layout(location = 3) in vec3 a_tangent;
layout(location = 4) in vec3 a_bitangent;

uniform mat4 u_world_matrix;
uniform mat4 u_view_matrix;
uniform mat4 u_projection_matrix;

out vec3 v_world_position;
out vec3 v_normal;
out vec2 v_tex_coord;

void main() {
    vec4 world = u_world_matrix * vec4(a_position, 1.0);
    v_world_position = world.xyz;
    // Models are scaled uniformly, so the world matrix turns normals correctly; the
    // fragment stage normalises.
    v_normal = mat3(u_world_matrix) * a_normal;
    v_tex_coord = a_tex_coord;
    gl_Position = u_projection_matrix * (u_view_matrix * world);
}
