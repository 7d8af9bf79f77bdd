// Keys and mouse on the running program: stepping and jumping in time, the
// logo toggle, picking a time on the axis, rotating the view by dragging.
// Time is compared through pictures: the panel and the readout depend on
// nothing but the time index and the series switches, so two routes to the
// same record must give identical pixels there.
#include "window_regions.h"
#include "x11_harness.h"

namespace {

constexpr int minReadoutChange = 20;
constexpr int minWhiteMove = 200;
constexpr int maxWhiteFlicker = 60;
constexpr int minLogoPixels = 5000;
constexpr int maxDarkCornerPixels = 20;
constexpr int minSunPixels = 250;
constexpr int manySteps = 30;
constexpr int jumpRecords = 25;  // one press of 7 or &

// Clicks on the time axis of a 600-pixel window while it shows records
// 0..750 (the present): the plot runs from x 49 to 544, so a click at x lies
// (544 - x) / 495 of 750 records left of its right end, and picks that
// record rounded toward zero. Each pick is a multiple of 25 records, so the
// same record can be reached by pressing 7.
struct AxisClick {
    const char* what;
    int x;
    int jumps;  // presses of 7 that reach the same record
};
const AxisClick axisClicks[] = {
    {"near the right end: 25.76 records back, record 25", 527, 1},
    {"near the left end: 725.76 records back, record 725", 65, 29},
};
constexpr int axisYForClick = 25;

// A drag down and to the right in the view band: the orbit turns to face the
// viewer more (40 degrees about x, 10 about y) and the Sun stays in sight;
// the September globe then rises behind the curves of the panel.
constexpr int dragFromX = 300, dragFromY = 330, dragToX = 330, dragToY = 450;

int timeChange(const Image& a, const Image& b)
{
    return countChanged(a, b, panelRegion) + countChanged(a, b, readoutRegion);
}

class InputTest : public X11Test {
protected:
    // Captures until the panel and the readout show what they show in the
    // reference, that is, until the program has reached the same record.
    Image waitForSameTime(const Image& reference)
    {
        return captureUntil([&](const Image& image) { return timeChange(reference, image) == 0; },
                            pictureWaitMs);
    }
};

TEST_F(InputTest, TimeKeysStepAndJumpConsistently)
{
    ASSERT_NO_FATAL_FAILURE(provideDataExcept(nullptr));
    ASSERT_NO_FATAL_FAILURE(startProgram());
    ASSERT_NO_FATAL_FAILURE(waitForFirstFrame());
    const Image present = capture();

    ASSERT_NO_FATAL_FAILURE(pressKeyTimes("y", manySteps));
    const Image past = captureChanged(present, readoutRegion, minReadoutChange);
    EXPECT_GE(countChanged(present, past, readoutRegion), minReadoutChange) << "y does not move the time";

    ASSERT_NO_FATAL_FAILURE(pressKeyTimes("Y", manySteps));
    EXPECT_EQ(timeChange(present, waitForSameTime(present)), 0) << "as many Y as y do not return to the present";

    ASSERT_NO_FATAL_FAILURE(pressKeys({"7"}));
    const Image jumped = captureChanged(present, readoutRegion, minReadoutChange);
    EXPECT_GE(countChanged(present, jumped, readoutRegion), minReadoutChange) << "7 does not move the time";

    ASSERT_NO_FATAL_FAILURE(pressKeys({"ampersand"}));
    EXPECT_EQ(timeChange(present, waitForSameTime(present)), 0) << "& does not undo 7";
    ASSERT_NO_FATAL_FAILURE(pressKeyTimes("y", jumpRecords));
    EXPECT_EQ(timeChange(jumped, waitForSameTime(jumped)), 0) << "7 is not 25 presses of y";

    EXPECT_EQ(quitWithEscape(), 0);
}

TEST_F(InputTest, LogoKeyHidesAndRestoresTheLogo)
{
    ASSERT_NO_FATAL_FAILURE(provideDataExcept(nullptr));
    ASSERT_NO_FATAL_FAILURE(startProgram());
    ASSERT_NO_FATAL_FAILURE(waitForFirstFrame());
    const Image shown = capture();
    ASSERT_GE(countPixels(shown, logoCorner, isLit), minLogoPixels) << "no logo at start";

    ASSERT_NO_FATAL_FAILURE(pressKeys({"l"}));
    const Image hidden = captureUntil(
        [](const Image& image) { return countPixels(image, logoCorner, isLit) <= maxDarkCornerPixels; },
        pictureWaitMs);
    EXPECT_LE(countPixels(hidden, logoCorner, isLit), maxDarkCornerPixels) << "l does not hide the logo";

    ASSERT_NO_FATAL_FAILURE(pressKeys({"l"}));
    const Image again = captureUntil(
        [&](const Image& image) { return countChanged(shown, image, logoCorner) == 0; }, pictureWaitMs);
    EXPECT_EQ(countChanged(shown, again, logoCorner), 0) << "a second l does not restore the logo";

    EXPECT_EQ(quitWithEscape(), 0);
}

TEST_F(InputTest, ClickOnTheTimeAxisPicksTheRecordUnderThePointer)
{
    ASSERT_NO_FATAL_FAILURE(provideDataExcept(nullptr));
    ASSERT_NO_FATAL_FAILURE(startProgram());
    ASSERT_NO_FATAL_FAILURE(waitForFirstFrame());
    const Image present = capture();

    for (const AxisClick& c : axisClicks) {
        SCOPED_TRACE(c.what);
        ASSERT_NO_FATAL_FAILURE(click(c.x, axisYForClick));
        const Image picked = captureChanged(present, readoutRegion, minReadoutChange);
        EXPECT_GE(countChanged(present, picked, readoutRegion), minReadoutChange) << "the click moved no time";

        // Back to the present, then the same record by jumps of 25.
        ASSERT_NO_FATAL_FAILURE(pressKeys({"space"}));
        EXPECT_EQ(timeChange(present, waitForSameTime(present)), 0) << "space did not return to the present";
        ASSERT_NO_FATAL_FAILURE(pressKeyTimes("7", c.jumps));
        EXPECT_EQ(timeChange(picked, waitForSameTime(picked)), 0) << "the click picked another record";
        ASSERT_NO_FATAL_FAILURE(pressKeys({"space"}));
        EXPECT_EQ(timeChange(present, waitForSameTime(present)), 0);
    }

    EXPECT_EQ(quitWithEscape(), 0);
}

TEST_F(InputTest, DragBelowThePanelRotatesTheViewAndSpaceResetsIt)
{
    ASSERT_NO_FATAL_FAILURE(provideDataExcept(nullptr));
    ASSERT_NO_FATAL_FAILURE(startProgram());
    ASSERT_NO_FATAL_FAILURE(waitForFirstFrame());
    const Image start = capture();

    ASSERT_NO_FATAL_FAILURE(drag(dragFromX, dragFromY, dragToX, dragToY));
    const Image turned = captureUntil(
        [&](const Image& image) { return countClassChanged(start, image, viewBand, isWhite) >= minWhiteMove; },
        pictureWaitMs);
    EXPECT_GE(countClassChanged(start, turned, viewBand, isWhite), minWhiteMove) << "the orbit did not turn";
    EXPECT_GE(countPixels(turned, sunRegion, isSunYellow), minSunPixels) << "the Sun left the centre";
    EXPECT_EQ(countChanged(start, turned, readoutRegion), 0) << "a drag in the view band changed the time";

    ASSERT_NO_FATAL_FAILURE(pressKeys({"space"}));
    const Image reset = captureUntil(
        [&](const Image& image) { return countClassChanged(start, image, viewBand, isWhite) <= maxWhiteFlicker; },
        pictureWaitMs);
    EXPECT_LE(countClassChanged(start, reset, viewBand, isWhite), maxWhiteFlicker)
        << "space did not bring the view back";

    EXPECT_EQ(quitWithEscape(), 0);
}

}  // namespace
