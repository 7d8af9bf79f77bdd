// The logo overlay: a 190 x 206 RGBA picture drawn as a textured square in
// the panel frame.
#include "scene/paleo_scene.h"

#include "files/regular_input.h"

#include <GL/glu.h>
#include <GL/glut.h>

#include <cstdio>
#include <cstring>

namespace {

// The square's corners in the panel frame (before the 2.5 x 2.5 x 2 scale)
// with their texture coordinates: half-size 150 around (-670, -700, -1300).
struct LogoCorner {
    float s, t, x, y;
};
constexpr LogoCorner logoCorners[4] = {
    {0, 0, -820, -850}, {0, 1, -820, -550}, {1, 1, -520, -550}, {1, 0, -520, -850}};
constexpr float logoDepth = -1300;

}  // namespace

void PaleoScene::loadLogo(const char* fileName)
{
    // A file that opens but cannot be read (a directory of that name, an I/O
    // error) counts as missing.
    FILE* file = openDataFile(fileName, "rb");
    size_t got = 0;
    bool readable = file != nullptr;
    if (file != nullptr) {
        got = std::fread(logoPixels, 1, logoBytes, file);
        readable = std::ferror(file) == 0;
        std::fclose(file);
    }
    if (!readable) {
        std::printf("unable to load logo\n");
        std::fflush(stdout);
        showLogo = false;
        return;
    }
    // Bytes missing from a short file are 0: zero alpha, which under the
    // decal mode shows the current colour (the panel's last), not black.
    std::memset(logoPixels + got, 0, logoBytes - got);

    GLuint name = 0;
    glGenTextures(1, &name);
    logoTexture = name;
    glBindTexture(GL_TEXTURE_2D, logoTexture);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST_MIPMAP_NEAREST);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, logoWidth, logoHeight, 0, GL_RGBA,
                 GL_UNSIGNED_BYTE, logoPixels);
    gluBuild2DMipmaps(GL_TEXTURE_2D, GL_RGBA, logoWidth, logoHeight, GL_RGBA,
                      GL_UNSIGNED_BYTE, logoPixels);
}

void PaleoScene::drawLogo() const
{
    // Without a texture (the file was missing) there is nothing to show.
    if (!showLogo || logoTexture == 0)
        return;
    glTexEnvf(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_DECAL);
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, logoTexture);
    glPushMatrix();
    glScalef(2.5f, 2.5f, 2.0f);
    glBegin(GL_QUADS);
    for (const LogoCorner& c : logoCorners) {
        glTexCoord2f(c.s, c.t);
        glVertex3f(c.x, c.y, logoDepth);
    }
    glEnd();
    glPopMatrix();
    glDisable(GL_TEXTURE_2D);
}
