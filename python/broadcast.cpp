#include "broadcast.h"

#include <algorithm>
#include <stdexcept>

namespace pymodule {

std::string shapeText(const Shape& shape)
{
    std::string text = "(";
    for (size_t k = 0; k < shape.size(); ++k)
        text += (k ? ", " : "") + std::to_string(shape[k]);
    return text + (shape.size() == 1 ? ",)" : ")");
}

namespace {

// The result's shape: each axis the length of the arguments that are not
// 1 along it.
Shape broadcastShape(const std::vector<Shape>& shapes, const std::vector<std::string>& names)
{
    size_t ndim = 0;
    for (const Shape& s : shapes)
        ndim = std::max(ndim, s.size());
    Shape shape(ndim, 1);
    for (const Shape& s : shapes) {
        const size_t offset = ndim - s.size();
        for (size_t k = 0; k < s.size(); ++k) {
            size_t& length = shape[offset + k];
            if (s[k] != length && s[k] != 1 && length != 1) {
                std::string message = "shapes cannot be broadcast together:";
                for (size_t a = 0; a < shapes.size(); ++a)
                    message += " " + names[a] + " " + shapeText(shapes[a]);
                throw std::invalid_argument(message);
            }
            if (s[k] != 1)
                length = s[k];
        }
    }
    return shape;
}

// An argument's steps along the result's ndim axes, C order.
std::vector<size_t> stepsOf(const Shape& s, size_t ndim)
{
    std::vector<size_t> steps(ndim, 0);
    const size_t offset = ndim - s.size();
    size_t step = 1;
    for (size_t k = s.size(); k-- > 0;) {
        steps[offset + k] = s[k] == 1 ? 0 : step;
        step *= s[k];
    }
    return steps;
}

}  // namespace

Layout broadcast(const std::vector<Shape>& shapes, const std::vector<std::string>& names)
{
    Layout l;
    l.shape = broadcastShape(shapes, names);
    for (const Shape& s : shapes)
        l.steps.push_back(stepsOf(s, l.shape.size()));
    for (size_t n : l.shape)
        l.size *= n;
    return l;
}

Layout outerLayout(const Layout& layout, size_t axis, size_t& stride)
{
    const size_t nargs = layout.steps.size();
    Layout outer;
    outer.steps.resize(nargs + 1);
    size_t resultStep = 1;
    std::vector<size_t> resultSteps(layout.shape.size());
    for (size_t k = layout.shape.size(); k-- > 0;) {
        resultSteps[k] = resultStep;
        resultStep *= layout.shape[k];
    }
    for (size_t k = 0; k < layout.shape.size(); ++k) {
        if (k == axis) {
            stride = resultSteps[k];
            continue;
        }
        outer.shape.push_back(layout.shape[k]);
        for (size_t a = 0; a < nargs; ++a)
            outer.steps[a].push_back(layout.steps[a][k]);
        outer.steps[nargs].push_back(resultSteps[k]);
        outer.size *= layout.shape[k];
    }
    return outer;
}

long latitudeAxis(const Layout& layout, size_t varying)
{
    long axis = -1;
    for (size_t k = 0; k < layout.shape.size(); ++k) {
        if (layout.steps[varying][k] == 0)
            continue;
        if (axis >= 0)
            return -1;
        for (size_t a = 0; a < layout.steps.size(); ++a)
            if (a != varying && layout.steps[a][k] != 0)
                return -1;
        axis = static_cast<long>(k);
    }
    return axis;
}

}  // namespace pymodule
