// Drawing one globe: latitude bands of quad strips thinned by the step,
// coloured per band edge and per land/ocean sample, then the polar axis.
#include "globe/earth.h"
#include "scene/data_files.h"
#include "gl_recorder.h"
#include "test_dir.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <memory>
#include <set>
#include <string>

namespace {

// The western half is land, the eastern half sea, with every fourth row
// (rows 2, 6, 10, ...) the other way round, so that a vertex coloured from
// the wrong row or column shows.
constexpr int landColumns = 540;

bool isLand(int row, int col) { return (col < landColumns) != (row % 4 == 2); }

int16_t landAndSea(int row, int col) { return isLand(row, col) ? 10 : -1; }

class GlobeDrawTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        TestDir dir;
        dir.write(gridFileName, fullGrid(landAndSea));
        globe = std::make_unique<Globe>(seasonJune, gridFileName);
        glrec::reset();
    }
    void TearDown() override { glrec::reset(); }

    std::vector<glrec::Primitive> drawAt(int step)
    {
        glrec::reset();
        globe->setStep(step);
        globe->draw();
        return glrec::primitives();
    }

    std::unique_ptr<Globe> globe;
};

// Grid column of vertex i of a strip: columns 0, s, 2s, ... then column 0.
int columnOf(int i, int step, size_t stripSize)
{
    const int pair = i / 2;
    return pair == static_cast<int>(stripSize / 2) - 1 ? 0 : pair * step;
}

void expectAt(const glrec::Vertex& v, const float* p, const std::string& where)
{
    EXPECT_EQ(v.x, p[0]) << where;
    EXPECT_EQ(v.y, p[1]) << where;
    EXPECT_EQ(v.z, p[2]) << where;
}

bool sameColour(const glrec::Vertex& v, const float* c)
{
    return v.r == c[0] && v.g == c[1] && v.b == c[2];
}

bool isGrey(const glrec::Vertex& v) { return v.r == v.g && v.g == v.b; }

}  // namespace

TEST_F(GlobeDrawTest, StripAndVertexCountsPerStep)
{
    struct Case {
        int step;
        int bands;
        int stripVertices;
        int globeVertices;
    };
    const Case cases[] = {
        {2, 269, 1080, 290520}, {3, 179, 720, 128880}, {4, 134, 540, 72360},
        {6, 89, 360, 32040},    {8, 67, 270, 18090},   {10, 53, 216, 11448},
        {7, 77, 310, 23870},    // 7 does not divide 1080: the closing quad spans 8 columns
        {540, 0, 0, 0},         {1000, 0, 0, 0},
        {0, 0, 0, 0},           // no step at all draws the axis alone
    };
    for (const Case& c : cases) {
        const auto prims = drawAt(c.step);
        ASSERT_EQ(prims.size(), size_t(c.bands) + 1) << "step " << c.step;
        int total = 0;
        for (int k = 0; k < c.bands; ++k) {
            EXPECT_EQ(prims[k].mode, GL_QUAD_STRIP) << "step " << c.step << " band " << k;
            EXPECT_EQ(prims[k].vertices.size(), size_t(c.stripVertices)) << "step " << c.step << " band " << k;
            total += static_cast<int>(prims[k].vertices.size());
        }
        EXPECT_EQ(total, c.globeVertices) << "step " << c.step;
        EXPECT_EQ(prims.back().mode, GL_LINES) << "step " << c.step;
        EXPECT_EQ(prims.back().vertices.size(), 2u) << "step " << c.step;
    }
}

TEST_F(GlobeDrawTest, StripsWalkTheMeshAndCloseAtColumnZero)
{
    for (int step : {8, 7}) {
        const auto prims = drawAt(step);
        const int bands = static_cast<int>(prims.size()) - 1;
        for (int k = 0; k < bands; ++k) {
            const auto& strip = prims[k].vertices;
            const int top = k * step;
            for (size_t i = 0; i < strip.size(); ++i) {
                const int row = i % 2 == 0 ? top : top + step;
                const int col = columnOf(static_cast<int>(i), step, strip.size());
                expectAt(strip[i], globe->vertices[row][col],
                         "step " + std::to_string(step) + " band " + std::to_string(k) + " vertex "
                             + std::to_string(i));
            }
        }
    }
    const auto prims = drawAt(8);
    const auto& first = prims.front().vertices;
    EXPECT_EQ(first[0].x, 0.0);
    EXPECT_EQ(first[0].y, 0.0);
    EXPECT_EQ(first[0].z, 200.0);
    expectAt(first[1], globe->vertices[8][0], "row 8 column 0");
    // The last band runs from row 528 to row 536.
    expectAt(prims[66].vertices[0], globe->vertices[528][0], "last band top");
    expectAt(prims[66].vertices[1], globe->vertices[536][0], "last band bottom");
}

