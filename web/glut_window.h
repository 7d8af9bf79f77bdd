// What the web entry sets on the GLUT window beyond GLUT's own calls.
#ifndef PALEOVIZ_WEB_GLUT_WINDOW_H
#define PALEOVIZ_WEB_GLUT_WINDOW_H

namespace webgl_layer {

// The main loop stops after this many frames (the page's still picture).
void stopAfterFrames(int frames);

}  // namespace webgl_layer

#endif
