// Snapshots: one frame of the window's picture drawn off screen at any size,
// read back from the frame buffer and written as a PNG file.
#ifndef PALEOVIZ_APP_SNAPSHOT_H
#define PALEOVIZ_APP_SNAPSHOT_H

#include <string>
#include <vector>

// Draws one frame through the display callback, exactly as the window draws
// it, into an off-screen frame buffer of width x height pixels and reads it
// back: rgb gets width * height * 3 bytes, bottom row first. The frame
// buffer's depth precision matches the window's. Returns false with message
// set when the GL implementation cannot make such a frame buffer.
// REQUIRES: the window's GL context is current and the scene is loaded.
bool renderFrame(int width, int height, std::vector<unsigned char>& rgb, std::string& message);

// renderFrame, then the PNG file at path. Returns the exit status: 0, or 1
// after a message on standard error. REQUIRES: as renderFrame.
int writeSnapshot(const char* path, int width, int height);

#endif
