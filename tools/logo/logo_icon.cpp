// logo_icon INPUT OUTPUT.png: the desktop icon, the logo picture INPUT (raw
// RGBA, 190 x 206, bottom row first, as logo_image writes it) centred on a
// transparent 256 x 256 square, as a PNG file.
#include "files/atomic_output.h"
#include "files/regular_input.h"
#include "png/png_file.h"
#include "files/program_guard.h"

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

namespace {

constexpr int logoWidth = 190;
constexpr int logoHeight = 206;
constexpr int iconSide = 256;
constexpr int channels = 4;

int makeIcon(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: logo_icon LOGO.rgba OUTPUT.png\n");
        return 2;
    }
    // An output that cannot be written is refused before any work, as by
    // every other writer.
    const std::string problem = outputProblem(argv[2]);
    if (!problem.empty()) {
        std::fprintf(stderr, "logo_icon: cannot write \"%s\": %s\n", argv[2], problem.c_str());
        return outputRefusedStatus;
    }
    std::vector<unsigned char> logo(size_t(logoWidth) * logoHeight * channels);
    std::string refusal;
    FILE* in = openRegularFile(argv[1], "rb", refusal);
    const size_t got = in != nullptr ? std::fread(logo.data(), 1, logo.size(), in) : 0;
    if (in != nullptr)
        std::fclose(in);
    if (got != logo.size()) {
        std::fprintf(stderr, "logo_icon: %s is not a %d x %d RGBA picture\n", argv[1], logoWidth, logoHeight);
        return 1;
    }
    // Rows stay bottom first here; the PNG writer turns them over.
    std::vector<unsigned char> icon(size_t(iconSide) * iconSide * channels, 0);
    const int left = (iconSide - logoWidth) / 2, bottom = (iconSide - logoHeight) / 2;
    for (int y = 0; y < logoHeight; ++y)
        std::copy_n(&logo[size_t(y) * logoWidth * channels], logoWidth * channels,
                    &icon[(size_t(bottom + y) * iconSide + left) * channels]);
    std::string message;
    if (!writePng(argv[2], PixelImage{iconSide, iconSide, channels, icon.data(), true}, message)) {
        std::fprintf(stderr, "logo_icon: %s\n", message.c_str());
        return 1;
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    return guardProgram("logo_icon", [&] { return makeIcon(argc, argv); });
}
