#include "insolation/latitude_integrals.h"
#include "math/constants.h"

#include <algorithm>
#include <cmath>

namespace insolation {

void energiesBetween(const Orbit& orbit, double solarConstant, const LatitudeGrid& grid, double lambda1,
                     double lambda2, double* out, std::vector<double>& row)
{
    const double arc = forwardArc(lambda1, lambda2);
    int n = static_cast<int>(std::ceil(arc / longitudeStep));
    n += n % 2;
    const double h = arc / n;
    row.resize(grid.size());
    std::fill(out, out + grid.size(), 0.0);
    for (int i = 0; i <= n; ++i) {
        const double lambda = i == n ? lambda1 + arc : lambda1 + i * h;
        DayGeometry day = dayGeometry(orbit, solarConstant, lambda);
        // Scale 1: the kernel gives the cosine sum itself, whose integral
        // over true longitude the distance does not enter (Kepler's second law).
        day.scale = 1.0;
        grid.dailyMeans(day, row.data());
        const double weight = (i == 0 || i == n) ? 1.0 : (i % 2 == 1 ? 4.0 : 2.0);
        for (size_t k = 0; k < row.size(); ++k)
            out[k] += weight * row[k];
    }
    const double e = orbit.eccentricity;
    const double year = yearDays * secondsPerDay;
    const double perRadian = solarConstant * year / (2.0 * math::pi * math::pi * std::sqrt(1.0 - e * e));
    for (size_t k = 0; k < row.size(); ++k)
        out[k] *= perRadian * h / 3.0;
}

}  // namespace insolation
