#version 330 core
in vec2 v_tex_coord;

uniform sampler2D diffuse_texture_sampler;

out vec4 frag_color;

void main() {
    frag_color = vec4(texture(diffuse_texture_sampler, v_tex_coord).rgb, 1.0);
}
