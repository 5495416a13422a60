// Call records for Python: the room records/ read into its mergeable value
// with the GIL released (Ctrl-C stops a long read at its next progress
// report), the value's sum, bytes and figures as NumPy arrays; the room's
// rows, rules and words added to the registry's view the module exports.
// corvane/_records.py makes pandas objects of them and words the options.
#include "records.h"

#include "records/records.h"

#include <pybind11/numpy.h>
#include <pybind11/operators.h>
#include <pybind11/stl.h>

#include <cmath>
#include <map>
#include <string>
#include <vector>

namespace {

namespace py = pybind11;

// The option a keyword sets, as the registry's rows name it.
records::Option ByKeyword(const std::string& keyword) {
    const teletraffic::ArgumentInfo* about = records::RecordsRegistry().ByKeyword(keyword);
    if (about == nullptr) {
        throw py::key_error(keyword);
    }
    return static_cast<records::Option>(about - records::kOptions.data());
}

std::string Keyword(records::Option option) {
    return std::string(records::About(option).keyword);
}

// Options from their texts by keyword: those of `stage` only.
records::Options OptionsOf(const std::map<std::string, std::string>& texts,
                           records::OptionStage stage) {
    records::Options options;
    for (const auto& [keyword, text] : texts) {
        const records::Option option = ByKeyword(keyword);
        if (records::Info(option).stage != stage) {
            throw py::key_error(keyword);
        }
        records::SetOption(options, option, text);
    }
    return options;
}

template <typename T> py::array_t<T> Array(const std::vector<T>& values) {
    return py::array_t<T>(static_cast<py::ssize_t>(values.size()), values.data());
}

// The figures of a value, as the command line prints them: the periods and
// the days as columns of arrays, the summary as its JSON text.
py::tuple Report(const records::Tally& tally, const std::map<std::string, std::string>& texts) {
    records::Options options = OptionsOf(texts, records::OptionStage::Summary);
    options.read.interval = tally.interval;
    records::CheckOptions(options);
    records::Report report;
    {
        py::gil_scoped_release release;
        report = records::Summarize(tally, options.summary);
    }
    const records::Zone zone(tally.zone);
    std::vector<std::int64_t> start, calls, low, high, offset;
    std::vector<double> traffic, holding;
    for (const records::PeriodRow& p : report.periods) {
        start.push_back(p.start);
        offset.push_back(zone.OffsetAt(p.start / records::kNanos));
        calls.push_back(p.calls);
        traffic.push_back(p.traffic);
        low.push_back(p.peak.low);
        high.push_back(p.peak.high);
        holding.push_back(p.holdingTime.value_or(NAN));
    }
    py::dict periods;
    periods["start"] = Array(start);
    periods["offset"] = Array(offset);
    periods["calls"] = Array(calls);
    periods["traffic"] = Array(traffic);
    periods["peak_at_least"] = Array(low);
    periods["peak_at_most"] = Array(high);
    periods["holding_time"] = Array(holding);

    std::vector<std::int64_t> dayStart, dayOffset, dayCalls, dayLow, dayHigh, hourStart;
    std::vector<double> hourTraffic, offered;
    std::vector<std::uint8_t> saturated;
    for (const records::DayRow& d : report.days) {
        dayStart.push_back(d.dayStart);
        dayOffset.push_back(zone.OffsetAt(d.dayStart / records::kNanos));
        dayCalls.push_back(d.calls);
        dayLow.push_back(d.peak.low);
        dayHigh.push_back(d.peak.high);
        hourStart.push_back(d.peakHourStart);
        hourTraffic.push_back(d.peakHourTraffic);
        offered.push_back(d.offered.value_or(NAN));
        saturated.push_back(d.saturated ? 1 : 0);
    }
    py::dict days;
    days["date"] = Array(dayStart);
    days["offset"] = Array(dayOffset);
    days["calls"] = Array(dayCalls);
    days["peak_at_least"] = Array(dayLow);
    days["peak_at_most"] = Array(dayHigh);
    days["peak_hour"] = Array(hourStart);
    days["peak_hour_traffic"] = Array(hourTraffic);
    if (report.summary.offered) {
        days["offered"] = Array(offered);
        days["saturated"] = Array(saturated).attr("astype")("bool");
    }
    return py::make_tuple(periods, days, records::SummaryJson(report, tally));
}

// What the reading found beside the sums: the rows by what became of them,
// what each source was read as, and the first refused rows.
py::dict Reading(const records::Tally& t) {
    py::dict refused, skipped;
    for (std::size_t i = 0; i < records::kRefusalCount; ++i) {
        if (t.refused[i] > 0) {
            refused[py::str(std::string(records::RefusalName(static_cast<records::Refusal>(i))))] =
                t.refused[i];
        }
    }
    for (std::size_t i = 0; i < records::kSkipCount; ++i) {
        if (t.skipped[i] > 0) {
            skipped[py::str(std::string(records::SkipName(static_cast<records::Skip>(i))))] =
                t.skipped[i];
        }
    }
    py::list sources, quotes;
    for (const records::SourceInfo& s : t.sources) {
        sources.append(py::make_tuple(s.name, std::string(records::FormatWord(s.format)), s.rows));
    }
    for (const records::Quote& q : t.quotes) {
        quotes.append(
            py::make_tuple(q.source, q.line, std::string(records::RefusalWords(q.reason)), q.text));
    }
    py::dict d;
    d["zone"] = t.zone;
    d["interval"] = t.interval;
    d["holding"] =
        std::string(records::choices::kHolding[static_cast<std::size_t>(t.holding)].word);
    d["trunk"] = t.trunk;
    d["calls"] = t.calls;
    d["rows"] = t.rows;
    d["rows_used"] = t.rowsUsed;
    d["rows_refused"] = refused;
    d["rows_skipped"] = skipped;
    d["rows_late"] = t.late;
    d["rows_uncertain"] = t.uncertain;
    d["ambiguous"] = t.ambiguous;
    d["sources"] = sources;
    d["quotes"] = quotes;
    return d;
}

records::Tally Read(const std::vector<std::string>& paths,
                    const std::map<std::string, std::string>& texts) {
    const records::Options options = OptionsOf(texts, records::OptionStage::Read);
    records::CheckOptions(options);
    records::Reader reader(options.read);
    for (const std::string& path : paths) {
        reader.AddFile(path);
    }
    bool interrupted = false;
    reader.OnProgress([&interrupted](const records::Progress&) {
        const py::gil_scoped_acquire acquire;
        interrupted = PyErr_CheckSignals() != 0;
        return !interrupted;
    });
    try {
        const py::gil_scoped_release release;
        return reader.Read();
    } catch (const records::Cancelled&) {
        if (interrupted) {
            throw py::error_already_set(); // the KeyboardInterrupt the handler raised
        }
        throw;
    }
}

// The room's rows beside the engine's in the module's registry view: each
// argument by its keyword, each rule by its name, each choice's words.
void AddToRegistry(py::module_& m) {
    py::dict arguments = m.attr("arguments");
    for (const teletraffic::ArgumentInfo& about : records::kOptions) {
        const py::str keyword(std::string(about.keyword));
        if (!arguments.contains(keyword)) {
            arguments[keyword] = py::list();
        }
        const teletraffic::Domain& d = about.rule->domain;
        arguments[keyword].cast<py::list>().append(py::make_tuple(
            std::string(about.words), std::string(about.option), std::string(about.rule->text),
            py::make_tuple(d.min, d.max, d.minOpen, d.maxOpen, d.whole, d.none),
            std::string(about.choice)));
    }
    py::dict rules = m.attr("rules");
    for (const auto& [name, rule] : records::kRuleNames) {
        rules[py::str(std::string(name))] = std::string(rule->text);
    }
    py::dict choices = m.attr("choices");
    for (const teletraffic::ChoiceInfo& choice : records::kChoices) {
        py::list words;
        for (const teletraffic::ChoiceWord& word : choice.words) {
            words.append(std::string(word.word));
        }
        choices[py::str(std::string(choice.name))] = py::tuple(words);
    }
    // How read_records and the summary take each option: its keyword, the
    // stage it is used at, its kind of value, its default and its help.
    py::list options;
    static constexpr const char* kKinds[] = {"choice", "count",      "number", "text",
                                             "date",   "clock_time", "flag"};
    static constexpr const char* kStages[] = {"read", "summary", "output"};
    for (const records::OptionInfo& info : records::OptionTable()) {
        const teletraffic::ArgumentInfo& about = info.about();
        options.append(py::make_tuple(
            std::string(about.keyword), kStages[static_cast<int>(info.stage)],
            kKinds[static_cast<int>(info.kind)], std::string(info.fallback),
            std::string(about.sense), std::string(about.rule->text), std::string(about.choice)));
    }
    m.attr("records_options") = options;
}

} // namespace

