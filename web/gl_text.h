// The bitmap text's size on the canvas. GLUT's fonts are pixel bitmaps
// made for the desktop window's 600 × 600 pixels; a canvas drawn with
// many more pixels (a presentation screen, a high pixel-ratio display)
// would shrink them to a fraction of the picture, so each font pixel is
// drawn as a square of `scale` window pixels there.
#ifndef PALEOVIZ_WEB_GL_TEXT_H
#define PALEOVIZ_WEB_GL_TEXT_H

namespace webgl_layer {

// Window pixels per font pixel, for the glyphs' boxes and advances; 1
// (the desktop window's text, pixel for pixel) by default, and never
// below 1 (smaller values are taken as 1).
void setTextScale(float scale);

// The same for lines: glLineWidth's width times `scale` window pixels
// (1 by default; smaller values are taken as 1), so that a picture drawn
// with more pixels keeps the proportions of its lines to its text.
void setLineScale(float scale);
float scaledLineWidth(float width);

}  // namespace webgl_layer

#endif
