#version 330 core
// Debug aid: passes positions and normals on to the geometry stage in view space.
layout(location = 0) in vec3 a_position;
layout(location = 1) in vec3 a_normal;

uniform mat4 u_world_matrix;
uniform mat4 u_view_matrix;

out vec3 v_normal;

void main() {
    mat4 worldView = u_view_matrix * u_world_matrix;
    v_normal = normalize(mat3(worldView) * a_normal);
    gl_Position = worldView * vec4(a_position, 1.0);
}
