#include "web/webgl_scene.hpp"

#include <cmath>
#include <stdexcept>
#include <string>

#include "frame/render_settings.hpp"
#include "texture/texture_program.hpp"
#include "web/mip_levels.hpp"

namespace vorlune::web {

namespace {

// The background: the unit square over the whole viewport, showing the
// texture between (low, low) and (high, high), modulated by half grey.
constexpr const char* kBackgroundVertex = R"(#version 300 es
layout(location = 0) in vec2 corner;
uniform vec2 inset;  // the texture coordinate at 0 and at 1
out vec2 coordinate;
void main() {
    coordinate = mix(vec2(inset.x), vec2(inset.y), corner);
    gl_Position = vec4(corner * 2.0 - 1.0, 0.0, 1.0);
}
)";
constexpr const char* kBackgroundFragment = R"(#version 300 es
precision highp float;
uniform sampler2D ballTexture;
in vec2 coordinate;
out vec4 colour;
void main() {
    colour = vec4(texture(ballTexture, coordinate).rgb * 0.5, 1.0);
}
)";

// The shells as the fixed-function pipeline lights and maps them: a point
// light at the eye with the default white light and material (global ambient
// 0.2 x material ambient 0.2, plus diffuse 0.8 x N.L, no specular), the normal
// taken as it is (no rescaling: the translation leaves it alone), and
// sphere-map coordinates from the eye-space position and normal, all per
// vertex. The lattice centre sits 4 units in front of the eye.
constexpr const char* kShellVertex = R"(#version 300 es
layout(location = 0) in vec3 normal;
layout(location = 1) in vec3 position;
uniform mat4 projection;
out vec3 shade;
out vec2 coordinate;
void main() {
    vec3 eye = position + vec3(0.0, 0.0, -4.0);
    gl_Position = projection * vec4(eye, 1.0);
    float diffuse = max(dot(normal, normalize(-eye)), 0.0);
    shade = vec3(min(0.04 + 0.8 * diffuse, 1.0));
    vec3 u = normalize(eye);
    vec3 r = u - 2.0 * dot(normal, u) * normal;
    float m = 2.0 * sqrt(r.x * r.x + r.y * r.y + (r.z + 1.0) * (r.z + 1.0));
    coordinate = r.xy / m + 0.5;
}
)";
constexpr const char* kShellFragment = R"(#version 300 es
precision highp float;
uniform sampler2D ballTexture;
in vec3 shade;
in vec2 coordinate;
out vec4 colour;
void main() {
    colour = vec4(texture(ballTexture, coordinate).rgb * shade, 1.0);
}
)";

GLuint compileShader(GLenum kind, const char* source, const char* name) {
    const GLuint shader = glCreateShader(kind);
    glShaderSource(shader, 1, &source, nullptr);
    glCompileShader(shader);
    GLint ok = GL_FALSE;
    glGetShaderiv(shader, GL_COMPILE_STATUS, &ok);
    if (ok != GL_TRUE) {
        char log[1024] = {};
        glGetShaderInfoLog(shader, sizeof log, nullptr, log);
        glDeleteShader(shader);
        throw std::runtime_error(std::string("glCompileShader(") + name + ") failed: " + log);
    }
    return shader;
}

GLuint linkProgram(const char* vertexSource, const char* fragmentSource, const char* name) {
    const GLuint vertex = compileShader(GL_VERTEX_SHADER, vertexSource, name);
    GLuint fragment = 0;
    try {
        fragment = compileShader(GL_FRAGMENT_SHADER, fragmentSource, name);
    } catch (...) {
        glDeleteShader(vertex);
        throw;
    }
    const GLuint program = glCreateProgram();
    glAttachShader(program, vertex);
    glAttachShader(program, fragment);
    glLinkProgram(program);
    glDeleteShader(vertex);
    glDeleteShader(fragment);
    GLint ok = GL_FALSE;
    glGetProgramiv(program, GL_LINK_STATUS, &ok);
    if (ok != GL_TRUE) {
        char log[1024] = {};
        glGetProgramInfoLog(program, sizeof log, nullptr, log);
        glDeleteProgram(program);
        throw std::runtime_error(std::string("glLinkProgram(") + name + ") failed: " + log);
    }
    // The sampler's unit is 0 by default: the texture's.
    return program;
}

// gluPerspective's matrix (column-major), computed in double precision as GLU
// does and narrowed as the native pipeline stores it.
void perspective(float out[16], double fovY, double aspect, double zNear, double zFar) {
    const double radians = fovY / 2.0 * 3.14159265358979323846 / 180.0;
    const double cotangent = std::cos(radians) / std::sin(radians);
    const double depth = zFar - zNear;
    for (int i = 0; i < 16; ++i) out[i] = 0.0f;
    out[0] = static_cast<float>(cotangent / aspect);
    out[5] = static_cast<float>(cotangent);
    out[10] = static_cast<float>(-(zFar + zNear) / depth);
    out[11] = -1.0f;
    out[14] = static_cast<float>(-2.0 * zNear * zFar / depth);
}

}  // namespace

