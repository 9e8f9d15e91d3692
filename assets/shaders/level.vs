#version 330 core
// Terrain tile. Nine tiles of some 32,000 triangles each are drawn every frame, so this
// stage does only what each vertex needs: two matrix-vector products and a hand-over,
// with the point's place on the usage map in texels for the fragments' blend.
layout(location = 0) in vec3 a_position;
layout(location = 1) in vec3 a_normal;
layout(location = 2) in vec2 a_tex_coord;

uniform mat4 u_world_matrix;
uniform mat4 u_view_matrix;
uniform mat4 u_projection_matrix;
uniform sampler2D diffuse_usage_texture_sampler;

out vec3 v_world_position;
out vec3 v_normal;
out vec2 v_tex_coord;
out vec2 v_usage_texel;  // the point on the usage map in texels, 0 at the first texel's centre

const float kRepeatsPerTile = 50.0;  // the ground textures' repeats across a tile

void main() {
    vec4 world = u_world_matrix * vec4(a_position, 1.0);
    v_world_position = world.xyz;
    // The mesh's normals point down; lighting wants them up. The world matrix only
    // translates a tile, so the normal needs no transform.
    v_normal = -a_normal;
    v_tex_coord = a_tex_coord;
    v_usage_texel = a_tex_coord / kRepeatsPerTile * vec2(textureSize(diffuse_usage_texture_sampler, 0)) - 0.5;
    gl_Position = u_projection_matrix * (u_view_matrix * world);
}
