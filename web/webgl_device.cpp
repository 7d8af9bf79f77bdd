// The WebGL 2 side of the layer: one program for each of the three kinds
// of shading, two vertex buffers (places, colours) reused every frame, the
// glyph atlas.
#include "web/gl_layer.h"

#include <GLES3/gl3.h>
#include <emscripten/html5.h>

#include "web/webgl_calls.h"

#include <cstddef>
#include <cstdio>
#include <cstring>

namespace webgl_layer {
namespace {

const char* const vertexShader = R"(#version 300 es
layout(location = 0) in vec3 position;
layout(location = 1) in vec4 colour;
layout(location = 2) in vec2 texCoord;
uniform mat4 matrix;
out vec4 vColour;
out vec2 vTexCoord;
void main() {
    gl_Position = matrix * vec4(position, 1.0);
    vColour = colour;
    vTexCoord = texCoord;
})";

// One program per shading, so that plain colour (nearly every fragment)
// has neither texture nor discard. SHADING 1, decal: the texture's colour
// over the vertex colour by the texture's alpha. SHADING 2, glyph: the
// atlas texel under the fragment decides whether it is drawn.
const char* const fragmentShader = R"(
precision highp float;
in vec4 vColour;
in vec2 vTexCoord;
uniform sampler2D picture;
uniform sampler2D atlas;
out vec4 fragColour;
void main() {
#if SHADING == 1
    vec4 t = texture(picture, vTexCoord);
    fragColour = vec4(mix(vColour.rgb, t.rgb, t.a), vColour.a);
#else
#if SHADING == 2
    if (texelFetch(atlas, ivec2(floor(vTexCoord)), 0).r < 0.5)
        discard;
#endif
    fragColour = vColour;
#endif
})";
const char* const fragmentHeaders[] = {"#version 300 es\n#define SHADING 0\n", "#version 300 es\n#define SHADING 1\n",
                                       "#version 300 es\n#define SHADING 2\n"};
constexpr int shadingCount = 3;

constexpr GLuint atlasUnit = 1;

struct Device {
    EMSCRIPTEN_WEBGL_CONTEXT_HANDLE context = 0;
    GLuint programs[shadingCount] = {}, places = 0, colours = 0, vertexArray = 0, atlas = 0;
    GLint matrix[shadingCount] = {-1, -1, -1};
    size_t capacity = 0;  // vertices the buffers hold
    // What the context holds already, so that a call that would set the
    // same again is not made: each call crosses into JavaScript and the
    // browser. The program in use, and each program's matrix.
    int shading = -1;
    float matrices[shadingCount][16] = {};
    bool matrixSet[shadingCount] = {};
} device;

GLuint compile(GLenum kind, const char* header, const char* source)
{
    const GLuint shader = glCreateShader(kind);
    const char* parts[2] = {header, source};
    glShaderSource(shader, 2, parts, nullptr);
    glCompileShader(shader);
    GLint ok = 0;
    glGetShaderiv(shader, GL_COMPILE_STATUS, &ok);
    if (!ok) {
        char log[1024];
        glGetShaderInfoLog(shader, sizeof log, nullptr, log);
        std::printf("paleoviz web: shader does not compile: %s\n", log);
    }
    return shader;
}

}  // namespace

bool createDevice(const char* canvasSelector, int width, int height)
{
    EmscriptenWebGLContextAttributes attributes;
    emscripten_webgl_init_context_attributes(&attributes);
    attributes.alpha = false;
    attributes.depth = true;
    attributes.stencil = false;
    attributes.antialias = false;  // the native window has no multisampling
    attributes.preserveDrawingBuffer = true;  // the page saves and reads the picture
    attributes.majorVersion = 2;
    attributes.minorVersion = 0;
    emscripten_set_canvas_element_size(canvasSelector, width, height);
    device.context = emscripten_webgl_create_context(canvasSelector, &attributes);
    if (device.context <= 0)
        return false;
    emscripten_webgl_make_context_current(device.context);

    const GLuint vertex = compile(GL_VERTEX_SHADER, "", vertexShader);
    for (int i = 0; i < shadingCount; ++i) {
        const GLuint program = glCreateProgram();
        glAttachShader(program, vertex);
        glAttachShader(program, compile(GL_FRAGMENT_SHADER, fragmentHeaders[i], fragmentShader));
        glLinkProgram(program);
        glUseProgram(program);
        device.programs[i] = program;
        device.matrix[i] = glGetUniformLocation(program, "matrix");
        glUniform1i(glGetUniformLocation(program, "picture"), 0);
        glUniform1i(glGetUniformLocation(program, "atlas"), static_cast<GLint>(atlasUnit));
    }
    device.shading = shadingCount - 1;

    glGenVertexArrays(1, &device.vertexArray);
    glBindVertexArray(device.vertexArray);
    glGenBuffers(1, &device.places);
    glGenBuffers(1, &device.colours);
    glEnableVertexAttribArray(0);
    glEnableVertexAttribArray(1);
    glEnableVertexAttribArray(2);
    glBindBuffer(GL_ARRAY_BUFFER, device.colours);
    glVertexAttribPointer(1, 4, GL_UNSIGNED_BYTE, GL_TRUE, sizeof(uint32_t), nullptr);
    glBindBuffer(GL_ARRAY_BUFFER, device.places);
    const GLsizei stride = sizeof(Place);
    glVertexAttribPointer(0, 3, GL_FLOAT, GL_FALSE, stride, reinterpret_cast<void*>(offsetof(Place, x)));
    glVertexAttribPointer(2, 2, GL_FLOAT, GL_FALSE, stride, reinterpret_cast<void*>(offsetof(Place, s)));
    emscripten_glViewport(0, 0, width, height);
    return true;
}

