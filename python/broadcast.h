// NumPy's broadcasting over plain shapes, for the Python module's calls:
// the shape of a call's result, each argument's step along each of its
// axes, and a walk over the result's elements in C order. Free of Python,
// so that it can be tested on its own.
//
// Shapes are lengths per axis, outermost first, as NumPy's; an argument of
// fewer axes lines up with the result's last axes. Steps count values of
// the argument itself (not bytes), 0 along an axis it is broadcast over.
#ifndef PALEOVIZ_PYTHON_BROADCAST_H
#define PALEOVIZ_PYTHON_BROADCAST_H

#include <cstddef>
#include <string>
#include <vector>

namespace pymodule {

using Shape = std::vector<size_t>;

// The shape of a call's result and, per argument, its step along each axis
// of the result in its own values (0 where it is broadcast).
struct Layout {
    Shape shape;
    std::vector<std::vector<size_t>> steps;
    size_t size = 1;  // elements of the result
};

// A shape as Python prints a tuple: "()", "(3,)", "(2, 3)".
std::string shapeText(const Shape& shape);

// The layout of arguments of these shapes (C order each). Throws
// std::invalid_argument (ValueError in Python) naming every argument's
// shape when two lengths of one axis differ and neither is 1.
// REQUIRES: names.size() == shapes.size().
Layout broadcast(const std::vector<Shape>& shapes, const std::vector<std::string>& names);

// Calls f(flat, offsets) for the result's elements begin..end in C order,
// offsets[a] being argument a's value for the element.
template <class F>
void visit(const Layout& l, size_t begin, size_t end, F&& f)
{
    const size_t ndim = l.shape.size(), nargs = l.steps.size();
    std::vector<size_t> index(ndim), offsets(nargs, 0);
    size_t rest = begin;
    for (size_t k = ndim; k-- > 0;) {
        index[k] = rest % l.shape[k];
        rest /= l.shape[k];
        for (size_t a = 0; a < nargs; ++a)
            offsets[a] += index[k] * l.steps[a][k];
    }
    for (size_t flat = begin; flat < end; ++flat) {
        f(flat, offsets.data());
        for (size_t k = ndim; k-- > 0;) {
            for (size_t a = 0; a < nargs; ++a)
                offsets[a] += l.steps[a][k];
            if (++index[k] < l.shape[k])
                break;
            for (size_t a = 0; a < nargs; ++a)
                offsets[a] -= l.steps[a][k] * l.shape[k];
            index[k] = 0;
        }
    }
}

// The axes of `layout` other than `axis`, with the result's own steps as
// one more argument (the last); stride: the result's step along `axis`.
Layout outerLayout(const Layout& layout, size_t axis, size_t& stride);

// The one axis along which argument `varying` (the latitudes) changes and
// no other argument does, or -1 when it changes along none or several, or
// another argument changes with it.
long latitudeAxis(const Layout& layout, size_t varying);

}  // namespace pymodule

#endif
