#version 330 core
// Water grid: each vertex bobs on its own phase and speed, and the texture drifts.
layout(location = 0) in vec3 a_position;
layout(location = 1) in vec3 a_drift;  // texture drift x, y; 1.0
layout(location = 2) in vec2 a_tex_coord;
layout(location = 3) in vec2 a_wave;   // wave height, phase

uniform mat4 u_world_matrix;
uniform mat4 u_view_matrix;
uniform mat4 u_projection_matrix;
uniform float u_time;
uniform vec3 u_view_pos;

out vec2 v_tex_coord;
out vec3 v_world_position;
out float v_wave;

// u_time runs at a tenth of real time: 30 gives about three radians per second.
const float kWaveRate = 30.0;
const float kDriftRate = 0.5;
// Share of the per-vertex drift that shifts the texture: enough to ripple, not to tear.
const float kRipple = 0.15;

void main() {
    float wave = sin(a_wave.y + u_time * kWaveRate);
    vec3 position = vec3(a_position.xy, a_position.z + a_wave.x * wave * a_drift.z);
    v_wave = wave;
    v_tex_coord = a_tex_coord + a_drift.xy * (kRipple * wave) + vec2(u_time * kDriftRate, u_time * kDriftRate * 0.5);
    vec4 world = u_world_matrix * vec4(position, 1.0);
    v_world_position = world.xyz;
    gl_Position = u_projection_matrix * (u_view_matrix * world);
}
