#version 330 core
// Terrain tile: the level's ground texture, varied by the tile's usage map (red = steep rock,
// green = high ground, blue = low damp ground), with its normal map and specular map.
in vec3 v_world_position;
in vec3 v_normal;
in vec2 v_tex_coord;  // the ground textures repeat 50 times across a tile
in vec2 v_usage_texel;

uniform sampler2D diffuse_texture_sampler;
uniform sampler2D diffuse_usage_texture_sampler;
uniform sampler2D specular_texture_sampler;
uniform sampler2D normal_texture_sampler;
uniform vec3 u_light_pos;
uniform vec3 u_view_pos;
uniform vec3 u_view_dir;
uniform float u_specular_strength;

out vec4 frag_color;

const float kAmbient = 0.3;
const float kDiffuse = 0.8;
const float kShininess = 24.0;
const float kSpecular = 0.45;
// Beyond this range the normal map only shimmers, so its detail fades out.
const float kDetailNear = 35.0;
const float kDetailFar = 110.0;

// The usage map's four texels around this point, blended by its place among their centres and
// held at the map's edges (a tile takes no weight from the far side of its map). The texture
// cache samples nearest, which would cut every patch into stair steps one texel wide.
vec3 usageWeights() {
    ivec2 last = textureSize(diffuse_usage_texture_sampler, 0) - 1;
    vec2 cell = floor(v_usage_texel);
    vec2 share = v_usage_texel - cell;
    ivec2 low = max(ivec2(cell), ivec2(0));
    ivec2 high = min(ivec2(cell) + 1, last);
    vec3 lowRow = mix(texelFetch(diffuse_usage_texture_sampler, low, 0).rgb,
                      texelFetch(diffuse_usage_texture_sampler, ivec2(high.x, low.y), 0).rgb, share.x);
    vec3 highRow = mix(texelFetch(diffuse_usage_texture_sampler, ivec2(low.x, high.y), 0).rgb,
                       texelFetch(diffuse_usage_texture_sampler, high, 0).rgb, share.x);
    return mix(lowRow, highRow, share.y);
}

vec3 groundColour(vec3 usage) {
    vec3 base = texture(diffuse_texture_sampler, v_tex_coord).rgb;
    // Rock: the ground greyed and darkened (a second texture read here costs a software
    // renderer more than the look is worth).
    vec3 rock = mix(vec3(dot(base, vec3(0.3, 0.59, 0.11))), base, 0.3) * 0.8;
    vec3 high = min(base * 1.18 + 0.05, vec3(1.0));
    vec3 low = base * vec3(0.72, 0.7, 0.64);
    vec3 colour = mix(base, low, usage.b);
    colour = mix(colour, high, usage.g);
    return mix(colour, rock, usage.r);
}

void main() {
    vec3 albedo = groundColour(usageWeights());

    // Tangent space: u runs along x and v along y on every tile.
    vec3 n = normalize(v_normal);
    vec3 tangent = normalize(vec3(1.0, 0.0, 0.0) - n * n.x);
    vec3 bitangent = cross(n, tangent);
    vec3 detail = texture(normal_texture_sampler, v_tex_coord).xyz * 2.0 - 1.0;
    float detailWeight = 1.0 - smoothstep(kDetailNear, kDetailFar, distance(v_world_position, u_view_pos));
    vec3 normal = normalize(mix(n, tangent * detail.x + bitangent * detail.y + n * detail.z, detailWeight));

    vec3 toLight = normalize(u_light_pos - v_world_position);
    float diffuse = max(dot(normal, toLight), 0.0);
    // The viewer is taken as far away: its direction is the camera's, the same for every pixel.
    vec3 halfway = normalize(toLight - u_view_dir);
    float shine = texture(specular_texture_sampler, v_tex_coord).r;
    float specular = pow(max(dot(normal, halfway), 0.0), kShininess) * shine * kSpecular * u_specular_strength;
    frag_color = vec4(albedo * (kAmbient + kDiffuse * diffuse) + vec3(specular * step(0.0, diffuse)), 1.0);
}
