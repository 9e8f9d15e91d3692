#version 330 core
// Textured meshes: diffuse map lit by one point light, specular strength from the
// specular map.
in vec3 v_world_position;
in vec3 v_normal;
in vec2 v_tex_coord;

uniform sampler2D texture_diffuse1;
uniform sampler2D texture_specular1;
uniform sampler2D texture_normal1;
uniform sampler2D texture_height1;
uniform vec3 u_light_pos;
uniform vec3 u_view_pos;

out vec4 frag_color;

const float kAmbient = 0.3;
const float kShininess = 24.0;

void main() {
    vec4 albedo = texture(texture_diffuse1, v_tex_coord);
    // Imported meshes carry no tangents, so the normal and height maps cannot bend the
    // normal; the surface normal is used as it is.
    vec3 normal = normalize(v_normal);
    vec3 toLight = normalize(u_light_pos - v_world_position);
    vec3 toEye = normalize(u_view_pos - v_world_position);
    float diffuse = max(dot(normal, toLight), 0.0);
    float specular = 0.0;
    if (diffuse > 0.0) {
        vec3 halfway = normalize(toLight + toEye);
        specular = pow(max(dot(normal, halfway), 0.0), kShininess) * texture(texture_specular1, v_tex_coord).r;
    }
    vec3 colour = albedo.rgb * (kAmbient + (1.0 - kAmbient) * diffuse) + vec3(0.5 * specular);
    frag_color = vec4(colour, 1.0);
}