void uploadAtlas(const std::vector<uint8_t>& texels, int width, int height)
{
    emscripten_glGenTextures(1, &device.atlas);
    glActiveTexture(GL_TEXTURE0 + atlasUnit);
    emscripten_glBindTexture(GL_TEXTURE_2D, device.atlas);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    emscripten_glTexImage2D(GL_TEXTURE_2D, 0, GL_R8, width, height, 0, GL_RED, GL_UNSIGNED_BYTE, texels.data());
    emscripten_glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    emscripten_glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glActiveTexture(GL_TEXTURE0);
}

namespace {

// Uploads the changed spans of one of the frame's arrays into its buffer.
template <class T>
void upload(GLuint buffer, const std::vector<T>& values, Changes& changes)
{
    if (changes.spans.empty())
        return;
    glBindBuffer(GL_ARRAY_BUFFER, buffer);
    for (const Span& span : changes.spans)
        glBufferSubData(GL_ARRAY_BUFFER, static_cast<GLintptr>(span.first * sizeof(T)),
                        static_cast<GLsizeiptr>((span.end - span.first) * sizeof(T)), &values[span.first]);
    changes.spans.clear();
}

// Brings the device's buffers up to date with the frame's places and
// colours: the changed spans only, or everything when the buffers had to
// grow (which loses their contents).
void uploadChanged(Frame& frame)
{
    const size_t n = frame.places.size();
    if (n > device.capacity) {
        device.capacity = n + n / 2;
        glBindBuffer(GL_ARRAY_BUFFER, device.places);
        glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(device.capacity * sizeof(Place)), nullptr,
                     GL_DYNAMIC_DRAW);
        glBindBuffer(GL_ARRAY_BUFFER, device.colours);
        glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(device.capacity * sizeof(uint32_t)), nullptr,
                     GL_DYNAMIC_DRAW);
        frame.placesChanged.spans.assign(1, Span{0, n});
        frame.coloursChanged.spans.assign(1, Span{0, n});
    }
    upload(device.places, frame.places, frame.placesChanged);
    upload(device.colours, frame.colours, frame.coloursChanged);
}

void setMatrix(int shading, const float* m)
{
    float* kept = device.matrices[shading];
    if (device.matrixSet[shading] && std::memcmp(kept, m, sizeof device.matrices[0]) == 0)
        return;
    std::memcpy(kept, m, sizeof device.matrices[0]);
    device.matrixSet[shading] = true;
    glUniformMatrix4fv(device.matrix[shading], 1, GL_FALSE, m);
}

}  // namespace

void drawFrame(Frame& frame)
{
    if (!frame.segments.empty()) {
        uploadChanged(frame);
        unsigned texture = 0;
        for (const Segment& s : frame.segments) {
            if (s.count == 0)
                continue;
            const int shading = static_cast<int>(s.shading);
            if (shading != device.shading) {
                device.shading = shading;
                glUseProgram(device.programs[shading]);
            }
            setMatrix(shading, &frame.matrices[static_cast<size_t>(s.matrix) * 16]);
            if (s.shading == Shading::decal && s.texture != texture) {
                texture = s.texture;
                emscripten_glBindTexture(GL_TEXTURE_2D, texture);
            }
            glDrawArrays(s.primitive == Primitive::lines ? GL_LINES : GL_TRIANGLE_STRIP, s.first, s.count);
        }
    }
    frame.segments.clear();
    frame.matrices.clear();
}

}  // namespace webgl_layer
