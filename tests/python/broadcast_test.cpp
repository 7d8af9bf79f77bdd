// NumPy's broadcasting as the Python module's calls lay out their results:
// shapes, steps, the refusal message, the walk in C order and the layout
// around a latitude axis.
#include "python/broadcast.h"

#include <gtest/gtest.h>

#include <stdexcept>

using pymodule::Layout;
using pymodule::Shape;

namespace {

struct Case {
    std::vector<Shape> shapes;
    Shape shape;
    std::vector<std::vector<size_t>> steps;
    long latitudeAxis;  // argument 1 the latitudes
};

const Case cases[] = {
    {{{}, {3}}, {3}, {{0}, {1}}, 0},                                     // a scalar with an array
    {{{3, 1}, {4}}, {3, 4}, {{1, 0}, {0, 1}}, 1},                        // (3,1) with (4,)
    {{{2, 1, 5}, {3, 1}}, {2, 3, 5}, {{5, 0, 1}, {0, 1, 0}}, 1},         // aligned on the last axes
    {{{0, 1}, {3}}, {0, 3}, {{1, 0}, {0, 1}}, 1},                        // a zero-length axis
    {{{2, 3}, {2, 3}}, {2, 3}, {{3, 1}, {3, 1}}, -1},                    // latitudes vary with the times
};

TEST(Broadcast, ShapesAndStepsFollowNumPy)
{
    for (const Case& c : cases) {
        const Layout l = pymodule::broadcast(c.shapes, {"time_kyr", "lat_deg"});
        EXPECT_EQ(l.shape, c.shape);
        EXPECT_EQ(l.steps, c.steps);
        EXPECT_EQ(pymodule::latitudeAxis(l, 1), c.latitudeAxis);
    }
}

TEST(Broadcast, RefusalNamesEveryArgumentsShape)
{
    try {
        pymodule::broadcast({{2, 3}, {4}, {}}, {"time_kyr", "lat_deg", "hour"});
        FAIL() << "no refusal";
    } catch (const std::invalid_argument& e) {
        EXPECT_STREQ(e.what(), "shapes cannot be broadcast together: time_kyr (2, 3) lat_deg (4,) hour ()");
    }
}

TEST(Broadcast, VisitWalksInCOrderFromAnyElement)
{
    const Layout l = pymodule::broadcast({{2, 1}, {3}}, {"a", "b"});
    std::vector<std::vector<size_t>> seen;
    pymodule::visit(l, 2, 6, [&](size_t flat, const size_t* offsets) {
        seen.push_back({flat, offsets[0], offsets[1]});
    });
    EXPECT_EQ(seen, (std::vector<std::vector<size_t>>{{2, 0, 2}, {3, 1, 0}, {4, 1, 1}, {5, 1, 2}}));
}

TEST(Broadcast, OuterLayoutLeavesOutTheLatitudeAxis)
{
    const Layout l = pymodule::broadcast({{2, 1, 1}, {3, 1}, {4}}, {"time_kyr", "lat_deg", "lon_deg"});
    size_t stride = 0;
    const Layout outer = pymodule::outerLayout(l, 1, stride);
    EXPECT_EQ(stride, 4u);
    EXPECT_EQ(outer.shape, (Shape{2, 4}));
    EXPECT_EQ(outer.size, 8u);
    // The arguments' steps, then the result's own.
    EXPECT_EQ(outer.steps, (std::vector<std::vector<size_t>>{{1, 0}, {0, 0}, {0, 1}, {12, 1}}));
}

}  // namespace
