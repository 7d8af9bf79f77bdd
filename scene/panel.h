// Drawing shared by the panel and the orbit view.
#ifndef PALEOVIZ_SCENE_PANEL_H
#define PALEOVIZ_SCENE_PANEL_H

// Draws text with a GLUT bitmap font from the raster position (x, y, z).
void drawText(const char* text, int x, int y, int z, void* font);

#endif
