// The web layer's record of changed vertices: whatever order changes come
// in, the spans it uploads cover every one of them, and changes far apart
// stay apart, so that an upload does not carry the unchanged vertices
// between them.
#include "web/gl_layer.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

namespace {

using webgl_layer::Changes;
using webgl_layer::Span;

bool covered(const Changes& c, size_t at)
{
    for (const Span& s : c.spans)
        if (s.first <= at && at < s.end)
            return true;
    return false;
}

size_t coveredCount(const Changes& c, size_t n)
{
    size_t k = 0;
    for (size_t at = 0; at < n; ++at)
        k += covered(c, at) ? 1 : 0;
    return k;
}

}  // namespace

TEST(WebChanges, SpansCoverEveryChangeAndKeepFarChangesApart)
{
    struct Case {
        const char* what;
        std::vector<std::pair<size_t, size_t>> adds;
        size_t spans;    // how many uploads
        size_t covered;  // vertices uploaded, of the first 10000
    };
    const size_t g = Changes::gap;
    const std::vector<Case> cases = {
        {"one run of single vertices", {{0, 1}, {1, 2}, {2, 3}}, 1, 3},
        {"near ones join across a gap", {{0, 1}, {g, g + 1}}, 1, g + 1},
        {"far ones stay apart", {{0, 10}, {5000, 5010}, {9000, 9001}}, 3, 21},
        {"grown room, then a lower change", {{100, 200}, {50, 51}}, 1, 150},
        {"a lower change far below", {{5000, 6000}, {10, 11}}, 2, 1001},
    };
    for (const Case& c : cases) {
        Changes changes;
        for (const auto& [from, to] : c.adds)
            changes.add(from, to);
        for (const auto& [from, to] : c.adds)
            for (size_t at = from; at < to; ++at)
                EXPECT_TRUE(covered(changes, at)) << c.what << ": vertex " << at;
        EXPECT_EQ(changes.spans.size(), c.spans) << c.what;
        EXPECT_EQ(coveredCount(changes, 10000), c.covered) << c.what;
    }
}