WebGlScene::WebGlScene()
    : field_(createSceneField(detailLevel)), shells_(std::make_unique<ShellGeometry>(*field_)) {
    backgroundProgram_ = linkProgram(kBackgroundVertex, kBackgroundFragment, "background");
    insetLocation_ = glGetUniformLocation(backgroundProgram_, "inset");
    shellProgram_ = linkProgram(kShellVertex, kShellFragment, "shells");
    projectionLocation_ = glGetUniformLocation(shellProgram_, "projection");
    uploadTexture();

    // WebGL has no quads: the background's four corners as a strip.
    const float corners[8] = {0.0f, 0.0f, 1.0f, 0.0f, 0.0f, 1.0f, 1.0f, 1.0f};
    glGenVertexArrays(1, &backgroundArray_);
    glBindVertexArray(backgroundArray_);
    glGenBuffers(1, &cornerBuffer_);
    glBindBuffer(GL_ARRAY_BUFFER, cornerBuffer_);
    glBufferData(GL_ARRAY_BUFFER, sizeof corners, corners, GL_STATIC_DRAW);
    glEnableVertexAttribArray(0);
    glVertexAttribPointer(0, 2, GL_FLOAT, GL_FALSE, 0, nullptr);

    glGenVertexArrays(1, &shellArray_);
    glBindVertexArray(shellArray_);
    glGenBuffers(1, &shellBuffer_);
    glBindBuffer(GL_ARRAY_BUFFER, shellBuffer_);
    const auto stride = static_cast<GLsizei>(6 * sizeof(float));
    glEnableVertexAttribArray(0);
    glVertexAttribPointer(0, 3, GL_FLOAT, GL_FALSE, stride, nullptr);
    glEnableVertexAttribArray(1);
    glVertexAttribPointer(1, 3, GL_FLOAT, GL_FALSE, stride,
                          reinterpret_cast<const void*>(3 * sizeof(float)));
    glBindVertexArray(0);

    // Nothing is depth-tested or written: both passes draw with the depth
    // mask off, and the shells add up in any order.
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_CULL_FACE);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    shellsAt_.corners.reserve(1 << 18);
}

WebGlScene::~WebGlScene() {
    glDeleteBuffers(1, &shellBuffer_);
    glDeleteBuffers(1, &cornerBuffer_);
    glDeleteVertexArrays(1, &shellArray_);
    glDeleteVertexArrays(1, &backgroundArray_);
    glDeleteProgram(shellProgram_);
    glDeleteProgram(backgroundProgram_);
    glDeleteTextures(1, &texture_);
}

void WebGlScene::uploadTexture() {
    TextureBuilder builder;
    runTextureProgram(builder, kBallTextureProgram);
    const auto chain = boxFilteredMipChain(builder.layer(0), kLayerSize);

    glGenTextures(1, &texture_);
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, texture_);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
    // The small levels' rows (6 bytes at 2 x 2) are not 4-byte aligned.
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    for (std::size_t level = 0; level < chain.size(); ++level) {
        const MipLevel& mip = chain[level];
        glTexImage2D(GL_TEXTURE_2D, static_cast<GLint>(level), GL_RGB8, mip.width, mip.height, 0,
                     GL_RGB, GL_UNSIGNED_BYTE, mip.pixels.data());
    }
}

void WebGlScene::resize(int width, int height) {
    if (height < 1) height = 1;
    glViewport(0, 0, width, height);
    perspective(projection_, 60.0, static_cast<double>(width) / static_cast<double>(height),
                static_cast<double>(0.1f), 100.0);
}

void WebGlScene::draw(float t) {
    drawBackground(t * 0.015f);
    drawShells(t);
}

void WebGlScene::drawBackground(float zoom) {
    const float inset = zoom * 0.5f;
    glUseProgram(backgroundProgram_);
    glUniform2f(insetLocation_, 0.0f + inset, 1.0f - inset);
    glBindVertexArray(backgroundArray_);
    glDrawArrays(GL_TRIANGLE_STRIP, 0, 4);
}

void WebGlScene::drawShells(float t) {
    shellsAt_.record(*field_, *shells_, t);
    const std::vector<float>& corners = shellsAt_.corners;
    if (corners.empty()) return;

    glBindVertexArray(shellArray_);
    glBindBuffer(GL_ARRAY_BUFFER, shellBuffer_);
    const auto bytes = static_cast<GLsizeiptr>(corners.size() * sizeof(float));
    if (bytes > shellBufferBytes_) {
        glBufferData(GL_ARRAY_BUFFER, bytes, corners.data(), GL_STREAM_DRAW);
        shellBufferBytes_ = bytes;
    } else {
        glBufferSubData(GL_ARRAY_BUFFER, 0, bytes, corners.data());
    }
    glUseProgram(shellProgram_);
    glUniformMatrix4fv(projectionLocation_, 1, GL_FALSE, projection_);
    glEnable(GL_BLEND);
    glDrawArrays(GL_TRIANGLES, 0, static_cast<GLsizei>(corners.size() / 6));
    glDisable(GL_BLEND);
}

}  // namespace vorlune::web
