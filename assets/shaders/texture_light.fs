#version 330 core
in vec3 v_world_position;
in vec2 v_tex_coord;
in mat3 v_tangent_frame;

uniform sampler2D diffuse_texture_sampler;
uniform sampler2D normal_texture_sampler;
uniform vec3 u_light_pos;

out vec4 frag_color;

const float kAmbient = 0.3;

void main() {
    vec3 tangentNormal = texture(normal_texture_sampler, v_tex_coord).rgb * 2.0 - 1.0;
    vec3 normal = normalize(v_tangent_frame * tangentNormal);
    vec3 toLight = normalize(u_light_pos - v_world_position);
    float diffuse = max(dot(normal, toLight), 0.0);
    vec3 albedo = texture(diffuse_texture_sampler, v_tex_coord).rgb;
    frag_color = vec4(albedo * (kAmbient + (1.0 - kAmbient) * diffuse), 1.0);
}
