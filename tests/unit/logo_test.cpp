// The logo overlay: loading the picture into a texture, drawing the textured
// square, the toggle, and the committed picture file.
#include "scene/data_files.h"
#include "gl_recorder.h"
#include "scene/paleo_scene.h"
#include "test_dir.h"

#include <GL/glu.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <memory>
#include <set>
#include <sstream>

namespace {

using Args = std::vector<double>;

int16_t land(int, int) { return 1; }

// A full-size picture whose byte i is (i + 7) mod 251, so that a shifted read shows.
std::string patternPicture()
{
    std::string bytes(logoBytes, '\0');
    for (int i = 0; i < logoBytes; ++i)
        bytes[i] = static_cast<char>((i + 7) % 251);
    return bytes;
}

class LogoTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir.write(gridFileName, fullGrid(land));
        scene = std::make_unique<PaleoScene>();
        glrec::reset();
    }
    void loadPicture(const std::string& bytes)
    {
        dir.write(logoFileName, bytes);
        scene->loadLogo();
        glrec::reset();
    }
    std::vector<std::string> drawnCalls()
    {
        glrec::reset();
        scene->drawLogo();
        return glrec::names();
    }

    TestDir dir;
    std::unique_ptr<PaleoScene> scene;
};

}  // namespace

TEST_F(LogoTest, LoadMakesANearestMipmappedTextureOfThePicture)
{
    const std::string picture = patternPicture();
    dir.write(logoFileName, picture);
    scene->loadLogo();

    EXPECT_EQ(glrec::names(),
              (std::vector<std::string>{"glGenTextures", "glBindTexture", "glTexParameteri",
                                        "glTexParameteri", "glTexImage2D", "gluBuild2DMipmaps"}));
    const auto& calls = glrec::calls();
    ASSERT_EQ(calls.size(), 6u);
    EXPECT_NE(scene->logoTexture, 0u);
    EXPECT_EQ(calls[0].args, (Args{1}));
    EXPECT_EQ(calls[1].args, (Args{GL_TEXTURE_2D, double(scene->logoTexture)}));
    EXPECT_EQ(calls[2].args, (Args{GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST}));
    EXPECT_EQ(calls[3].args,
              (Args{GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST_MIPMAP_NEAREST}));
    // The last argument is the first pixel byte handed over.
    EXPECT_EQ(calls[4].args,
              (Args{GL_TEXTURE_2D, 0, GL_RGBA, 190, 206, 0, GL_RGBA, GL_UNSIGNED_BYTE, 7}));
    EXPECT_EQ(calls[5].args, (Args{GL_TEXTURE_2D, GL_RGBA, 190, 206, GL_RGBA, GL_UNSIGNED_BYTE}));
    EXPECT_TRUE(scene->showLogo);
    EXPECT_EQ(std::memcmp(scene->logoPixels, picture.data(), logoBytes), 0);
}

TEST_F(LogoTest, MissingFileSaysSoOnceAndMakesNoTexture)
{
    const ChildResult result = runInChild([this] {
        scene->loadLogo();
        std::printf("showLogo=%d textureCalls=%zu\n", int(scene->showLogo),
                    glrec::calls().size());
        scene->drawLogo();
        std::printf("drawCalls=%zu\n", glrec::calls().size());
    });
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.out, "unable to load logo\nshowLogo=0 textureCalls=0\ndrawCalls=0\n");
}

TEST_F(LogoTest, FileOfAnyLengthFillsThePictureFromItsStart)
{
    // Bytes the file lacks are zero; bytes beyond the picture are not used.
    for (const size_t length : {size_t(0), size_t(1), size_t(760), size_t(logoBytes - 1),
                                size_t(logoBytes), size_t(logoBytes + 5000)}) {
        std::memset(scene->logoPixels, 0x55, logoBytes);
        loadPicture(std::string(length, static_cast<char>(0xAB)));
        const size_t filled = std::min(length, size_t(logoBytes));
        size_t wrong = 0;
        for (size_t i = 0; i < size_t(logoBytes); ++i)
            wrong += scene->logoPixels[i] != (i < filled ? 0xAB : 0);
        EXPECT_EQ(wrong, 0u) << "file of " << length << " bytes";
        EXPECT_TRUE(scene->showLogo) << "file of " << length << " bytes";
    }
}

