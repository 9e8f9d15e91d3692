#version 330 core
in vec2 v_uv;

uniform sampler2D u_texture_sampler;
uniform float u_alpha;
uniform vec3 u_color;

out vec4 fragColor;

void main() {
    // The atlas holds light glyphs on a transparent ground; the text's colour tints them.
    vec4 texel = texture(u_texture_sampler, v_uv);
    fragColor = vec4(u_color * texel.rgb, texel.a * u_alpha);
}
