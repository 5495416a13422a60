// The room's solve for Python: the requirements as their starts' texts and
// values, the templates as JSON text, the options by keyword through the
// room's table (SetOption, SetWord: each refused by its rule). The solve runs
// as a SolveJob while this thread, the GIL released, waits in steps of 20 ms
// and looks for a signal between them: a Ctrl-C cancels the job and raises
// KeyboardInterrupt once it has stopped. The answer goes back as plain lists,
// and a refusal as a dict naming its kind, which corvane/_shifts.py raises
// as the module's exceptions.
#include "python/src/shifts.h"

#include <pybind11/stl.h>

#include "shifts/options.h"
#include "shifts/schedule.h"
#include "teletraffic/error.h"

#include <chrono>
#include <cmath>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace corvane_python {
namespace {

namespace py = pybind11;
namespace tt = teletraffic;

py::dict Refusal(const char* kind, const std::string& message) {
    py::dict d;
    d["error"] = kind;
    d["message"] = message;
    return d;
}

// The option `keyword` set to `value`: a word, a flag or a number.
void Apply(shifts::Settings& settings, const std::string& keyword, const py::handle& value) {
    const shifts::OptionUse* use = shifts::OptionByKeyword(keyword);
    if (use == nullptr) {
        throw py::type_error("shifts() got an unexpected keyword argument '" + keyword + "'");
    }
    const tt::ArgumentInfo& about = *use->argument;
    if (use->Choice() != nullptr) {
        if (!py::isinstance<py::str>(value)) {
            throw py::type_error(keyword + " must be a word, not " +
                                 std::string(py::str(value.get_type().attr("__name__"))));
        }
        shifts::SetWord(settings, about, value.cast<std::string>());
    } else if (use->IsFlag()) {
        if (!PyBool_Check(value.ptr())) {
            throw py::type_error(keyword + " must be True or False");
        }
        shifts::SetOption(settings, about, value.ptr() == Py_True ? 1 : 0);
    } else {
        if (PyBool_Check(value.ptr()) || !PyNumber_Check(value.ptr()) ||
            py::isinstance<py::str>(value)) {
            throw py::type_error(keyword + " must be a number, not " +
                                 std::string(py::str(value.get_type().attr("__name__"))));
        }
        shifts::SetOption(settings, about, py::float_(py::reinterpret_borrow<py::object>(value)));
    }
}

py::dict Answer(const shifts::Problem& problem, const shifts::Schedule& s) {
    const bool service = problem.settings.objective == shifts::Objective::Service;
    py::dict d;
    const shifts::Summary& sum = s.summary;
    d["status"] = sum.status == shifts::Status::Optimal ? "optimal" : "feasible";
    d["gap"] = sum.gap;
    d["cost"] = sum.cost;
    d["agents"] = sum.agents;
    d["paid_hours"] = sum.paidHours;
    d["short_periods"] = sum.shortPeriods;
    d["short"] = sum.agentPeriodsShort;
    d["service_level"] = sum.serviceLevel;
    d["seconds"] = sum.seconds;
    py::list shift, start, end, breaks, agents;
    for (const shifts::Group& g : s.groups) {
        shift.append(g.shift);
        start.append(s.horizon.Label(g.start));
        end.append(s.horizon.Label(g.start + g.length));
        breaks.append(shifts::BreaksText(s.horizon, g));
        agents.append(g.agents);
    }
    d["shifts"] = py::dict(py::arg("shift") = shift, py::arg("start") = start, py::arg("end") = end,
                           py::arg("breaks") = breaks, py::arg("agents") = agents);
    py::list periods, need, phones, onBreak, over, shortBy, level;
    for (const shifts::PeriodCoverage& c : s.coverage) {
        periods.append(s.horizon.Label(c.start));
        need.append(service ? c.calls : c.required);
        phones.append(c.onPhones);
        onBreak.append(c.onBreak);
        over.append(c.over);
        shortBy.append(c.shortBy);
        level.append(c.serviceLevel);
    }
    py::dict coverage;
    coverage["start"] = periods;
    coverage[service ? "calls" : "required"] = need;
    coverage["on_phones"] = phones;
    coverage["on_break"] = onBreak;
    coverage["over"] = over;
    coverage["short"] = shortBy;
    if (service) {
        coverage["service_level"] = level;
    }
    d["coverage"] = coverage;
    return d;
}

py::dict Solve(const std::vector<std::string>& starts, const std::vector<double>& values,
               const std::string& templates, const std::string& templatesName,
               const py::dict& options) {
    shifts::Problem problem;
    try {
        for (const auto& [key, value] : options) {
            if (!value.is_none()) {
                Apply(problem.settings, py::str(key), value);
            }
        }
        shifts::CheckSettings(problem.settings);
        problem.requirements =
            shifts::RequirementsFrom(starts, values, problem.settings.Source("requirements"));
        problem.templates = shifts::ReadTemplates(templates, templatesName);
        problem.templatesName = templatesName;
    } catch (const tt::DomainError& e) {
        py::dict d = Refusal("domain", std::string(e.about().keyword) + " must be " + e.rule() +
                                           ", got " + tt::ShowNumber(e.value()));
        d["keyword"] = std::string(e.about().keyword);
        d["value"] = e.value();
        d["rule"] = e.rule();
        return d;
    } catch (const shifts::OptionError& e) {
        const std::string keyword(e.argument().keyword);
        const shifts::OptionUse* use = shifts::OptionOf(e.argument());
        const bool cover = use != nullptr && use->objective == shifts::For::Cover;
        return Refusal("value", e.kind() == shifts::OptionError::Kind::Required
                                    ? "shifts() needs " + keyword + "= with objective='" +
                                          std::string(e.objective()) + "'"
                                    : "shifts() takes " + keyword + "= only with objective='" +
                                          (cover ? "cover" : "service") + "'");
    } catch (const shifts::InputError& e) {
        return Refusal("value", e.what());
    }
    std::optional<shifts::SolveJob> job;
    job.emplace(problem);
    for (;;) {
        {
            py::gil_scoped_release released;
            for (int i = 0; i < 5 && !job->Done(); ++i) {
                std::this_thread::sleep_for(std::chrono::milliseconds(20));
            }
        }
        if (job->Done()) {
            break;
        }
        if (PyErr_CheckSignals() != 0) {
            {
                py::gil_scoped_release released;
                job.reset(); // cancels, and waits for the solve to stop
            }
            // The handler's KeyboardInterrupt, once nothing runs on.
            throw py::error_already_set();
        }
    }
    try {
        const shifts::Schedule schedule = job->Get();
        return Answer(problem, schedule);
    } catch (const shifts::InputError& e) {
        return Refusal("value", e.what());
    } catch (const shifts::NoSchedule& e) {
        return Refusal("no_schedule", e.what());
    }
}

} // namespace

