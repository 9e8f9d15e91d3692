// Free helpers shared by the whole game: the log time stamp, loading the OpenGL functions, the
// OpenGL error check and the conversions between the fixed 1280 x 720 window and the world.
#pragma once

#include <glm/glm.hpp>

// The game's one window, in pixels: the views, the HUD and the picking are laid out for it.
constexpr int kWindowWidth = 1280;
constexpr int kWindowHeight = 720;

// "mmm:ss:mmm" since SDL started; one static buffer, overwritten by every call.
const char* get_timestamp_string();

// Loads the OpenGL functions of the current context with GLEW: GLEW_OK or GLEW's error code.
// GLEW's complaint that no GLX display is current is taken as success, after a warning.
unsigned int load_gl_functions();

// Writes one error line per pending OpenGL error.
void CheckOpenGLError(const char* statement, const char* file, int line);

// Window pixel of a world point, y counted from the top of the window.
glm::vec2 world_to_screen(const glm::vec3& point, const glm::mat4& projection, const glm::mat4& view);

// The point of the plane z = 0 on the eye's line through the pixel mirrored through the
// window's centre; callers pass (kWindowWidth - x, kWindowHeight - y) of the mouse to pick under the cursor.
glm::vec3 screen_to_world(const glm::vec2& pixel, const glm::mat4& projection, const glm::mat4& view);
