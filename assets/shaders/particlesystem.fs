#version 330 core
in vec3 v_color;

uniform sampler2D s_texture;

out vec4 frag_color;

void main() {
    vec4 sprite = texture(s_texture, gl_PointCoord);
    // The sprite's brightness shapes the point: the image has no alpha of its own.
    float coverage = max(max(sprite.r, sprite.g), sprite.b) * sprite.a;
    frag_color = vec4(v_color * sprite.rgb, coverage);
}
