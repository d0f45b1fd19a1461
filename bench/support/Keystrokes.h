#pragma once

#include <functional>

class QWidget;

namespace zelta::bench {

// What typing costs in a list window's search box.
struct KeystrokeFigures {
    double wallMean = 0; // milliseconds the user waits, on average
    double cpuMean = 0;  // processor time of this program, on average
    double cpuWorst = 0; // the slowest keystroke, in processor time
};

// Types the first eight letters of 40 names spread over the alphabet into box,
// one key at a time; clear() empties the box before each name, and paint()
// brings the window up to date after each key (it is timed with the key).
// Wall time on a shared machine includes time given to other programs, so the
// processor time of this program is kept beside it; each figure is the best
// of three runs.
KeystrokeFigures measureKeystrokes(QWidget* box, const std::function<void()>& clear, const std::function<void()>& paint);

// Milliseconds of processor time this program spends in fn.
double cpuMs(const std::function<void()>& fn);

} // namespace zelta::bench
