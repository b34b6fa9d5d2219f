#include "BenchFigures.h"

#include <cstdio>
#include <unistd.h>

namespace benchfigures {

namespace {

// Passes every run on to the console and keeps the median of each benchmark (the run itself when
// it ran once).
class MedianReporter : public benchmark::ConsoleReporter {
public:
    // Colours only on a terminal: the figure lines are read by a script.
    MedianReporter() : ConsoleReporter(::isatty(STDOUT_FILENO) ? OO_ColorTabular : OO_Tabular) {}

    void ReportRuns(const std::vector<Run> &runs) override
    {
        ConsoleReporter::ReportRuns(runs);
        for (const Run &run : runs) {
            if (run.error_occurred)
                continue;
            if (run.run_type == Run::RT_Iteration ? run.repetitions <= 1 : run.aggregate_name == "median")
                medians_[run.run_name.function_name] = run;
        }
    }

    // Seconds for a time, the counter's value otherwise; nothing when the benchmark did not run.
    std::optional<double> measure(const Quantity &quantity) const
    {
        const auto found = medians_.find(quantity.benchmark);
        if (found == medians_.end())
            return std::nullopt;
        const Run &run = found->second;
        if (quantity.counter.empty()) {
            const double time = quantity.cpu ? run.GetAdjustedCPUTime() : run.GetAdjustedRealTime();
            return time / benchmark::GetTimeUnitMultiplier(run.time_unit);
        }
        const auto counter = run.counters.find(quantity.counter);
        if (counter == run.counters.end())
            return std::nullopt;
        return quantity.secondsPerUnit > 0 ? counter->second.value * quantity.secondsPerUnit : counter->second.value;
    }

private:
    std::map<std::string, Run> medians_;
};

std::string number(const char *format, double value)
{
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, format, value);
    return buffer;
}

std::string valueText(const Quantity &quantity, std::optional<double> value)
{
    if (!value)
        return "not measured";
    if (!quantity.counter.empty() && quantity.secondsPerUnit == 0)
        return number(*value >= 1000 ? "%.0f " : "%.3g ", *value) + quantity.unit;
    if (*value < 1e-6)
        return number("%.3g ns", *value * 1e9);
    if (*value < 1e-3)
        return number("%.3g us", *value * 1e6);
    if (*value < 1)
        return number("%.3g ms", *value * 1e3);
    return number("%.3g s", *value);
}

bool reaches(const Goal &goal, double measured)
{
    return goal.atMost ? measured <= goal.bound : measured >= goal.bound;
}

void print(const MedianReporter &reporter, const Figure &figure)
{
    const std::optional<double> value = reporter.measure(figure.value);
    std::string reference = "-", ratio = "-", goal = "-", verdict = "-";
    std::optional<double> measured = figure.goal && figure.goal->onValue ? value : std::nullopt;
    if (!figure.referenceName.empty()) {
        const std::optional<double> base = reporter.measure(figure.reference);
        reference = valueText(figure.reference, base);
        if (value && base && *base != 0) {
            ratio = number("%.3g", *value / *base);
            if (figure.goal && !figure.goal->onValue)
                measured = *value / *base;
        }
    }
    if (figure.goal) {
        goal = number(figure.goal->atMost ? "<= %g" : ">= %g", figure.goal->bound);
        if (figure.goal->onValue)
            goal += " " + figure.value.unit;
        if (measured)
            verdict = reaches(*figure.goal, *measured) ? "met" : "missed";
    }
    std::printf("figure\t%s\t%s\t%s\t%s\t%s\t%s\t%s\n", figure.name.c_str(), valueText(figure.value, value).c_str(),
                figure.referenceName.empty() ? "-" : figure.referenceName.c_str(), reference.c_str(), ratio.c_str(),
                goal.c_str(), verdict.c_str());
}

}  // namespace

int run(int argc, char **argv, const std::vector<Figure> &figures, Order order)
{
    std::vector<char *> args(argv, argv + argc);
    std::string interleave = "--benchmark_enable_random_interleaving=true";
    if (order == Order::Interleaved)
        args.insert(args.begin() + 1, interleave.data());
    int count = static_cast<int>(args.size());
    benchmark::Initialize(&count, args.data());
    if (benchmark::ReportUnrecognizedArguments(count, args.data()))
        return 1;
    MedianReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    std::fflush(stdout);
    for (const Figure &figure : figures)
        print(reporter, figure);
    benchmark::Shutdown();
    return 0;
}

}  // namespace benchfigures
