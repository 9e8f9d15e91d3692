#include "render/Text.h"

#include <cctype>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include <glm/gtc/type_ptr.hpp>

#include "core/Json.h"
#include "core/Log.h"
#include "core/MathUtil.h"
#include "render/ProgramManager.h"
#include "render/TextureManager.h"
#include "render/VertexLayout.h"

namespace {
const char* const kVertexShader = "shaders/text.vs";
const char* const kFragmentShader = "shaders/text.fs";
const int kVerticesPerGlyph = 4;
const int kFloatsPerVertex = 4;
const float kAdvance = 20.0f;
const float kGlyphWidth = 15.0f;
const float kGlyphHeight = 25.0f;
// A space samples this one atlas point: a blank corner of the atlas.
const float kSpaceUV = 0.1f;
const float kBlinkRate = 2.0f;  // radians per second per text updated
}  // namespace

Text::Text(float x, float y, const char* text, std::string fontJson, float scale, glm::vec3 colour)
    : fontJson(std::move(fontJson)),
      x(x),
      y(y),
      textLength(static_cast<int>(strlen(text))),
      text(text),
      scale(scale),
      colour(colour) {}

Text::~Text() {
    // Only a text that got its program and atlas gives them back: another text's shares stay.
    if (program != nullptr) {
        ProgramManager::getInstance()->freeProgram(kVertexShader, kFragmentShader, "");
    }
    if (atlasTexture != 0) {
        TextureManager::getInstance()->freeTexture(atlasName);
    }
    releaseBuffers();
}

bool Text::setup() {
    if (!readFont()) {
        return false;
    }
    program = ProgramManager::getInstance()->loadProgram(kVertexShader, kFragmentShader, "");
    if (program == nullptr) {
        return false;
    }
    // Unflipped: v = 0 is the top of the atlas, where row 0 of the cells lies.
    atlasTexture = TextureManager::getInstance()->loadTexture(atlasName, false);
    setupBuffers();
    return true;
}

bool Text::readFont() {
    json_value* root = json_parse_entry(fontJson);
    if (root == nullptr) {
        LOG_ERROR("Failed to parse level JSON");
        return false;
    }
    process_value(root, nullptr, 0);
    json_value_free(root);
    // Every glyph rectangle is divided by the atlas size: a damaged description without one
    // is refused rather than turned into texture coordinates that are not numbers.
    if (!(textureWidth > 0.0f && textureHeight > 0.0f)) {
        LOG_ERROR("Font description %s has no atlas size", fontJson.c_str());
        return false;
    }
    return true;
}

void Text::process_value(const json_value* value, const char* name, int depth) {
    float number = 0.0f;
    switch (value->type) {
        case json_object: process_object(value, depth + 1); break;
        case json_array: process_array(value, depth + 1); break;
        case json_integer:
        case json_double: number = json_number_as_float(value); break;
        case json_string:
            if (insideArray) {
                atlasRows.emplace_back(value->u.string.ptr, value->u.string.length);
            }
            break;
        default: break;
    }
    if (name != nullptr) {
        storeFontKey(name, value, number);
    }
}

void Text::process_object(const json_value* value, int depth) {
    if (depth > kJsonMaxDepth) {
        return;
    }
    for (unsigned int i = 0; i < value->u.object.length; ++i) {
        process_value(value->u.object.values[i].value, value->u.object.values[i].name, depth);
    }
}

void Text::process_array(const json_value* value, int depth) {
    if (depth > kJsonMaxDepth) {
        return;
    }
    // Cleared after the elements, so strings after a nested array are not collected.
    insideArray = true;
    for (unsigned int i = 0; i < value->u.array.length; ++i) {
        process_value(value->u.array.values[i], nullptr, depth);
    }
    insideArray = false;
}

void Text::storeFontKey(const char* name, const json_value* value, float number) {
    if (strcmp(name, "texture") == 0) {
        // Any other kind of value leaves the atlas name as it was.
        if (value->type == json_string) {
            atlasName.assign(value->u.string.ptr, value->u.string.length);
        }
    } else if (strcmp(name, "textureWidth") == 0) {
        textureWidth = number;
    } else if (strcmp(name, "textureHeight") == 0) {
        textureHeight = number;
    } else if (strcmp(name, "characterWidthInTexture") == 0) {
        characterWidth = MathUtil::truncateToInt(number);
    } else if (strcmp(name, "characterHeightInTexture") == 0) {
        characterHeight = MathUtil::truncateToInt(number);
    } else if (strcmp(name, "horizontalPadding") == 0) {
        horizontalPadding = number;
    } else if (strcmp(name, "verticalPadding") == 0) {
        verticalPadding = number;
    }
}

void Text::setupBuffers() {
    vertexCount = kVerticesPerGlyph * textLength;
    populateVertexData();
    create_float_vertex_array(vertexData.data(), vertexData.size(), {2, 2}, &vertexArray, &vertexBuffer);
}

void Text::releaseBuffers() {
    delete_vertex_array(vertexArray, vertexBuffer);
    vertexArray = 0;
    vertexBuffer = 0;
}

