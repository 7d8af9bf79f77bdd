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
#include "orbit/la2004_records.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

using math::radiansPerDegree;

namespace {

struct Worst {
    double z = 0, e = 0, index = 0, obliquity = 0;  // obliquity in degrees
};

}  // namespace

int main()
{
    using orbit::la2004Records;
    std::vector<double> x, y, obliquity;
    for (int i = 0; i < orbit::la2004RecordCount; i += 2) {
        const orbit::La2004Record& r = la2004Records[i];
        x.push_back(r.eccentricity * std::cos(r.perihelion));
        y.push_back(r.eccentricity * std::sin(r.perihelion));
        obliquity.push_back(r.obliquity / radiansPerDegree);
    }
    const orbit::UniformCubicSpline sx(orbit::la2004OldestKyr, 2.0, x);
    const orbit::UniformCubicSpline sy(orbit::la2004OldestKyr, 2.0, y);
    const orbit::UniformCubicSpline so(orbit::la2004OldestKyr, 2.0, obliquity);
    Worst all, recent;
    for (int i = 1; i < orbit::la2004RecordCount; i += 2) {
        const orbit::La2004Record& r = la2004Records[i];
        const double t = orbit::la2004OldestKyr + i;
        const double px = sx(t), py = sy(t);
        const double rx = r.eccentricity * std::cos(r.perihelion);
        const double ry = r.eccentricity * std::sin(r.perihelion);
        for (Worst* w : {&all, t <= 0 && t >= -5799 ? &recent : nullptr}) {
            if (w == nullptr)
                continue;
            w->z = std::max(w->z, std::hypot(px - rx, py - ry));
            w->e = std::max(w->e, std::fabs(std::hypot(px, py) - r.eccentricity));
            w->index = std::max(w->index, std::fabs(py - ry));
            w->obliquity = std::max(w->obliquity, std::fabs(so(t) - r.obliquity / radiansPerDegree));
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
