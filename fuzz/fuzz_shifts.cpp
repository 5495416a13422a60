// Input: a byte of choices (bit 0: the requirements are calls, bit 1: the
// horizon is cyclic, bits 2-4: an interval given, one of a day's divisors),
// then a requirement CSV, then after a NUL byte the templates' JSON (none:
// a template of the whole horizon). Whatever the bytes, the reading ends
// with the requirements and the templates or a refusal naming them; what is
// read holds: every period once, its value in range, its label reading back
// as its clock; the templates laid on the grid give shifts within the
// horizon whose break windows are in order and inside their rules; and the
// programme built on them takes the greedy schedule and splits it into
// agents with their breaks apart (Decompose), within a second. (The solve
// itself is not run here: the engine needs GCC's libquadmath.) Every check
// aborts with a message.
#include "shifts/error.h"
#include "shifts/model.h"
#include "shifts/requirements.h"
#include "shifts/shift_set.h"
#include "shifts/templates.h"

#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

namespace {

void Check(bool ok, const char* what) {
    if (!ok) {
        std::fprintf(stderr, "fuzz_shifts: %s\n", what);
        std::abort();
    }
}

constexpr int kIntervals[] = {1, 5, 10, 15, 30, 60, 120, 1440};

constexpr std::string_view kWholeDay = R"([{"name": "all", "start": {"earliest": "00:00",
  "latest": "23:59"}, "length": {"min": 60, "max": 480},
  "breaks": [{"length": 30, "after": 60, "before": 240}]}])";

void CheckRequirements(const shifts::Requirements& r, const shifts::RequirementSource& source) {
    const shifts::Horizon& h = r.horizon;
    Check(h.periods >= 1 && static_cast<std::size_t>(h.periods) == r.values.size(),
          "one value a period");
    Check(h.interval > 0 && shifts::kMinutesPerDay % h.interval == 0, "a grid dividing a day");
    Check(h.Minutes() <= h.Cycle(), "the periods within a day or a week");
    Check(!source.interval || *source.interval == h.interval, "the interval as given");
    Check(!h.cyclic || h.Minutes() == h.Cycle(), "a cyclic horizon whole");
    for (int p = 0; p < h.periods; ++p) {
        const double v = r.values[static_cast<std::size_t>(p)];
        Check(std::isfinite(v) && v >= 0, "a value of 0 or more");
        Check(r.measure == shifts::Measure::Calls || std::trunc(v) == v, "agents whole");
        const std::string label = h.Label(p * h.interval);
        const auto read =
            h.span == shifts::Span::Day ? shifts::ReadClock(label) : shifts::ReadWeekClock(label);
        Check(read && *read == h.ClockOf(p * h.interval), "a label reads back as its clock");
    }
}

void CheckShifts(const std::vector<shifts::Shift>& laid,
                 const std::vector<shifts::ShiftTemplate>& templates, const shifts::Horizon& h) {
    for (const shifts::Shift& s : laid) {
        const shifts::ShiftTemplate& t = templates[static_cast<std::size_t>(s.templateIndex)];
        Check(s.start >= 0 && s.start < h.periods, "a shift starts within the horizon");
        Check(s.length >= 1 && (h.cyclic || s.start + s.length <= h.periods),
              "a shift ends within the horizon");
        int free = 0;
        for (std::size_t k = 0; k < s.breaks.size(); ++k) {
            const shifts::BreakWindow& w = s.breaks[k];
            const shifts::BreakRule& rule = t.breaks[k];
            Check(w.first <= w.last, "a break can be placed");
            Check(w.first * h.interval >= rule.after && w.first >= free, "a break after its after");
            Check((w.last + w.length) * h.interval <= std::min(rule.before, s.length * h.interval),
                  "a break before its before and the shift's end");
            free = w.first + w.length;
        }
    }
}

void Run(const uint8_t* data, size_t size) {
    if (size == 0) {
        return;
    }
    const std::uint8_t choices = data[0];
    const std::string_view rest(reinterpret_cast<const char*>(data + 1), size - 1);
    const auto nul = rest.find('\0');
    const std::string_view csv = rest.substr(0, nul);
    const std::string_view json = nul == std::string_view::npos ? kWholeDay : rest.substr(nul + 1);
    shifts::RequirementSource source;
    source.name = "fuzz.csv";
    source.measure = (choices & 1) != 0 ? shifts::Measure::Calls : shifts::Measure::Agents;
    source.cyclic = (choices & 2) != 0;
    if ((choices >> 2 & 7) != 0) {
        source.interval = kIntervals[(choices >> 2 & 7) - 1];
    }
    shifts::Requirements requirements;
    std::vector<shifts::ShiftTemplate> templates;
    std::vector<shifts::Shift> laid;
    try {
        requirements = shifts::ReadRequirements(csv, source);
        CheckRequirements(requirements, source);
        templates = shifts::ReadTemplates(json, "fuzz.json");
        for (const shifts::ShiftTemplate& t : templates) {
            Check(!t.name.empty() && t.minLength > 0 && t.minLength <= t.maxLength,
                  "a template's lengths");
            Check(t.max.value_or(t.min) >= t.min, "a template's min at most its max");
        }
        laid = shifts::LayOnGrid(templates, requirements.horizon, "fuzz.json");
    } catch (const shifts::InputError& e) {
        const std::string message = e.what();
        Check(message.starts_with("fuzz.csv") || message.starts_with("fuzz.json"),
              "a refusal names the file");
        return;
    }
    CheckShifts(laid, templates, requirements.horizon);
    shifts::ScheduleModel cover(requirements.horizon, laid, templates);
    std::vector<double> required = requirements.values;
    for (double& v : required) {
        v = std::ceil(std::min(v, 1e6));
    }
    cover.AddCover(required, cover.Reachable(), 1, true);
    const auto start = std::chrono::steady_clock::now();
    const std::vector<double> greedy =
        cover.GreedyStart(required, start + std::chrono::milliseconds(500));
    Check(std::chrono::steady_clock::now() - start < std::chrono::seconds(1),
          "the greedy start stops at its deadline");
    Check(greedy.size() == cover.Programme().columns.size(), "a value a column");
    try {
        const auto splits = cover.Decompose(greedy);
        Check(splits.size() == laid.size(), "a split a shift");
    } catch (const std::logic_error& e) {
        std::fprintf(stderr, "%s\n", e.what());
        Check(false, "the greedy schedule splits into agents with their breaks");
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Run(data, size);
    return 0;
}