void Text::populateVertexData() {
    vertexData.assign(static_cast<size_t>(textLength) * kVerticesPerGlyph * kFloatsPerVertex, 0.0f);
    glyphFirsts.resize(static_cast<size_t>(textLength));
    glyphCounts.assign(static_cast<size_t>(textLength), kVerticesPerGlyph);
    const float y0 = y;
    const float y1 = y + kGlyphHeight * scale;
    for (int i = 0; i < textLength; ++i) {
        FLOATRECT rect;
        getCharacterUV(text[static_cast<size_t>(i)], &rect);
        glyphFirsts[static_cast<size_t>(i)] = i * kVerticesPerGlyph;
        const float x0 = x + kAdvance * scale * static_cast<float>(i);
        const float x1 = x0 + kGlyphWidth * scale;
        const float glyph[] = {x0, y0, rect.left,  rect.bottom,  //
                               x1, y0, rect.right, rect.bottom,  //
                               x0, y1, rect.left,  rect.top,     //
                               x1, y1, rect.right, rect.top};
        std::copy(std::begin(glyph), std::end(glyph), vertexData.begin() + i * kVerticesPerGlyph * kFloatsPerVertex);
    }
}

namespace {
float cellEdge(double cellIndex, int cellSize) {
    return static_cast<float>(cellIndex * cellSize);
}
}  // namespace

void Text::getCharacterUV(char character, FLOATRECT* rect) {
    *rect = {kSpaceUV, kSpaceUV, kSpaceUV, kSpaceUV};
    if (character == ' ') {
        return;
    }
    const char upper = static_cast<char>(toupper(static_cast<unsigned char>(character)));
    for (size_t row = 0; row < atlasRows.size(); ++row) {
        const size_t column = atlasRows[row].find(upper);
        if (column == std::string::npos) {
            continue;
        }
        // The cell corners are whole pixels, divided as floats. They are formed in double:
        // exact for every atlas, and a damaged description's huge cells cannot overflow.
        const auto k = static_cast<double>(column);
        const auto r = static_cast<double>(row);
        rect->left = cellEdge(k, characterWidth) / textureWidth + horizontalPadding / textureWidth;
        rect->right = cellEdge(k + 1, characterWidth) / textureWidth - horizontalPadding / textureWidth;
        rect->top = cellEdge(r, characterHeight) / textureHeight + verticalPadding / textureHeight;
        rect->bottom = cellEdge(r + 1, characterHeight) / textureHeight - verticalPadding / textureHeight;
        return;
    }
    // Drawn like a space.
    LOG_WARNING("Character %c not found in atlas", upper);
}

void Text::render(MatrixOwner* camera) {
    if (!visible || program == nullptr) {
        return;
    }
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glDisable(GL_DEPTH_TEST);
    program->use();

    const GLuint id = program->getId();
    const glm::mat4 identity(1.0f);
    glUniform1i(glGetUniformLocation(id, "u_texture_sampler"), 0);
    glUniform1f(glGetUniformLocation(id, "u_alpha"), alpha);
    glUniformMatrix4fv(glGetUniformLocation(id, "u_world_matrix"), 1, GL_FALSE, glm::value_ptr(identity));
    glUniformMatrix4fv(glGetUniformLocation(id, "u_projection_matrix"), 1, GL_FALSE,
                       glm::value_ptr(*camera->getOrthogonalMatrix()));
    glUniform3fv(glGetUniformLocation(id, "u_color"), 1, glm::value_ptr(colour));
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, atlasTexture);

    if (dirty) {
        upload_float_vertices(vertexBuffer, vertexData.data(), vertexData.size());
        dirty = false;
    }
    // Each glyph is a strip of its own; one call hands all of them over.
    glBindVertexArray(vertexArray);
    glMultiDrawArrays(GL_TRIANGLE_STRIP, glyphFirsts.data(), glyphCounts.data(), textLength);
    glBindVertexArray(0);

    glDisable(GL_BLEND);
    glEnable(GL_DEPTH_TEST);
}

void Text::update(float dt) {
    // One phase for every text: it advances at each update of any of them.
    static float total = 0.0f;
    total += kBlinkRate * dt;
    if (blink) {
        alpha = std::fabs(std::sin(total));
    }
    if (fading) {
        fadeTimeLeft -= dt;
        alpha = fadeTimeLeft / fadeDuration;
        if (fadeTimeLeft < 0.0f) {
            fadeDuration = 0.0f;
            visible = false;
            fading = false;
        }
    }
}

void Text::setText(const char* newText) {
    const int newLength = static_cast<int>(strlen(newText));
    text = newText;
    if (newLength == textLength) {
        rebuildGlyphs();
        return;
    }
    textLength = newLength;
    // A text that is not set up yet has no buffers to replace; setup builds them.
    if (program != nullptr) {
        releaseBuffers();
        setupBuffers();
    }
}

void Text::setText(const char* newText, float newX) {
    x = newX;
    setText(newText);
}

void Text::setPos(float newX, float newY) {
    if (MathUtil::fcmp(x, newX) && MathUtil::fcmp(y, newY)) {
        return;
    }
    x = newX;
    y = newY;
    rebuildGlyphs();
}

void Text::setScale(float newScale, bool rebuild) {
    scale = newScale;
    if (rebuild) {
        rebuildGlyphs();
    }
}

void Text::rebuildGlyphs() {
    // Before setup there is no font to build from; setup builds the glyphs.
    if (program == nullptr) {
        return;
    }
    populateVertexData();
    dirty = true;
}

bool Text::positionInsideText(float px, float py) {
    return x < px && px < x + static_cast<float>(textLength) * kAdvance * scale && y < py &&
           py < y + kGlyphHeight * scale;
}

glm::vec2 Text::dimensions(const char* text) {
    return glm::vec2(static_cast<float>(strlen(text)) * kAdvance, kGlyphHeight);
}

void Text::setFadeToTransparent(float duration) {
    fading = true;
    fadeDuration = duration;
    fadeTimeLeft = duration;
}
