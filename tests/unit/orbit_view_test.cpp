// The orbit view as drawn through the stand-in: transforms, globe places,
// tilt, Sun, dashed orbit, apsides and latus rectum.
#include "math/constants.h"
#include "loaded_scene.h"
#include "scene/orbit_geometry.h"

#include <GL/glut.h>

#include <cmath>

using math::pi;

namespace {

using glrec::Call;


class OrbitViewTest : public LoadedSceneTest {
protected:
    // The scene with every element at its reference value.
    void useReferenceValues()
    {
        scene->showEcc = scene->showPrec = scene->showObl = false;
        scene->updateCurrentValues();
    }
    std::vector<Call> drawAndGet(const std::string& name)
    {
        glrec::reset();
        scene->draw();
        return glrec::named(name);
    }
    // Lines drawn after the Sun: the orbit's dashes, the apsides, the latus rectum.
    std::vector<glrec::Primitive> orbitLines()
    {
        glrec::reset();
        scene->drawDashedOrbit();
        scene->drawApsides();
        scene->drawLatusRectum();
        return glrec::primitives();
    }
};

}  // namespace

TEST_F(OrbitViewTest, ZoomBecomesShiftAndScale)
{
    hideGlobeMeshes();
    struct Case { double zoom, shift, scale; };
    for (const Case& c : {Case{0, 0, 1}, Case{325, -3575, 4.25}, Case{100, -1100, 2}}) {
        scene->zoom = c.zoom;
        glrec::reset();
        scene->draw();
        const auto translates = glrec::named("glTranslatef");
        const auto scales = glrec::named("glScalef");
        ASSERT_FALSE(translates.empty());
        EXPECT_EQ(translates[0].args, (std::vector<double>{c.shift, 0, -3500}));
        EXPECT_EQ(scales[0].args, (std::vector<double>{c.scale, c.scale, c.scale}));
    }
}

