// The two ways the Python module computes a quantity over a broadcast call,
// on every core without the GIL: element by element, or a whole row of
// latitudes at a time through the grid kernel when the latitudes vary along
// one axis of the result and nothing else does (as the tool's grids).
//
// In both, args[0] is the rows' (time or orbit) argument and args[1] the
// latitudes where there are any; each output holds `trailing` values per
// element (12 for monthly means).
#ifndef PALEOVIZ_PYTHON_COMPUTE_H
#define PALEOVIZ_PYTHON_COMPUTE_H

#include "binding.h"
#include "parallel.h"

#include <vector>

namespace pymodule {

// The quantities computed element by element: the kernel gets the
// element's orbit, the other arguments' values (values[a] for args[a],
// a >= 1) and one pointer per output (to `trailing` values each).
template <class Kernel>
std::vector<py::array_t<double>> elementwise(const OrbitRows& rows, const std::vector<const Argument*>& args,
                                             size_t outputs, size_t trailing, size_t grain, Kernel kernel)
{
    const Layout layout = broadcast(args);
    std::vector<double*> data;
    std::vector<py::array_t<double>> out = outputArrays(layout, outputs, trailing, data);
    py::gil_scoped_release release;
    parallelFor(layout.size, grain, [&](size_t begin, size_t end) {
        std::vector<double> values(args.size());
        std::vector<double*> at(outputs);
        visit(layout, begin, end, [&](size_t flat, const size_t* offsets) {
            for (size_t a = 1; a < args.size(); ++a)
                values[a] = args[a]->data()[offsets[a]];
            for (size_t k = 0; k < outputs; ++k)
                at[k] = data[k] + flat * trailing;
            kernel(rows.orbits[offsets[0]], values.data(), at.data());
        });
    });
    return out;
}

// The quantities computed a whole row of latitudes at a time (the grid
// kernel), when the latitudes (args[1]) vary along one axis longer than 1
// and nothing else does; otherwise none (empty). fill(orbit, values, grid,
// row, scratch) writes latitude k's outputs to row[k * outputs * trailing
// + output * trailing + m]; values[a] holds args[a] for a >= 2.
template <class Fill>
std::vector<py::array_t<double>> latitudeWise(const OrbitRows& rows, const std::vector<const Argument*>& args,
                                              size_t outputs, size_t trailing, Fill fill)
{
    const Layout layout = broadcast(args);
    const long found = latitudeAxis(layout, 1);
    if (found < 0 || layout.shape[static_cast<size_t>(found)] < 2)
        return {};
    const size_t axis = static_cast<size_t>(found);
    const insolation::LatitudeGrid grid = latitudeGridOf(layout, *args[1], axis);
    size_t stride = 1;
    const Layout outer = outerLayout(layout, axis, stride);
    std::vector<double*> data;
    std::vector<py::array_t<double>> out = outputArrays(layout, outputs, trailing, data);
    const size_t width = outputs * trailing;
    py::gil_scoped_release release;
    parallelFor(outer.size, 1, [&](size_t begin, size_t end) {
        std::vector<double> values(args.size()), row(grid.size() * width);
        insolation::GridScratch scratch;
        visit(outer, begin, end, [&](size_t, const size_t* offsets) {
            for (size_t a = 2; a < args.size(); ++a)
                values[a] = args[a]->data()[offsets[a]];
            fill(rows.orbits[offsets[0]], values.data(), grid, row.data(), scratch);
            const size_t base = offsets[args.size()];
            for (size_t k = 0; k < grid.size(); ++k)
                for (size_t v = 0; v < width; ++v)
                    data[v / trailing][(base + k * stride) * trailing + v % trailing] = row[k * width + v];
        });
    });
    return out;
}

}  // namespace pymodule

#endif
