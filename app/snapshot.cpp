#include "app/snapshot.h"

#include "app/shell.h"
#include "png/png_file.h"

#define GL_GLEXT_PROTOTYPES
#include <GL/gl.h>
#include <GL/glext.h>

#include <cstdio>

namespace {

constexpr int rgbChannels = 3;
constexpr int staleErrorLimit = 16;

// The depth buffer format with as many bits as the window's.
GLenum windowDepthFormat()
{
    GLint bits = 0;
    glGetIntegerv(GL_DEPTH_BITS, &bits);
    if (bits <= 16)
        return GL_DEPTH_COMPONENT16;
    return bits <= 24 ? GL_DEPTH_COMPONENT24 : GL_DEPTH_COMPONENT32;
}

// An off-screen frame buffer with a colour and a depth buffer, bound while
// the object lives.
struct OffscreenBuffer {
    GLuint frame = 0;
    GLuint buffers[2] = {0, 0};  // colour, depth

    OffscreenBuffer(int width, int height, GLenum depthFormat)
    {
        glGenFramebuffers(1, &frame);
        glBindFramebuffer(GL_FRAMEBUFFER, frame);
        glGenRenderbuffers(2, buffers);
        glBindRenderbuffer(GL_RENDERBUFFER, buffers[0]);
        glRenderbufferStorage(GL_RENDERBUFFER, GL_RGBA8, width, height);
        glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, buffers[0]);
        glBindRenderbuffer(GL_RENDERBUFFER, buffers[1]);
        glRenderbufferStorage(GL_RENDERBUFFER, depthFormat, width, height);
        glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, buffers[1]);
    }
    ~OffscreenBuffer()
    {
        glBindFramebuffer(GL_FRAMEBUFFER, 0);
        glDeleteRenderbuffers(2, buffers);
        glDeleteFramebuffers(1, &frame);
    }
    OffscreenBuffer(const OffscreenBuffer&) = delete;
    OffscreenBuffer& operator=(const OffscreenBuffer&) = delete;

    bool complete() const { return glCheckFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE; }
};

}  // namespace

bool renderFrame(int width, int height, std::vector<unsigned char>& rgb, std::string& message)
{
    // Errors left by earlier calls would be taken for this frame's.
    for (int i = 0; i < staleErrorLimit && glGetError() != GL_NO_ERROR; ++i) {
    }
    GLint maxSide = 0;
    glGetIntegerv(GL_MAX_RENDERBUFFER_SIZE, &maxSide);
    if (width > maxSide || height > maxSide) {
        message = "this OpenGL draws off screen at most " + std::to_string(maxSide) + " pixels a side";
        return false;
    }
    OffscreenBuffer buffer(width, height, windowDepthFormat());
    if (!buffer.complete()) {
        message = "this OpenGL cannot draw a " + std::to_string(width) + "x" + std::to_string(height) +
                  " picture off screen";
        return false;
    }
    onReshape(width, height);
    onDisplay();
    rgb.resize(static_cast<size_t>(width) * static_cast<size_t>(height) * rgbChannels);
    glReadBuffer(GL_COLOR_ATTACHMENT0);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, width, height, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
    if (glGetError() != GL_NO_ERROR) {
        message = "the picture could not be drawn or read back";
        return false;
    }
    return true;
}

int writeSnapshot(const char* path, int width, int height)
{
    std::vector<unsigned char> rgb;
    std::string message;
    if (renderFrame(width, height, rgb, message) &&
        writePng(path, PixelImage{width, height, rgbChannels, rgb.data(), true}, message))
        return 0;
    std::fprintf(stderr, "paleoviz: --snapshot %s: %s\n", path, message.c_str());
    return 1;
}
