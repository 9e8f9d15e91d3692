#version 330 core
out vec4 frag_color;

const vec3 kRingColour = vec3(0.35, 0.45, 0.6);

void main() {
    frag_color = vec4(kRingColour, 1.0);
}
