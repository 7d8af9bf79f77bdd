// What the window shows after start-up, and how the picture moves by itself.
#include "window_regions.h"
#include "x11_harness.h"

namespace {

struct PictureCase {
    const char* what;
    Region region;
    PixelClass pixelClass;
    int minPixels;
};

// Counts are far below what a correct picture gives and far above what a
// missing element leaves (a few stray pixels of a similar colour).
const PictureCase startUpPicture[] = {
    {"the yellow Sun at the centre", sunRegion, isSunYellow, 250},
    {"white orbit dashes, apsides and latus-rectum lines, month labels", viewBand, isWhite, 400},
    {"orbit dashes upper left", upperLeftArcRegion, isWhite, 20},
    {"orbit dashes upper right", upperRightArcRegion, isWhite, 20},
    {"orbit dashes lower right", lowerRightArcRegion, isWhite, 20},
    {"white March label", marchLabelRegion, isWhite, 100},
    {"white June label", juneLabelRegion, isWhite, 100},
    {"white September label", septemberLabelRegion, isWhite, 100},
    {"white December label", decemberLabelRegion, isWhite, 100},
    {"white time axis ticks and labels", axisLabelRegion, isWhite, 150},
    {"white time readout", readoutRegion, isWhite, 40},
    {"white key help line", helpLineRegion, isWhite, 100},
    {"March globe below the Sun", marchGlobeRegion, isGlobeColour, 1500},
    {"June globe right of the Sun", juneGlobeRegion, isGlobeColour, 1500},
    {"September globe above the Sun", septemberGlobeRegion, isGlobeColour, 1500},
    {"December globe left of the Sun", decemberGlobeRegion, isGlobeColour, 1500},
    {"red eccentricity curve", curveRegion, isCurveRed, 300},
    {"green precession curve", curveRegion, isCurveGreen, 300},
    {"cyan obliquity curve", curveRegion, isCurveCyan, 300},
    {"logo in the lower left corner", logoCorner, isLit, 5000},
};

constexpr int maxStrayPixels = 30;
constexpr int minGlobeChange = 300;
constexpr int maxStillChange = 5;
constexpr int maxWhiteFlicker = 60;  // faceted globe outlines cover line ends differently
constexpr int maxDarkCornerPixels = 20;

using PictureTest = X11Test;

TEST_F(PictureTest, StartUpPictureShowsSunOrbitGlobesTextCurvesAndLogo)
{
    ASSERT_NO_FATAL_FAILURE(provideDataExcept(nullptr));
    ASSERT_NO_FATAL_FAILURE(startProgram());
    ASSERT_NO_FATAL_FAILURE(waitForFirstFrame());
    const Image shot = capture();
    ASSERT_FALSE(shot.empty());

    for (const PictureCase& c : startUpPicture)
        EXPECT_GE(countPixels(shot, c.region, c.pixelClass), c.minPixels) << c.what;
    const int strayYellow =
        countPixels(shot, viewBand, isSunYellow) - countPixels(shot, sunRegion, isSunYellow);
    EXPECT_LE(strayYellow, maxStrayPixels) << "Sun-coloured pixels away from the centre";
    EXPECT_LE(countPixels(shot, panelRegion, isGlobeColour), maxStrayPixels)
        << "globe colours in the panel: the orbit view reaches into the curves";
}

TEST_F(PictureTest, GlobesSpinWhileEverythingElseStaysStill)
{
    ASSERT_NO_FATAL_FAILURE(provideDataExcept(nullptr));
    ASSERT_NO_FATAL_FAILURE(startProgram());
    ASSERT_NO_FATAL_FAILURE(waitForFirstFrame());
    const Image before = capture();
    const Region globes[] = {marchGlobeRegion, juneGlobeRegion, septemberGlobeRegion, decemberGlobeRegion};
    const auto globeChange = [&](const Image& after) {
        int changed = 0;
        for (const Region& r : globes)
            changed += countChanged(before, after, r);
        return changed;
    };
    const Image after =
        captureUntil([&](const Image& image) { return globeChange(image) >= minGlobeChange; }, pictureWaitMs);

    EXPECT_GE(globeChange(after), minGlobeChange) << "the globes do not spin";
    EXPECT_LE(countChanged(before, after, panelRegion), maxStillChange) << "the panel moved by itself";
    EXPECT_LE(countChanged(before, after, readoutRegion), maxStillChange) << "the time moved by itself";
    EXPECT_LE(countChanged(before, after, sunRegion), maxStillChange) << "the Sun moved";
    EXPECT_LE(countChanged(before, after, logoCorner), maxStillChange) << "the logo changed";
    EXPECT_LE(countClassChanged(before, after, viewBand, isWhite), maxWhiteFlicker)
        << "the orbit and its lines moved without input";
}

TEST_F(PictureTest, WithoutLogoFileTheCornerStaysDark)
{
    ASSERT_NO_FATAL_FAILURE(provideDataExcept(logoFileName));
    ASSERT_NO_FATAL_FAILURE(startProgram());
    ASSERT_NO_FATAL_FAILURE(waitForFirstFrame());
    const Image shot = capture();
    EXPECT_LE(countPixels(shot, logoCorner, isLit), maxDarkCornerPixels);
    EXPECT_GE(countPixels(shot, sunRegion, isSunYellow), startUpPicture[0].minPixels)
        << "the rest of the picture is drawn";
    EXPECT_EQ(quitWithEscape(), 0);
}

}  // namespace
