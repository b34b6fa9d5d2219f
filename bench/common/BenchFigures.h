#pragma once

#include <benchmark/benchmark.h>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

// The figures a benchmark program reports: each one measurement beside a reference measured in the
// same run (the machines are shared and absolute times swing; the ratios hold), with its goal.
namespace benchfigures {

// One quantity of a benchmark as registered: its time per iteration, or one of its counters.
struct Quantity {
    std::string benchmark;
    std::string counter;        // empty: time per iteration
    bool cpu = false;           // CPU time instead of wall-clock time
    std::string unit;           // printed after a counter's value
    double secondsPerUnit = 0;  // a counter that is a time: seconds per unit of it
};

inline Quantity wallTime(std::string benchmark)
{
    return {std::move(benchmark), {}, false, {}, 0};
}
inline Quantity cpuTime(std::string benchmark)
{
    return {std::move(benchmark), {}, true, {}, 0};
}
inline Quantity counter(std::string benchmark, std::string name, std::string unit)
{
    return {std::move(benchmark), std::move(name), false, std::move(unit), 0};
}
// A counter that holds a time, compared with times.
inline Quantity timeCounter(std::string benchmark, std::string name, double secondsPerUnit)
{
    return {std::move(benchmark), std::move(name), false, {}, secondsPerUnit};
}

// A bound on the ratio of a figure to its reference, or on the figure itself.
struct Goal {
    bool atMost;  // the bound must not be exceeded; else it must be reached
    double bound;
    bool onValue = false;
};
inline Goal atMost(double ratio)
{
    return {true, ratio};
}
inline Goal atLeast(double ratio)
{
    return {false, ratio};
}
inline Goal valueAtMost(double bound)
{
    return {true, bound, true};
}

struct Figure {
    std::string name;
    Quantity value;
    std::string referenceName;  // empty: a figure without reference
    Quantity reference;
    std::optional<Goal> goal;
};

// How the repetitions of the benchmarks run: in the order registered, or shuffled across all
// benchmarks, so that a figure and its reference see the same load (for programs whose benchmarks
// do not depend on one another's order).
enum class Order { AsRegistered, Interleaved };

// Runs the registered benchmarks (flags on the command line apply), then prints one tab-separated
// line per figure from the medians: "figure", name, value, reference name, reference value, ratio,
// goal and "met" or "missed" ("-" where there is no reference or goal). A goal on the value
// itself is shown with the value's unit.
int run(int argc, char **argv, const std::vector<Figure> &figures, Order order = Order::AsRegistered);

}  // namespace benchfigures
