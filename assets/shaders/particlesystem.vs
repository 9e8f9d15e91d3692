#version 330 core
// Point-sprite particles. The processor keeps only the start state and the age; the
// position follows start + velocity * age + gravity * age^2 / 2 here.
layout(location = 0) in vec3 a_start_position;
layout(location = 1) in vec3 a_velocity;
layout(location = 2) in vec3 a_timing; // spawn delay, lifetime, age (seconds)

uniform mat4 u_world_matrix;
uniform mat4 u_view_matrix;
uniform mat4 u_projection_matrix;
uniform vec3 u_gravity;
uniform vec3 u_start_color;
uniform vec3 u_end_color;
uniform float u_start_point_size;
uniform float u_end_point_size;

out vec3 v_color;

void main() {
    float delay = a_timing.x;
    float lifetime = a_timing.y;
    float age = a_timing.z;
    // Dead particles and those still waiting out their spawn delay are moved outside the
    // clip volume, so they are clipped before rasterisation.
    if (age > lifetime || age < delay) {
        v_color = vec3(0.0);
        gl_PointSize = 0.0;
        gl_Position = vec4(2.0, 2.0, 2.0, 1.0);
        return;
    }
    float fraction = lifetime > 0.0 ? age / lifetime : 1.0;
    vec3 position = a_start_position + a_velocity * age + 0.5 * u_gravity * (age * age);
    v_color = mix(u_start_color, u_end_color, fraction);
    gl_PointSize = mix(u_start_point_size, u_end_point_size, fraction);
    gl_Position = u_projection_matrix * (u_view_matrix * (u_world_matrix * vec4(position, 1.0)));
}
