#version 330 core
// One short line along the normal from each corner of each triangle.
layout(triangles) in;
layout(line_strip, max_vertices = 6) out;

in vec3 v_normal[];

uniform mat4 u_projection_matrix;

const float kNormalLength = 0.2;

void main() {
    for (int i = 0; i < 3; ++i) {
        gl_Position = u_projection_matrix * gl_in[i].gl_Position;
        EmitVertex();
        gl_Position = u_projection_matrix * (gl_in[i].gl_Position + vec4(v_normal[i] * kNormalLength, 0.0));
        EmitVertex();
        EndPrimitive();
    }
}
