// The Python module's work on every core: a loop split into pieces that
// the cores' threads take in turn, stopped by Ctrl-C within a fraction of
// a second.
#ifndef PALEOVIZ_PYTHON_PARALLEL_H
#define PALEOVIZ_PYTHON_PARALLEL_H

#include <pybind11/pybind11.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstddef>
#include <thread>
#include <vector>

namespace pymodule {

// How often the calling thread looks for a signal (Ctrl-C) during a call.
constexpr auto signalInterval = std::chrono::milliseconds(100);

// f(begin, end) over 0..n in pieces of `grain`, taken by whichever of the
// cores' threads is free. f must not throw. Called without the GIL: between
// its pieces the calling thread takes the GIL for a moment, at most every
// signalInterval, to run Python's signal handlers, so that Ctrl-C stops a
// long call within a fraction of a second (raising KeyboardInterrupt).
template <class F>
void parallelFor(size_t n, size_t grain, F&& f)
{
    const size_t pieces = (n + grain - 1) / grain;
    const size_t cores = std::max(1u, std::thread::hardware_concurrency());
    const size_t threads = std::min(cores, pieces);
    std::atomic<size_t> next{0};
    std::atomic<bool> stop{false};
    const auto work = [&](bool caller) {
        auto lastCheck = std::chrono::steady_clock::now();
        for (size_t p = next.fetch_add(1); p < pieces && !stop; p = next.fetch_add(1)) {
            f(p * grain, std::min(n, (p + 1) * grain));
            if (!caller || std::chrono::steady_clock::now() - lastCheck < signalInterval)
                continue;
            lastCheck = std::chrono::steady_clock::now();
            pybind11::gil_scoped_acquire hold;
            if (PyErr_CheckSignals() != 0)
                stop = true;
        }
    };
    std::vector<std::thread> helpers;
    for (size_t k = 1; k < threads; ++k)
        helpers.emplace_back(work, false);
    work(true);
    for (std::thread& t : helpers)
        t.join();
    if (stop) {
        pybind11::gil_scoped_acquire hold;
        throw pybind11::error_already_set();
    }
}

}  // namespace pymodule

#endif
