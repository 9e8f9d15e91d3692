#version 330 core
// Untextured meshes: the material colours of the MTL file under one point light.
in vec3 v_world_position;
in vec3 v_normal;
in vec2 v_tex_coord;

uniform vec3 u_ambient;
uniform vec3 u_diffuse;
uniform vec3 u_specular;
uniform float u_shininess;
uniform vec3 u_light_pos;
uniform vec3 u_view_pos;

out vec4 frag_color;

// Many material files leave the ambient colour black; a share of the diffuse colour keeps
// the unlit side from turning black.
const float kAmbientShare = 0.3;

void main() {
    vec3 normal = normalize(v_normal);
    vec3 toLight = normalize(u_light_pos - v_world_position);
    vec3 toEye = normalize(u_view_pos - v_world_position);
    float diffuse = max(dot(normal, toLight), 0.0);
    float specular = 0.0;
    if (diffuse > 0.0 && u_shininess > 0.0) {
        specular = pow(max(dot(normal, normalize(toLight + toEye)), 0.0), u_shininess);
    }
    vec3 ambient = max(u_ambient * u_diffuse, kAmbientShare * u_diffuse);
    vec3 colour = ambient + (1.0 - kAmbientShare) * diffuse * u_diffuse + specular * u_specular;
    frag_color = vec4(colour, 1.0);
}
