// PNG writing through libpng; no other file of the project includes it.
#ifndef PALEOVIZ_PNG_PNG_FILE_H
#define PALEOVIZ_PNG_PNG_FILE_H

#include <string>

// Pixels for writePng: width x height, 8 bits a channel, 3 channels (RGB)
// or 4 (RGBA), rows packed without padding.
struct PixelImage {
    int width;
    int height;
    int channels;
    const unsigned char* pixels;
    bool bottomRowFirst;  // rows stored bottom first, as OpenGL reads them back
};

// Writes the image to path as a PNG file through an AtomicOutput (see
// files/atomic_output.h), so that path never holds a partial file and no
// other file is harmed. Returns false with message (naming path) set on
// failure.
bool writePng(const std::string& path, const PixelImage& image, std::string& message);

#endif
