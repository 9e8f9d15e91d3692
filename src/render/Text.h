// One line of bitmap text in window pixels (origin at the lower left): fixed-size glyph
// quads at a fixed advance, cut from an atlas of equal character cells that a JSON font
// description lays out. Can blink with the one phase all texts share, or fade out once.
#pragma once

#include <string>
#include <vector>

#include <GL/glew.h>
#include <json.h>
#include <glm/glm.hpp>

#include "render/MatrixOwner.h"
#include "render/ShaderProgram.h"

// A glyph's rectangle in the atlas, in texture coordinates (v = 0 at the top of the image).
struct FLOATRECT {
    float left;
    float right;
    float top;
    float bottom;
};

class Text {
public:
    Text(float x, float y, const char* text, std::string fontJson, float scale, glm::vec3 colour);
    virtual ~Text();
    Text(const Text&) = delete;
    Text& operator=(const Text&) = delete;

    // Reads the font, takes the program and the atlas and builds the glyph quads.
    bool setup();
    void render(MatrixOwner* camera);
    // Advances the phase shared by every text, and this text's fade.
    void update(float dt);
    // The same length is rebuilt in place and uploaded at the next render; another length
    // gets new buffers at once.
    void setText(const char* text);
    void setText(const char* text, float x);
    void setPos(float x, float y);
    void setScale(float scale, bool rebuild);
    bool positionInsideText(float px, float py);
    // The size of a text at scale 1, whatever scale it is drawn at.
    static glm::vec2 dimensions(const char* text);
    // Fades to transparent over duration seconds, then hides the text for good.
    void setFadeToTransparent(float duration);

    // The step of setup() that needs no OpenGL context: reading the font description.
    bool readFont();
    // The atlas rectangle of one character's glyph; a space and characters the atlas lacks
    // sample one blank point.
    void getCharacterUV(char character, FLOATRECT* rect);

    float getAlpha() const { return alpha; }
    const std::string& getText() const { return text; }
    bool isVisible() const { return visible; }

    // Written directly by the owner.
    bool blink = false;

private:
    void process_value(const json_value* value, const char* name, int depth);
    void process_object(const json_value* value, int depth);
    void process_array(const json_value* value, int depth);
    void storeFontKey(const char* name, const json_value* value, float number);
    void setupBuffers();
    void releaseBuffers();
    void populateVertexData();
    // Rebuilt in place and uploaded at the next render.
    void rebuildGlyphs();

    std::vector<std::string> atlasRows;
    bool insideArray = false;
    int characterWidth = 0;
    int characterHeight = 0;
    float textureWidth = 0.0f;
    float textureHeight = 0.0f;
    std::string atlasName;
    std::string fontJson;
    float verticalPadding = 0.0f;
    float horizontalPadding = 0.0f;
    ShaderProgram* program = nullptr;
    float x;
    float y;
    std::vector<float> vertexData;
    int vertexCount = 0;
    // First vertex and vertex count of each glyph's strip.
    std::vector<GLint> glyphFirsts;
    std::vector<GLsizei> glyphCounts;
    int textLength;
    std::string text;
    float scale;
    float alpha = 1.0f;
    bool visible = true;
    bool fading = false;
    float fadeDuration = 0.0f;
    float fadeTimeLeft = 0.0f;
    GLuint atlasTexture = 0;
    bool dirty = false;
    glm::vec3 colour;
    GLuint vertexBuffer = 0;
    GLuint vertexArray = 0;
};
