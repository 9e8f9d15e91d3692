#version 330 core
// The enemies' saucer: the diffuse map under one point light, panel seams from the normal
// map, and the glow map added on top so that windows and lamps shine on the unlit side.
in vec3 v_world_position;
in vec3 v_normal;
in vec2 v_tex_coord;

uniform sampler2D texture_diffuse1;
// The material's bump map.
uniform sampler2D texture_normal1;
// The material's ambient map holds what glows.
uniform sampler2D texture_height1;
uniform vec3 u_light_pos;
uniform vec3 u_view_pos;

out vec4 frag_color;

const float kAmbient = 0.35;
const float kShininess = 32.0;
const float kSpecular = 0.4;
const float kGlowStrength = 1.4;

void main() {
    vec3 albedo = texture(texture_diffuse1, v_tex_coord).rgb;
    vec3 glow = texture(texture_height1, v_tex_coord).rgb;
    // The mesh brings no tangents, so the normal map cannot bend the normal; where its
    // normals lean away from straight out lie the seams, and they take less light.
    float straightness = texture(texture_normal1, v_tex_coord).b * 2.0 - 1.0;
    float seam = mix(0.55, 1.0, smoothstep(0.6, 0.98, straightness));

    vec3 normal = normalize(v_normal);
    vec3 toLight = normalize(u_light_pos - v_world_position);
    vec3 toEye = normalize(u_view_pos - v_world_position);
    float diffuse = max(dot(normal, toLight), 0.0);
    float specular = diffuse > 0.0 ? pow(max(dot(normal, normalize(toLight + toEye)), 0.0), kShininess) : 0.0;

    vec3 lit = albedo * (kAmbient + (1.0 - kAmbient) * diffuse) * seam + vec3(kSpecular * specular);
    frag_color = vec4(lit + kGlowStrength * glow, 1.0);
}
