// logo_image OUTPUT: writes the program's logo picture, raw RGBA bytes with
// no header, 190 x 206 pixels, bottom row first.
#include "logo_picture.h"

#include <cstdio>

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: logo_image OUTPUT\n");
        return 2;
    }
    const std::vector<unsigned char> bytes = renderPicture();
    FILE* file = std::fopen(argv[1], "wb");
    if (file == nullptr) {
        std::fprintf(stderr, "logo_image: cannot open %s for writing\n", argv[1]);
        return 1;
    }
    const size_t written = std::fwrite(bytes.data(), 1, bytes.size(), file);
    if (std::fclose(file) != 0 || written != bytes.size()) {
        std::fprintf(stderr, "logo_image: cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
