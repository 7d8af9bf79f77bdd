// Layout of the time-series panel, in the panel frame: the plot spans
// x = -1000 (oldest) to x = 500 (newest), two units per record, 750 records.
#ifndef PALEOVIZ_SCENE_PANEL_LAYOUT_H
#define PALEOVIZ_SCENE_PANEL_LAYOUT_H

#include <cstddef>

constexpr int plotLeft = -1000;
constexpr int plotRight = 500;
constexpr int unitsPerRecord = 2;
constexpr int plotRecords = (plotRight - plotLeft) / unitsPerRecord;  // 750
constexpr int windowStartMin = 350;    // records before the window scrolls
constexpr int windowStartMax = 19750;
constexpr int markerOffset = 100;      // records between window start and marker time
constexpr size_t textBufferSize = 128;

// Window start a: timeIndex clamped to 350..19750. Panel x stands for the
// record a - 100 - x/2 on the axis, the marker and the curves alike.
int windowStart(int timeIndex);
// Panel x of the time marker for a time index (records).
int markerX(int timeIndex);
// The time readout, "-5 kY" or " 0 kY", into a buffer of textBufferSize.
void formatReadout(char* buffer, int timeIndex);
// The axis label at panel x for the window start (records): kY, a multiple
// of 100.
int axisLabelAt(int x, int start);

// One of the three curves: how a series value maps to a panel height.
enum class Curve { eccentricity, precession, obliquity };
// Panel height of a series value (eccentricity; precession angle and
// obliquity in degrees), before the accepted-band check.
float curveHeight(Curve curve, double value);
// Height actually plotted: outside the curve's accepted band (or NaN) the
// substitute height.
float plottedHeight(Curve curve, double value);

#endif