void AddShifts(py::module_& m) {
    m.def("solve_shifts", &Solve,
          "The room's solve: starts (texts), values, templates (JSON text) and their name in "
          "messages, options by keyword; a dict of the answer, or of the refusal ('error').",
          py::arg("starts"), py::arg("values"), py::arg("templates"), py::arg("templates_name"),
          py::arg("options"));
    // The options as the keywords take them: keyword, objective ('both',
    // 'cover', 'service'), whether it needs them, the default in words, the
    // kind ('word', 'flag', 'number'), the rule's words and its domain.
    py::list options;
    for (const shifts::OptionUse& use : shifts::kOptions) {
        const char* objective = use.objective == shifts::For::Both    ? "both"
                                : use.objective == shifts::For::Cover ? "cover"
                                                                      : "service";
        const char* kind = use.Choice() != nullptr ? "word" : use.IsFlag() ? "flag" : "number";
        const tt::Domain& d = use.rule->domain;
        options.append(
            py::make_tuple(std::string(use.argument->keyword), objective, use.required,
                           std::string(use.defaultText), kind, std::string(use.rule->text),
                           py::make_tuple(d.min, d.max, d.minOpen, d.maxOpen, d.whole, d.none)));
    }
    m.attr("shift_options") = options;
}

} // namespace corvane_python
