// logo_image OUTPUT: writes the program's logo picture, raw RGBA bytes with
// no header, 190 x 206 pixels, bottom row first.
#include "logo_picture.h"

#include "files/atomic_output.h"
#include "files/program_guard.h"

#include <cstdio>

namespace {

int drawLogo(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: logo_image OUTPUT\n");
        return 2;
    }
    const std::vector<unsigned char> bytes = renderPicture();
    std::string message;
    if (!writeFileAtomically(argv[1], std::string(bytes.begin(), bytes.end()), message)) {
        std::fprintf(stderr, "logo_image: %s\n", message.c_str());
        return outputProblem(argv[1]).empty() ? 1 : outputRefusedStatus;
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    return guardProgram("logo_image", [&] { return drawLogo(argc, argv); });
}