TEST_F(GlobeDrawTest, AxisIsAWhiteLineThroughBothPoles)
{
    const auto prims = drawAt(8);
    const auto& axis = prims.back();
    ASSERT_EQ(axis.mode, GL_LINES);
    ASSERT_EQ(axis.vertices.size(), 2u);
    const double ends[2] = {-300, 300};
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(axis.vertices[i].x, 0.0);
        EXPECT_EQ(axis.vertices[i].y, 0.0);
        EXPECT_EQ(axis.vertices[i].z, ends[i]);
        EXPECT_EQ(axis.vertices[i].r, 1.0);
        EXPECT_EQ(axis.vertices[i].g, 1.0);
        EXPECT_EQ(axis.vertices[i].b, 1.0);
    }
    // Only colours and immediate-mode primitives: no transform, no state.
    const std::set<std::string> allowed = {"glBegin", "glEnd", "glColor3f", "glColor3fv",
                                           "glVertex3f", "glVertex3fv"};
    for (const std::string& name : glrec::names())
        EXPECT_TRUE(allowed.count(name)) << name;
    EXPECT_EQ(glrec::names().back(), "glEnd");
}

TEST_F(GlobeDrawTest, BandEdgesKeepOneColourOverLandAndOneOverSea)
{
    for (int step : {2, 3, 8}) {
        const auto prims = drawAt(step);
        const int bands = static_cast<int>(prims.size()) - 1;
        for (int k = 0; k < bands; ++k) {
            const auto& strip = prims[k].vertices;
            for (int edge = 0; edge < 2; ++edge) {
                const glrec::Vertex* landColour = nullptr;
                const glrec::Vertex* seaColour = nullptr;
                const int row = k * step + edge * step;
                for (size_t i = edge; i < strip.size(); i += 2) {
                    const bool land = isLand(row, columnOf(static_cast<int>(i), step, strip.size()));
                    const glrec::Vertex*& seen = land ? landColour : seaColour;
                    if (seen == nullptr)
                        seen = &strip[i];
                    EXPECT_TRUE(strip[i].r == seen->r && strip[i].g == seen->g && strip[i].b == seen->b)
                        << "step " << step << " band " << k << " vertex " << i;
                }
                ASSERT_TRUE(landColour != nullptr && seaColour != nullptr);
                // Same hue, land brighter than sea.
                EXPECT_GT(landColour->r + landColour->g + landColour->b,
                          seaColour->r + seaColour->g + seaColour->b)
                    << "step " << step << " band " << k;
            }
            // The lower edge of a band is drawn again as the next band's upper edge.
            if (k + 1 < bands)
                for (int col : {0, 2}) {
                    const auto& lower = strip[2 * col + 1];
                    const auto& upper = prims[k + 1].vertices[2 * col];
                    EXPECT_TRUE(lower.r == upper.r && lower.g == upper.g && lower.b == upper.b)
                        << "step " << step << " band " << k;
                }
        }
    }
}

TEST_F(GlobeDrawTest, JuneCapsAreGreyAndTheLitZoneIsColoured)
{
    // Towards the polar night the sun is up so briefly that rows 466 to 469,
    // though inside the zone, fall below entry 1 as well.
    const int lastColouredRow = 465;
    const int step = 2;
    const auto prims = drawAt(step);
    const float* landGrey = globe->landPalette[0];
    const float* seaGrey = globe->oceanPalette[0];
    for (size_t k = 0; k + 1 < prims.size(); ++k) {
        const auto& strip = prims[k].vertices;
        for (size_t i = 0; i < strip.size(); ++i) {
            const int row = static_cast<int>(k) * step + (i % 2 == 0 ? 0 : step);
            const bool land = isLand(row, columnOf(static_cast<int>(i), step, strip.size()));
            const bool cap = row <= 70 || row >= 470;
            const std::string where = "row " + std::to_string(row) + " vertex " + std::to_string(i);
            if (cap) {
                EXPECT_TRUE(sameColour(strip[i], land ? landGrey : seaGrey)) << where;
            } else if (row <= lastColouredRow) {
                EXPECT_FALSE(isGrey(strip[i])) << where;
            }
        }
    }
    EXPECT_GT(landGrey[0], seaGrey[0]);
}

TEST_F(GlobeDrawTest, BandEdgesTakeTheirLatitudesIndex)
{
    // Rows 135 (45 N) and 405 (45 S) are band edges at step 3; with the
    // default orbit June gives entries 176 and 41 there, December 38 and 164.
    struct Case {
        int season;
        int row;
        int entry;
    };
    const Case cases[] = {{seasonJune, 135, 176}, {seasonJune, 405, 41},
                          {seasonDecember, 135, 38}, {seasonDecember, 405, 164}};
    const int step = 3;
    for (const Case& c : cases) {
        globe->season = c.season;
        const auto prims = drawAt(step);
        const auto& strip = prims[c.row / step].vertices;  // band whose top edge is the row
        for (size_t i = 0; i < strip.size(); i += 2) {
            const bool land = isLand(c.row, columnOf(static_cast<int>(i), step, strip.size()));
            const float* expected = land ? globe->landPalette[c.entry] : globe->oceanPalette[c.entry];
            EXPECT_TRUE(sameColour(strip[i], expected))
                << "season " << c.season << " row " << c.row << " vertex " << i;
        }
    }
}