void AddRecords(py::module_& m) {
    static py::exception<records::OptionError> optionError(m, "RecordsOptionError",
                                                           PyExc_ValueError);
    py::register_exception_translator([](std::exception_ptr p) {
        try {
            if (p) {
                std::rethrow_exception(p);
            }
        } catch (const records::OptionError& e) {
            // The message in Python's names, and what the wrapper needs to
            // raise a DomainError for a value outside its rule.
            const py::tuple args =
                py::make_tuple(e.Worded(Keyword), Keyword(e.id()),
                               e.reason() == records::Reason::Outside, e.value(), e.rule());
            PyErr_SetObject(optionError.ptr(), args.ptr());
        } catch (const records::FormatError& e) {
            PyErr_SetString(PyExc_ValueError, e.what());
        } catch (const records::RowRefused& e) {
            PyErr_SetString(PyExc_ValueError, e.what());
        }
    });
    py::class_<records::Tally>(m, "RecordsValue")
        .def(py::self + py::self)
        .def("reading", &Reading, "What the reading found beside the sums, as a dict.")
        .def("report", &Report, py::arg("options"),
             "The periods and the days as dicts of arrays and the summary as JSON, with the "
             "summary's options (their texts by keyword).")
        .def(py::pickle([](const records::Tally& t) { return py::bytes(t.Serialize()); },
                        [](const py::bytes& bytes) {
                            return records::Tally::Deserialize(std::string(bytes));
                        }));
    m.def("read_records", &Read, py::arg("paths"), py::arg("options"),
          "The files read together into one value, with the reading's options (their texts by "
          "keyword); the GIL released.");
    AddToRegistry(m);
}