TEST_F(OrbitViewTest, FrameOrderAndViewRotations)
{
    hideGlobeMeshes();
    scene->rotX = 12;
    scene->rotY = -7;
    scene->rotZ = 400;
    useReferenceValues();
    glrec::reset();
    scene->draw();
    const auto all = glrec::names();
    EXPECT_EQ(all.front(), "glClear");
    EXPECT_EQ(glrec::named("glClear")[0].args[0], GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    const auto rotations = glrec::named("glRotatef");
    ASSERT_GE(rotations.size(), 4u);
    EXPECT_EQ(rotations[0].args, (std::vector<double>{12, 1, 0, 0}));
    EXPECT_EQ(rotations[1].args, (std::vector<double>{-7, 0, 1, 0}));
    EXPECT_EQ(rotations[2].args, (std::vector<double>{400, 0, 0, 1}));
    EXPECT_EQ(rotations[3].args, (std::vector<double>{-180, 0, 0, 1}));  // prec - 90
    // Sun, then the panel in its fixed frame after the orbit group.
    const auto translates = glrec::named("glTranslatef");
    EXPECT_EQ(translates.back().args, (std::vector<double>{240, 300, -2700}));
    EXPECT_EQ(glrec::matrixDepth(GL_MODELVIEW), 0);
    EXPECT_EQ(scene->spin, 1);
}

TEST_F(OrbitViewTest, GlobesSitAtTheSeasonsWithTheirLabels)
{
    hideGlobeMeshes();
    useReferenceValues();
    glrec::reset();
    scene->draw();
    // Translations: view, then per globe its place and its label offset.
    const auto t = glrec::named("glTranslatef");
    ASSERT_GE(t.size(), 9u);
    struct Place { double x, y; };
    const Place expected[] = {{0, 788.48}, {-704, 0}, {0, -788.48}, {896, 0}};  // Mar Jun Sep Dec
    for (int k = 0; k < 4; ++k) {
        EXPECT_NEAR(t[1 + 2 * k].args[0], expected[k].x, 1e-3) << "globe " << k;
        EXPECT_NEAR(t[1 + 2 * k].args[1], expected[k].y, 1e-3) << "globe " << k;
        EXPECT_EQ(t[2 + 2 * k].args, (std::vector<double>{50, 250, -200}));
    }
    std::vector<std::string> labels;
    for (const glrec::TextRun& run : glrec::texts())
        if (run.font == "HELVETICA_18" && run.y == 0) {
            labels.push_back(run.text);
            EXPECT_EQ(run.x, 10.0 * run.text.size());
        }
    EXPECT_EQ(labels, (std::vector<std::string>{"March", "June", "September", "December"}));
}

TEST_F(OrbitViewTest, TiltExaggeratesTheObliquityTenfold)
{
    hideGlobeMeshes();
    scene->showObl = false;
    for (const auto& c : {std::pair<double, double>{22.5, 13.5}, {23.5, 23.5}, {24.5, 33.5}}) {
        scene->obl = c.first;
        const auto rotations = drawAndGet("glRotatef");
        int tilts = 0;
        // After the four view rotations, each globe turns about Y by its tilt.
        for (size_t i = 4; i < rotations.size(); ++i) {
            if (rotations[i].args[2] == 1) {
                EXPECT_NEAR(rotations[i].args[0], c.second, 1e-5);
                ++tilts;
            }
        }
        EXPECT_EQ(tilts, 4);
    }
}

TEST_F(OrbitViewTest, SunIsAPaleYellowSphereAtTheFocus)
{
    hideGlobeMeshes();
    const auto spheres = drawAndGet("glutSolidSphere");
    ASSERT_EQ(spheres.size(), 1u);
    EXPECT_EQ(spheres[0].args, (std::vector<double>{50, 20, 20}));
    const auto& calls = glrec::calls();
    for (size_t i = 1; i < calls.size(); ++i) {
        if (calls[i].name == "glutSolidSphere") {
            EXPECT_EQ(calls[i - 1].args, (std::vector<double>{1, 1, 0.5}));
        }
    }
}

TEST_F(OrbitViewTest, DashesApsidesAndLatusRectumAtReferenceEccentricity)
{
    useReferenceValues();
    const auto prims = orbitLines();
    ASSERT_EQ(prims.size(), 103u);  // 101 dash primitives, apsides, latus rectum
    for (int k = 0; k < 100; ++k) {
        ASSERT_EQ(prims[k].vertices.size(), 2u) << "dash " << k;
        const double theta = 2 * k * pi / 100;
        const double r = 788.48 / (1 - 0.12 * std::cos(theta));
        EXPECT_NEAR(prims[k].vertices[0].x, r * std::cos(theta), 1e-3);
        EXPECT_NEAR(prims[k].vertices[0].y, r * std::sin(theta), 1e-3);
        EXPECT_EQ(prims[k].mode, GL_LINES);
    }
    EXPECT_EQ(prims[100].vertices.size(), 1u);  // the 201st vertex stands alone
    EXPECT_NEAR(prims[0].vertices[0].x, 896, 1e-3);
    const auto& apsides = prims[101].vertices;
    EXPECT_NEAR(apsides[0].x, -704, 1e-3);
    EXPECT_NEAR(apsides[1].x, 896, 1e-3);
    const auto& latus = prims[102].vertices;
    EXPECT_NEAR(latus[0].y, -788.48, 1e-3);
    EXPECT_NEAR(latus[1].y, 788.48, 1e-3);
    EXPECT_EQ(latus[0].x, 0);
    for (const auto& p : prims)
        for (const auto& v : p.vertices)
            EXPECT_TRUE(v.r == 1 && v.g == 1 && v.b == 1);
}

TEST_F(OrbitViewTest, ZeroEccentricityDrawsACircle)
{
    scene->showEcc = false;
    scene->ecc = 0;
    const auto prims = orbitLines();
    for (int k = 0; k < 100; ++k) {
        const auto& v = prims[k].vertices[0];
        EXPECT_NEAR(std::hypot(v.x, v.y), 800, 1e-3);
    }
    EXPECT_NEAR(prims[101].vertices[0].x, -800, 1e-3);
    EXPECT_NEAR(prims[102].vertices[1].y, 800, 1e-3);
}

TEST(OrbitGeometry, SemiLatusRectumAgreesWithTheQuotientForm)
{
    for (double ecc : {0.0001, 0.005, 0.017, 0.03, 0.0607}) {
        const double e4 = 4 * ecc;
        const double quotientForm = e4 * (800 / ecc / 4 - e4 * 800);
        const OrbitShape shape = orbitShape(ecc, 800);
        EXPECT_EQ(static_cast<float>(shape.semiLatus), static_cast<float>(quotientForm)) << ecc;
        EXPECT_NEAR(shape.radiusAt(pi), shape.perihelionDistance(), 1e-9);
        EXPECT_NEAR(shape.radiusAt(0), shape.aphelionDistance(), 1e-9);
        EXPECT_NEAR(shape.aphelionDistance(), 800 * (1 + e4), 1e-9);
    }
}

// Beyond a true 0.225 the drawn eccentricity stays at 0.9: still an ellipse,
// its perihelion 800 x 0.1 from the Sun and its aphelion 800 x 1.9.
TEST(OrbitGeometry, TheExaggerationIsCappedBeforeTheOrbitDegenerates)
{
    for (double ecc : {0.25, 0.3, 0.9, 0.999}) {
        const OrbitShape shape = orbitShape(ecc, 800);
        EXPECT_DOUBLE_EQ(shape.drawnEcc, 0.9) << ecc;
        EXPECT_NEAR(shape.perihelionDistance(), 80, 1e-9) << ecc;
        EXPECT_NEAR(shape.aphelionDistance(), 1520, 1e-9) << ecc;
    }
    EXPECT_DOUBLE_EQ(orbitShape(0.2, 800).drawnEcc, 0.8);
}

TEST_F(OrbitViewTest, AutomaticAdvanceStepsAndUpdatesEveryFrame)
{
    hideGlobeMeshes();
    scene->toggleAutoAdvance();
    scene->draw();
    scene->draw();
    EXPECT_EQ(scene->timeIndex, 2);
    EXPECT_DOUBLE_EQ(scene->ecc, seriesEcc(2));
    EXPECT_EQ(scene->globeJune->eccentricity, static_cast<float>(seriesEcc(2)));
    scene->timeIndex = seriesRecords - 1;
    scene->draw();
    EXPECT_EQ(scene->timeIndex, seriesRecords - 1);
}

TEST_F(OrbitViewTest, GlobesDrawTheirMeshesInsideTheView)
{
    scene->setGlobeStep(10);
    glrec::reset();
    scene->draw();
    size_t strips = 0;
    for (const auto& p : glrec::primitives())
        strips += p.mode == GL_QUAD_STRIP && p.vertices.size() == 216;
    EXPECT_EQ(strips, 4u * 53);
    EXPECT_EQ(glrec::matrixDepth(GL_MODELVIEW), 0);
}
