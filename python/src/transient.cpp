// A day whose queue carries over (transient/day.h) for the Python layer
// (corvane/_day.py): plan_day takes the day's calls and perhaps a schedule
// as float64 arrays, the options as numbers and the words as their enums'
// values, and gives the figures as arrays and the day's totals, or the
// room's refusals as fields for the layer to word. The day is planned with
// the GIL released; Ctrl-C stops it, looked for a few times a second.
#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include "transient/day.h"

#include <chrono>
#include <cmath>
#include <optional>
#include <string>
#include <vector>

namespace py = pybind11;

namespace {

using Doubles = py::array_t<double, py::array::c_style | py::array::forcecast>;

std::vector<double> Values(const Doubles& array) {
    return {array.data(), array.data() + array.size()};
}

// A refusal as the layer words it: the keyword, the interval (-1 for the
// day), the value (None where none is at fault), what it must be, and the
// room's own message.
py::tuple Refusal(const transient::DayError& e) {
    const py::object value = std::isnan(e.value()) ? py::none() : py::object(py::float_(e.value()));
    return py::make_tuple(std::string(e.about().keyword), e.interval(), value, e.rule(), e.what());
}

py::dict Refused(const std::vector<transient::DayError>& errors) {
    py::list refusals;
    for (const transient::DayError& e : errors) {
        refusals.append(Refusal(e));
    }
    py::dict out;
    out["refusals"] = refusals;
    return out;
}

py::dict PlanDay(const Doubles& calls, const std::optional<Doubles>& agents, double interval,
                 double aht, double patience, double lines, double targetTime,
                 std::optional<double> serviceLevel, std::optional<double> averageWait,
                 double shrinkage, double maxOccupancy, int method, int start) {
    transient::DayInput in;
    in.calls = Values(calls);
    if (agents) {
        in.agents = Values(*agents);
    }
    in.model = {interval, aht, patience, lines};
    in.targets.targetTimeSeconds = targetTime;
    in.targets.serviceLevel = serviceLevel;
    in.targets.averageWaitSeconds = averageWait;
    in.targets.shrinkage = shrinkage;
    in.targets.maxOccupancy = maxOccupancy;
    const auto chosenMethod = teletraffic::ChoiceFromValue<transient::Method>(method);
    const auto chosenStart = teletraffic::ChoiceFromValue<transient::Start>(start);
    if (!chosenMethod || !chosenStart) {
        throw py::value_error("plan_day: method or start is not one of its choice's values");
    }
    in.method = *chosenMethod;
    in.start = *chosenStart;
    if (const auto refused = transient::Refusals(in); !refused.empty()) {
        return Refused(refused);
    }

    // Ctrl-C: the signal is seen by the interpreter's own thread, a few
    // times a second, so that the steps are not slowed by the GIL.
    using Clock = std::chrono::steady_clock;
    Clock::time_point next = Clock::now();
    bool interrupted = false;
    transient::Monitor monitor;
    monitor.cancelled = [&] {
        if (interrupted || Clock::now() < next) {
            return interrupted;
        }
        next = Clock::now() + std::chrono::milliseconds(200);
        const py::gil_scoped_acquire gil;
        interrupted = PyErr_CheckSignals() != 0;
        return interrupted;
    };
    transient::DayResult result;
    try {
        const py::gil_scoped_release released;
        result = transient::PlanDay(in, monitor);
    } catch (const transient::DayError& e) {
        return Refused({e});
    }
    if (interrupted) {
        throw py::error_already_set();
    }

    const auto count = static_cast<py::ssize_t>(result.intervals.size());
    py::dict out;
    for (const transient::FigureInfo& info : transient::Figures()) {
        py::array column = info.count ? py::array(py::array_t<std::int64_t>(count))
                                      : py::array(py::array_t<double>(count));
        for (py::ssize_t i = 0; i < count; ++i) {
            const double value =
                transient::FigureValue(result.intervals[static_cast<std::size_t>(i)], info.figure);
            if (info.count) {
                static_cast<std::int64_t*>(column.mutable_data())[i] =
                    static_cast<std::int64_t>(value);
            } else {
                static_cast<double*>(column.mutable_data())[i] = value;
            }
        }
        out[info.snake] = column;
    }
    py::list errors;
    for (const transient::IntervalFigures& f : result.intervals) {
        errors.append(f.error);
    }
    out["error"] = errors;
    out["phone_hours"] = result.totals.phoneHours;
    out["scheduled_hours"] = result.totals.scheduledHours;
    out["day_service_level"] = result.totals.serviceLevel;
    out["missed"] = result.totals.missed;
    out["periodic_days"] = result.periodicDays;
    return out;
}

} // namespace

void AddDay(py::module_& m) {
    py::list figures;
    for (const transient::FigureInfo& info : transient::Figures()) {
        figures.append(py::make_tuple(info.snake, info.count));
    }
    m.attr("day_figures") = figures;
    m.def("plan_day", &PlanDay,
          "The day of transient/day.h: its figures as arrays and the day's totals, or "
          "{'refusals': [(keyword, interval, value, rule, message), ...]}. Use it through "
          "corvane.day.",
          py::arg("calls"), py::arg("agents"), py::arg("interval"), py::arg("aht"),
          py::arg("patience"), py::arg("lines"), py::arg("target_time"), py::arg("service_level"),
          py::arg("average_wait"), py::arg("shrinkage"), py::arg("max_occupancy"),
          py::arg("method"), py::arg("start"));
}
