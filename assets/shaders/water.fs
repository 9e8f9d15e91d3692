#version 330 core
in vec2 v_tex_coord;
in vec3 v_world_position;
in float v_wave;

uniform sampler2D u_texture_sampler;
uniform vec3 u_light_pos;
uniform vec3 u_view_pos;

out vec4 frag_color;

const float kBaseAlpha = 0.55;

void main() {
    vec3 water = texture(u_texture_sampler, v_tex_coord).rgb;
    // Crests catch a little more light than troughs.
    float shimmer = 0.85 + 0.15 * v_wave;
    // Water seen at a grazing angle reflects more and so looks more opaque.
    vec3 toEye = normalize(u_view_pos - v_world_position);
    float grazing = 1.0 - abs(toEye.z);
    frag_color = vec4(water * shimmer, kBaseAlpha + 0.35 * grazing);
}
