// Where things appear in the 600 x 600 window right after start-up (view
// not rotated, not zoomed), in window pixels from the top-left corner. The
// regions are generous: they hold what they name for any orbital series of
// realistic values, and little else.
#ifndef PALEOVIZ_TESTS_X11_WINDOW_REGIONS_H
#define PALEOVIZ_TESTS_X11_WINDOW_REGIONS_H

#include "ppm_image.h"

constexpr int windowSide = 600;
constexpr int windowLeft = 600;
constexpr int windowTop = 400;

const Region wholeWindow{0, 0, windowSide, windowSide};
// The time-series panel: axis, labels, marker and the three curves.
const Region panelRegion{0, 0, windowSide, 140};
const Region axisLabelRegion{40, 0, 560, 45};
const Region curveRegion{40, 30, 548, 140};
// The orbit, the Sun and the four globes.
const Region viewBand{0, 140, windowSide, 470};
const Region sunRegion{270, 270, 330, 330};
const Region marchGlobeRegion{200, 340, 400, 520};      // below the Sun
const Region juneGlobeRegion{400, 220, windowSide, 380};  // right of it
const Region septemberGlobeRegion{220, 150, 380, 270};  // above it
const Region decemberGlobeRegion{0, 220, 200, 380};     // left of it
// Stretches of the dashed orbit between the globes, away from the lines.
const Region upperLeftArcRegion{140, 195, 250, 245};
const Region upperRightArcRegion{350, 195, 460, 245};
const Region lowerRightArcRegion{370, 365, 480, 425};
// The month labels below the globes.
const Region marchLabelRegion{250, 505, 340, 535};
const Region juneLabelRegion{495, 360, 560, 385};
const Region septemberLabelRegion{260, 260, 370, 285};
const Region decemberLabelRegion{65, 360, 170, 385};
// Bottom row: the logo (lower left), the key help line, the time readout.
const Region logoCorner{0, 485, 118, windowSide};
const Region helpLineRegion{150, 570, 450, 598};
const Region readoutRegion{440, 530, 595, 582};

#endif
