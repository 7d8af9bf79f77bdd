// Mapping of window pixels onto the mouse zones and the panel's time axis.
// y counts pixels from the top edge of the window.
#ifndef PALEOVIZ_APP_MOUSE_ZONES_H
#define PALEOVIZ_APP_MOUSE_ZONES_H

enum class MouseBand { none, timeAxis, eccRow, precRow, oblRow, view };

// Band of a pointer y for a window height (pixels): the top twelfth is the
// time axis, then three rows of a twenty-fourth each, then the view.
MouseBand bandOfY(double y, int windowHeight);

// Axis value at the plot's left end (a negated record index) for the
// scene's axisTime: the window scrolls once the time reaches windowStartMin
// (350) records.
int axisLeftEnd(int axisTime);

// Axis value under window x (pixels) for a window width and left-end value:
// the plot's span of the window maps onto plotRecords (750) records.
// REQUIRES: width > 0.
int axisValueAt(int x, int windowWidth, int leftEnd);

#endif
