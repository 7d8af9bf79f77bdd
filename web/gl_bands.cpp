// The globes' latitude bands drawn in one loop each (drawGlobeBand), and
// what each band was made from, so that a frame drawing a band as the
// frame before drew it finds its vertices kept and uploads nothing for it.
#include "web/gl_layer.h"

#include "web/gl_state.h"

#include "globe/earth.h"

#include <GL/gl.h>

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <vector>

namespace webgl_layer {
namespace {

// What a band's vertices were made from, and where they lie in the kept
// vertices: a band drawn from the same at the same place as in the frame
// before finds its vertices there already, and one drawn from the same rows
// in new colours finds its places.
struct BandRecord {
    const void* rows[4];
    uint32_t colours[4];
    float texCoord[2];
    int cols, stride;
    unsigned generation;
    size_t base;

    bool samePlaces(const BandRecord& o) const
    {
        return std::equal(rows, rows + 4, o.rows) && std::memcmp(texCoord, o.texCoord, sizeof texCoord) == 0 &&
               cols == o.cols && stride == o.stride && generation == o.generation && base == o.base;
    }
    bool sameColours(const BandRecord& o) const { return std::equal(colours, colours + 4, o.colours); }
};

// The bands of the frame before, in the order drawn, and of this frame so
// far. Only the frame before counts: its vertices are the ones kept, and a
// band is found at the same place in it when the frame is drawn as it was.
struct BandMemory {
    std::vector<BandRecord> previous, current;
    size_t next = 0;  // the entry of `previous` this frame's next band would match
} bands;

uint32_t packedColour(const float* rgb)
{
    const uint8_t bytes[4] = {toByte(rgb[0]), toByte(rgb[1]), toByte(rgb[2]), 255};
    uint32_t packed;
    std::memcpy(&packed, bytes, sizeof packed);
    return packed;
}

// A band's strip b0 a0 b1 a1 ...: for its vertices in order, the mesh point
// and the colour, as the per-vertex calls give them.
template <class Visit>
void walkBand(const GlobeBand& band, const uint32_t upperColours[2], const uint32_t lowerColours[2], int open,
              Visit visit)
{
    const int stride = band.stride;
    for (int k = 0; k <= open; ++k) {
        const int col = k < open ? k * stride : 0;
        visit(band.lower[col], lowerColours[isOceanSample(band.lowerElevation[col])]);
        visit(band.upper[col], upperColours[isOceanSample(band.upperElevation[col])]);
    }
}

}  // namespace

void drawGlobeBand(const GlobeBand& band)
{
    const int stride = band.stride, cols = band.cols;
    // Columns 0, stride, ... below cols - stride, then column 0 again.
    const int open = cols - stride > 0 ? (cols - stride + stride - 1) / stride : 0;
    const size_t count = 2 * static_cast<size_t>(open + 1);
    const uint32_t upperColours[2] = {packedColour(band.upperLand), packedColour(band.upperOcean)};
    const uint32_t lowerColours[2] = {packedColour(band.lowerLand), packedColour(band.lowerOcean)};
    const bool lowerOcean0 = isOceanSample(band.lowerElevation[0]);
    const float s = state.texCoord[0], t = state.texCoord[1];

    // As addQuadStripPair: joined to the segment's last strip.
    Segment& segment = surfaceSegment();
    const float* b0 = band.lower[0];
    Vertex first{b0[0], b0[1], b0[2], 0, 0, 0, 0, s, t};
    std::memcpy(&first.r, &lowerColours[lowerOcean0], sizeof lowerColours[0]);
    openStrip(segment, first);

    Frame& f = state.frame;
    const BandRecord record{{band.upper, band.lower, band.upperElevation, band.lowerElevation},
                            {upperColours[0], upperColours[1], lowerColours[0], lowerColours[1]},
                            {s, t},
                            cols,
                            stride,
                            band.generation,
                            f.used};
    const BandRecord* before = bands.next < bands.previous.size() ? &bands.previous[bands.next] : nullptr;
    const bool placesKept = before != nullptr && before->samePlaces(record) && f.used + count <= f.places.size();
    ++bands.next;
    bands.current.push_back(record);
    const size_t base = keptRoom(count);
    size_t at = base;
    if (!placesKept) {
        walkBand(band, upperColours, lowerColours, open, [&](const float* p, uint32_t colour) {
            keep(f, at++, Place{p[0], p[1], p[2], s, t}, colour);
        });
    } else if (!before->sameColours(record)) {
        // The same places in new colours: only colours are written.
        size_t first = base + count, end = base;
        walkBand(band, upperColours, lowerColours, open, [&](const float*, uint32_t colour) {
            if (f.colours[at] != colour) {
                f.colours[at] = colour;
                first = std::min(first, at);
                end = at + 1;
            }
            ++at;
        });
        if (first < end)
            f.coloursChanged.add(first, end);
    }
    f.used += count;
    segment.count += static_cast<int>(count);

    // The current colour, as the strip's last glColor3fv left it.
    glColor3fv(lowerOcean0 ? band.lowerOcean : band.lowerLand);
}

void endFrameBands()
{
    bands.previous.swap(bands.current);
    bands.current.clear();
    bands.next = 0;
}

}  // namespace webgl_layer