TEST_F(LogoTest, DrawsTheTexturedSquareInDecalMode)
{
    loadPicture(patternPicture());
    const std::vector<std::string> expected{
        "glTexEnvf", "glEnable", "glBindTexture", "glPushMatrix", "glScalef", "glBegin",
        "glTexCoord2f", "glVertex3f", "glTexCoord2f", "glVertex3f",
        "glTexCoord2f", "glVertex3f", "glTexCoord2f", "glVertex3f",
        "glEnd", "glPopMatrix", "glDisable"};
    ASSERT_EQ(drawnCalls(), expected);
    const auto& calls = glrec::calls();
    EXPECT_EQ(calls[0].args, (Args{GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_DECAL}));
    EXPECT_EQ(calls[1].args, (Args{GL_TEXTURE_2D}));
    EXPECT_EQ(calls[2].args, (Args{GL_TEXTURE_2D, double(scene->logoTexture)}));
    EXPECT_EQ(calls[4].args, (Args{2.5, 2.5, 2.0}));
    EXPECT_EQ(calls[5].args, (Args{GL_QUADS}));
    const Args corners[4][2] = {{{0, 0}, {-820, -850, -1300}},
                                {{0, 1}, {-820, -550, -1300}},
                                {{1, 1}, {-520, -550, -1300}},
                                {{1, 0}, {-520, -850, -1300}}};
    for (int k = 0; k < 4; ++k) {
        EXPECT_EQ(calls[6 + 2 * k].args, corners[k][0]) << "corner " << k;
        EXPECT_EQ(calls[7 + 2 * k].args, corners[k][1]) << "corner " << k;
    }
    EXPECT_EQ(calls[16].args, (Args{GL_TEXTURE_2D}));
    EXPECT_EQ(glrec::matrixDepth(GL_MODELVIEW), 0);
}

TEST_F(LogoTest, ToggleHidesAndShowsTheSquare)
{
    loadPicture(patternPicture());
    struct Step {
        int toggles;
        size_t quads;
    };
    for (const Step& s : {Step{1, 0}, Step{1, 1}, Step{2, 1}, Step{3, 0}}) {
        for (int i = 0; i < s.toggles; ++i)
            scene->toggleLogo();
        drawnCalls();
        EXPECT_EQ(glrec::count("glBegin"), s.quads) << s.toggles << " toggles";
        EXPECT_EQ(glrec::count("glEnable"), s.quads) << s.toggles << " toggles";
    }
}

TEST_F(LogoTest, AfterAFailedLoadTheToggleShowsNothing)
{
    const ChildResult result = runInChild([this] {
        scene->loadLogo();
        scene->toggleLogo();
        glrec::reset();
        scene->drawLogo();
        std::printf("showLogo=%d drawCalls=%zu\n", int(scene->showLogo), glrec::calls().size());
    });
    EXPECT_EQ(result.out, "unable to load logo\nshowLogo=1 drawCalls=0\n");
}

TEST(LogoPicture, CommittedFileIsAnOpaqueUprightPicture)
{
    std::ifstream in(std::string(PALEOVIZ_SOURCE_DIR) + "/data/logo.rgba", std::ios::binary);
    ASSERT_TRUE(in);
    std::ostringstream read;
    read << in.rdbuf();
    const std::string bytes = read.str();
    ASSERT_EQ(bytes.size(), 156560u);
    std::set<uint32_t> colours;
    size_t translucent = 0;
    // The gold lettering lies near the bottom of the square, in stored rows
    // 19..50 (the first stored row is the bottom); the same band counted from
    // the top must not hold it, or the picture would show upside down.
    constexpr size_t rowBytes = 760, rows = 206, bandFirst = 19, bandLast = 50;
    size_t inBand = 0, inMirrorBand = 0;
    for (size_t i = 0; i < bytes.size(); i += 4) {
        const auto r = static_cast<unsigned char>(bytes[i]);
        const auto g = static_cast<unsigned char>(bytes[i + 1]);
        const auto b = static_cast<unsigned char>(bytes[i + 2]);
        translucent += static_cast<unsigned char>(bytes[i + 3]) != 255;
        colours.insert(uint32_t(r) << 16 | uint32_t(g) << 8 | b);
        const bool gold = r > 200 && g > 180 && b > 50 && b < 240;
        const size_t row = i / rowBytes;
        inBand += gold && row >= bandFirst && row <= bandLast;
        inMirrorBand += gold && rows - 1 - row >= bandFirst && rows - 1 - row <= bandLast;
    }
    EXPECT_EQ(translucent, 0u);
    EXPECT_GT(colours.size(), 100u);
    EXPECT_GT(inBand, 500u);
    EXPECT_LT(inMirrorBand, inBand / 10);
}
