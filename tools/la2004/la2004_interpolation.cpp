// la2004_interpolation: how far the orbit library's interpolation of the
// published La2004 records may stray between them. Not-a-knot cubic splines
// in e cos(w), e sin(w) and the obliquity are built through the even
// thousands of years only (2 kyr apart) and scored at the odd ones, where
// the published value is known; the error of a cubic spline falls with the
// fourth power of the spacing, so at the library's 1 kyr spacing it is
// about a sixteenth of that. Prints the largest differences over the whole
// span and over the last 5.8 Myr.
//
//   la2004_interpolation
#include "math/constants.h"
#include "orbit/cubic_spline.h"
#include "orbit/published_tables.h"
#include "files/program_guard.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

using math::radiansPerDegree;

namespace {

struct Worst {
    double z = 0, e = 0, index = 0, obliquity = 0;  // obliquity in degrees
};

int printInterpolationErrors()
{
    // As published: angles in radians, one record per kyr from the oldest.
    const orbit::TableRecords r = orbit::loadPublishedTable(orbit::TableId::laskar2004);
    const double oldest = orbit::publishedTable(orbit::TableId::laskar2004).oldest;
    const int count = static_cast<int>(r.eccentricity.size());
    std::vector<double> x, y, obliquity;
    for (int i = 0; i < count; i += 2) {
        x.push_back(r.eccentricity[i] * std::cos(r.perihelion[i]));
        y.push_back(r.eccentricity[i] * std::sin(r.perihelion[i]));
        obliquity.push_back(r.obliquity[i] / radiansPerDegree);
    }
    const orbit::UniformCubicSpline sx(oldest, 2.0, x);
    const orbit::UniformCubicSpline sy(oldest, 2.0, y);
    const orbit::UniformCubicSpline so(oldest, 2.0, obliquity);
    Worst all, recent;
    for (int i = 1; i < count; i += 2) {
        const double t = oldest + i;
        const double px = sx(t), py = sy(t);
        const double rx = r.eccentricity[i] * std::cos(r.perihelion[i]);
        const double ry = r.eccentricity[i] * std::sin(r.perihelion[i]);
        for (Worst* w : {&all, t <= 0 && t >= -5799 ? &recent : nullptr}) {
            if (w == nullptr)
                continue;
            w->z = std::max(w->z, std::hypot(px - rx, py - ry));
            w->e = std::max(w->e, std::fabs(std::hypot(px, py) - r.eccentricity[i]));
            w->index = std::max(w->index, std::fabs(py - ry));
            w->obliquity =
                std::max(w->obliquity, std::fabs(so(t) - r.obliquity[i] / radiansPerDegree));
        }
    }
    std::printf("Not-a-knot cubic splines through the even kyr of Laskar et al. (2004), scored at the "
                "odd kyr (largest differences):\n"
                "  span                  |dz|       |de|       |d(e sin w)|  |d obliquity|\n");
    for (const auto& [name, w] : {std::pair{"-51000 to +21000 kyr", all},
                                  std::pair{"-5799 to 0 kyr      ", recent}}) {
        std::printf("  %s  %.2e   %.2e   %.2e      %.5f deg\n", name, w.z, w.e, w.index,
                    w.obliquity);
        std::printf("    at 1 kyr spacing, about 1/16 of that: |dz| %.1e, obliquity %.6f deg\n",
                    w.z / 16, w.obliquity / 16);
    }
    return 0;
}

}  // namespace

int main()
{
    return guardProgram("la2004_interpolation", printInterpolationErrors);
}
