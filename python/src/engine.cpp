// The traffic engine as NumPy universal functions, from one table: a line per
// engine function names it, its arguments and what its result holds. NumPy
// then broadcasts, casts, fills `out=` and runs the loops with the GIL
// released; corvane/__init__.py adds keywords, the error policy and named
// results.
#define NPY_NO_DEPRECATED_API NPY_1_7_API_VERSION
#include <pybind11/pybind11.h>

#include "records.h"

#include <numpy/arrayobject.h>
#include <numpy/ufuncobject.h>

#include "python/src/shifts.h"
#include "shifts/arguments.h"
#include "teletraffic/engset.h"
#include "teletraffic/erlang_a.h"
#include "teletraffic/erlang_b.h"
#include "teletraffic/erlang_c.h"
#include "teletraffic/erlang_x.h"
#include "teletraffic/measured_traffic.h"
#include "teletraffic/overflow.h"
#include "teletraffic/staffing_factors.h"
#include "transient/options.h"

#include <algorithm>
#include <array>
#include <cfenv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <optional>
#include <span>
#include <string>
#include <tuple>
#include <type_traits>
#include <utility>
#include <vector>

// The functions of the rooms, each in a file of its own.
void AddDay(pybind11::module_& m);

namespace {

namespace py = pybind11;
namespace tt = teletraffic;

// The engine's arguments by the keywords that give them (the registry's,
// teletraffic/arguments.h), and the refusal in those words.
std::string Keyword(const tt::DomainError& error) {
    return std::string(error.about().keyword);
}

// What the loops met outside the domain on this thread since the last look:
// NumPy runs a call's loops on the calling thread, without the GIL.
struct Trouble {
    Py_ssize_t count = 0;
    std::string argument, rule, message;
    double value = NAN;
};
thread_local Trouble trouble;
// Whether the loops write NaN at an element outside the domain (the policy
// that gives NaN) or leave it as it was (the one that raises): a float64
// out= keeps the caller's values there. An int64 output is never marked.
thread_local bool marking = false;

void Note() noexcept {
    if (trouble.count++ > 0) {
        return;
    }
    try {
        throw;
    } catch (const tt::DomainError& e) {
        trouble.argument = Keyword(e);
        trouble.value = e.value();
        trouble.rule = e.rule();
        trouble.message =
            trouble.argument + " must be " + e.rule() + ", got " + tt::ShowNumber(e.value());
    } catch (const std::exception& e) {
        trouble.message = e.what();
    } catch (...) {
        trouble.message = "unknown error in the traffic engine";
    }
}

// How a result lies on a ufunc's outputs: a number on one, a struct's fields
// on one each, under these names.
template <typename R> struct Layout {
    static constexpr const char* kName = "";
    static constexpr std::array<const char*, 1> kFields{""};
    static std::tuple<R> Values(R r) { return {r}; }
};
template <> struct Layout<tt::Retrial> {
    static constexpr const char* kName = "Retrial";
    static constexpr std::array kFields{"offered", "blocking"};
    static auto Values(const tt::Retrial& r) { return std::tuple{r.offered, r.blocking}; }
};
template <> struct Layout<tt::Abandonment> {
    static constexpr const char* kName = "Abandonment";
    static constexpr std::array kFields{"wait_probability", "abandon_probability", "average_wait",
                                        "occupancy"};
    static auto Values(const tt::Abandonment& r) {
        return std::tuple{r.waitProbability, r.abandonProbability, r.averageWait, r.occupancy};
    }
};
template <> struct Layout<tt::Schedule> {
    static constexpr const char* kName = "Schedule";
    static constexpr std::array kFields{"on_phones", "scheduled", "by_occupancy"};
    static auto Values(const tt::Schedule& r) {
        return std::tuple{r.onPhones, r.scheduled,
                          std::int64_t{r.decidedBy == tt::Decided::Occupancy}};
    }
};
template <> struct Layout<tt::Engset> {
    static constexpr const char* kName = "Engset";
    static constexpr std::array kFields{
        "time_congestion", "call_congestion",  "traffic_congestion", "carried",
        "traffic",         "intended_traffic", "idle_source_traffic"};
    static auto Values(const tt::Engset& r) {
        return std::tuple{r.timeCongestion, r.callCongestion,  r.trafficCongestion, r.carried,
                          r.traffic,        r.intendedTraffic, r.idleSourceTraffic};
    }
};
template <> struct Layout<tt::Overflow> {
    static constexpr const char* kName = "Overflow";
    static constexpr std::array kFields{"mean", "variance", "peakedness"};
    static auto Values(const tt::Overflow& r) {
        return std::tuple{r.mean, r.variance, r.peakedness};
    }
};
template <> struct Layout<tt::EquivalentRandom> {
    static constexpr const char* kName = "EquivalentRandom";
    static constexpr std::array kFields{"traffic", "lines"};
    static auto Values(const tt::EquivalentRandom& r) { return std::tuple{r.traffic, r.lines}; }
};
template <> struct Layout<tt::OverflowLoss> {
    static constexpr const char* kName = "OverflowLoss";
    static constexpr std::array kFields{"lost", "blocking"};
    static auto Values(const tt::OverflowLoss& r) { return std::tuple{r.lost, r.blocking}; }
};

template <> struct Layout<tt::ErlangXFigures> {
    static constexpr const char* kName = "ErlangX";
    static constexpr std::array kFields{"blocking",      "wait_probability", "abandon_probability",
                                        "average_wait",  "answered_wait",    "occupancy",
                                        "service_level", "attempts_traffic", "callers_lost"};
    static auto Values(const tt::ErlangXFigures& r) {
        return std::tuple{r.blocking,     r.waitProbability, r.abandonProbability,
                          r.averageWait,  r.answeredWait,    r.occupancy,
                          r.serviceLevel, r.attemptsTraffic, r.callersLost};
    }
};

// What a loop calls for an engine function: the function itself, save where
// the module gives an argument a meaning the engine has not.
template <auto F> struct Call {
    template <typename... A> static auto Run(A... a) { return F(a...); }
};
// Infinite patience: callers who never hang up, that is Erlang C, whose own
// refusals then apply (traffic at or above the agents).
constexpr double kNever = std::numeric_limits<double>::infinity();
template <> struct Call<tt::ErlangA> {
    static tt::Abandonment Run(double traffic, double agents, double aht, double patience) {
        if (patience != kNever) {
            return tt::ErlangA(traffic, agents, aht, patience);
        }
        // Every caller is answered: the carried traffic is the offered.
        return {tt::ErlangC(traffic, agents), 0.0, tt::ErlangCAverageWait(traffic, agents, aht),
                traffic / agents};
    }
};
template <> struct Call<tt::ErlangAServiceLevel> {
    static double Run(double traffic, double agents, double aht, double patience,
                      double targetTime) {
        return patience == kNever
                   ? tt::ErlangCServiceLevel(traffic, agents, aht, targetTime)
                   : tt::ErlangAServiceLevel(traffic, agents, aht, patience, targetTime);
    }
};
template <> struct Call<tt::ErlangAAgents> {
    static std::int64_t Run(double traffic, double aht, double patience, double targetTime,
                            double serviceLevel) {
        return patience == kNever
                   ? tt::ErlangCAgents(traffic, aht, targetTime, serviceLevel)
                   : tt::ErlangAAgents(traffic, aht, patience, targetTime, serviceLevel);
    }
};
template <> struct Call<tt::ErlangAAgentsForWait> {
    static std::int64_t Run(double traffic, double aht, double patience, double averageWait) {
        return patience == kNever ? tt::ErlangCAgentsForWait(traffic, aht, averageWait)
                                  : tt::ErlangAAgentsForWait(traffic, aht, patience, averageWait);
    }
};

template <typename T> constexpr char kTypeNum = std::is_same_v<T, double> ? NPY_DOUBLE : NPY_INT64;

template <auto F> struct Ufunc;

template <typename R, typename... A, R (*F)(A...)> struct Ufunc<F> {
    static_assert((std::is_same_v<A, double> && ...), "the loops read float64 arguments");
    using Result = R;
    using Fields = decltype(Layout<R>::Values(std::declval<R>()));
    static constexpr std::size_t kIn = sizeof...(A);
    static constexpr std::size_t kOut = std::tuple_size_v<Fields>;

    template <std::size_t I>
    static constexpr bool kCount = !std::is_same_v<std::tuple_element_t<I, Fields>, double>;
    static constexpr bool kAnyCount = []<std::size_t... I>(std::index_sequence<I...>) {
        return (kCount<I> || ...);
    }
    (std::make_index_sequence<kOut>{});

    // A count comes out as an int64, or as a float64 where NaN must stand in
    // for a count outside the domain.
    template <bool kReal>
    static void Loop(char** args, const npy_intp* dims, const npy_intp* steps, void*) {
        // NumPy warns of the floating-point flags a loop leaves raised; the
        // engine's inner steps raise some (an overflow to inf taken care of),
        // which say nothing about its answers.
        std::fexcept_t flags;
        std::fegetexceptflag(&flags, FE_ALL_EXCEPT);
        for (npy_intp i = 0; i < dims[0]; ++i) {
            const auto at = [&](std::size_t k) { return args[k] + i * steps[k]; };
            [&]<std::size_t... I, std::size_t... O>(std::index_sequence<I...>,
                                                    std::index_sequence<O...>) {
                try {
                    const Fields out = Layout<R>::Values(Call<F>::Run(Read(at(I))...));
                    (Write<kReal>(at(kIn + O), std::get<O>(out)), ...);
                } catch (...) {
                    Note();
                    if (marking) {
                        (Mark<kReal, std::tuple_element_t<O, Fields>>(at(kIn + O)), ...);
                    }
                }
            }
            (std::make_index_sequence<kIn>{}, std::make_index_sequence<kOut>{});
        }
        std::fesetexceptflag(&flags, FE_ALL_EXCEPT);
    }
    static double Read(const char* p) {
        double x;
        std::memcpy(&x, p, sizeof x);
        return x;
    }
    template <bool kReal, typename T> static void Write(char* p, T value) {
        using Out = std::conditional_t<kReal, double, T>;
        const Out x = static_cast<Out>(value);
        std::memcpy(p, &x, sizeof x);
    }
    template <bool kReal, typename T> static void Mark(char* p) {
        if constexpr (kReal || std::is_same_v<T, double>) {
            Write<true>(p, NAN);
        }
    }

    static constexpr std::size_t kLoops = kAnyCount ? 2 : 1;
    static constexpr std::array<PyUFuncGenericFunction, kLoops> kFunctions = [] {
        std::array<PyUFuncGenericFunction, kLoops> f{&Loop<false>};
        if constexpr (kAnyCount) {
            f[1] = &Loop<true>;
        }
        return f;
    }();
    static constexpr std::array<char, kLoops*(kIn + kOut)> kTypes = [] {
        std::array<char, kLoops*(kIn + kOut)> t{};
        for (std::size_t loop = 0; loop < kLoops; ++loop) {
            char* row = t.data() + loop * (kIn + kOut);
            for (std::size_t k = 0; k < kIn; ++k) {
                row[k] = NPY_DOUBLE;
            }
            [&]<std::size_t... O>(std::index_sequence<O...>) {
                ((row[kIn + O] =
                      loop == 1 ? char(NPY_DOUBLE) : kTypeNum<std::tuple_element_t<O, Fields>>),
                 ...);
            }
            (std::make_index_sequence<kOut>{});
        }
        return t;
    }();
    static inline std::array<void*, kLoops> data{};
};

// The engine's functions that take a kind as well as numbers, one kind each.
constexpr auto kTraffic = tt::EngsetLoad::Traffic;
constexpr auto kIntended = tt::EngsetLoad::IntendedTraffic;
constexpr auto kIdle = tt::EngsetLoad::IdleSourceTraffic;
constexpr auto kErt = tt::OverflowMethod::EquivalentRandom;
constexpr auto kHayward = tt::OverflowMethod::Hayward;
// The agents a target needs reach the staffing factors as a count.
std::int64_t WholeAgents(double agents) {
    tt::Check(tt::Argument::Agents, agents, tt::rules::kWholeCount);
    return static_cast<std::int64_t>(agents);
}
// Python's order of arguments, where it is not the engine's.
tt::Schedule Schedule(double agents, double traffic, double shrinkage, double maxOccupancy) {
    return tt::ScheduleAgents(traffic, WholeAgents(agents), shrinkage, maxOccupancy);
}
tt::Schedule ErlangASchedule(double agents, double traffic, double aht, double patience,
                             double shrinkage, double maxOccupancy) {
    if (patience == kNever) { // no hang-ups: Erlang C's occupancy
        return tt::ScheduleAgents(traffic, WholeAgents(agents), shrinkage, maxOccupancy);
    }
    return tt::ErlangAScheduleAgents(traffic, WholeAgents(agents), aht, patience, shrinkage,
                                     maxOccupancy);
}
std::int64_t ExtendedLines(double traffic, double blocking, double recall) {
    return tt::ExtendedErlangBLines(traffic, recall, blocking);
}
double ExtendedTraffic(double lines, double blocking, double recall) {
    return tt::ExtendedErlangBTraffic(lines, recall, blocking);
}
template <tt::EngsetLoad kLoad> tt::Engset Engset(double sources, double lines, double load) {
    return tt::EngsetBlocking(kLoad, load, sources, lines);
}
template <tt::EngsetLoad kLoad>
std::int64_t EngsetLines(double sources, double blocking, double load) {
    return tt::EngsetLines(kLoad, load, sources, blocking);
}
template <tt::OverflowMethod kMethod>
tt::OverflowLoss OverflowBlocking(double mean, double variance, double lines) {
    return tt::OverflowBlocking(mean, variance, lines, kMethod);
}
template <tt::OverflowMethod kMethod>
std::int64_t OverflowLines(double mean, double variance, double blocking) {
    return tt::OverflowLines(mean, variance, kMethod, blocking);
}

// Erlang X: the call-centre functions with lines, redials, a basis for the
// service level and a forecast's variance, each keyword one of these. A
// function lists its arguments as keywords; those marked Optional the
// Python layer gives when the call does, with a last argument saying which
// (bit i: the i-th optional one), the others keeping the engine's defaults.
enum class Key : unsigned {
    Traffic,
    Agents,
    Aht,
    Patience,
    Lines,
    Redial,
    Calls,
    Interval,
    Variance,
    TargetTime,
    ServiceLevel,
    AverageWait,
    AnsweredWait,
    MaxAbandon,
    MaxBlocking,
    Blocking,
    Shrinkage,
    MaxOccupancy,
    Basis,
    Given,
};
// The argument each key gives, whose keyword it is in Python; a word
// argument's keyword is followed by "=" and its choice's name.
constexpr tt::Argument kKeyArguments[] = {
    tt::Argument::Traffic,      tt::Argument::Agents,       tt::Argument::Aht,
    tt::Argument::Patience,     tt::Argument::Lines,        tt::Argument::Redial,
    tt::Argument::Calls,        tt::Argument::Interval,     tt::Argument::ForecastVariance,
    tt::Argument::TargetTime,   tt::Argument::ServiceLevel, tt::Argument::AverageWait,
    tt::Argument::AnsweredWait, tt::Argument::MaxAbandon,   tt::Argument::MaxBlocking,
    tt::Argument::Blocking,     tt::Argument::Shrinkage,    tt::Argument::MaxOccupancy,
    tt::Argument::Basis};
static_assert(std::size(kKeyArguments) == static_cast<std::size_t>(Key::Given),
              "an argument for every key");
std::string KeyName(unsigned key) {
    const tt::ArgumentInfo& about = tt::About(kKeyArguments[key]);
    std::string name(about.keyword);
    if (!about.choice.empty()) {
        name.append("=").append(about.choice);
    }
    return name;
}
constexpr unsigned kOptional = 0x100;
constexpr Key Optional(Key k) {
    return static_cast<Key>(static_cast<unsigned>(k) | kOptional);
}

// One element's arguments, as the engine takes them.
struct Asked {
    double traffic = 0, agents = 0, interval = 0, blocking = 0, shrinkage = 0, maxOccupancy = 1;
    bool byCalls = false;
    tt::ErlangXModel model;
    tt::ErlangXTargets targets;

    void Set(Key key, double x) {
        switch (key) {
        case Key::Traffic:
            traffic = x;
            break;
        case Key::Agents:
            agents = x;
            break;
        case Key::Aht:
            model.aht = x;
            break;
        case Key::Patience:
            model.patience = x;
            break;
        case Key::Lines:
            model.lines = x;
            break;
        case Key::Redial:
            model.redial = x;
            break;
        case Key::Calls:
            model.calls = x, byCalls = true;
            break;
        case Key::Interval:
            interval = x;
            break;
        case Key::Variance:
            model.variance = x;
            break;
        case Key::TargetTime:
            targets.targetTime = x;
            break;
        case Key::ServiceLevel:
            targets.serviceLevel = x;
            break;
        case Key::AverageWait:
            targets.averageWait = x;
            break;
        case Key::AnsweredWait:
            targets.answeredWait = x;
            break;
        case Key::MaxAbandon:
            targets.maxAbandon = x;
            break;
        case Key::MaxBlocking:
            targets.maxBlocking = x;
            break;
        case Key::Blocking:
            blocking = x;
            break;
        case Key::Shrinkage:
            shrinkage = x;
            break;
        case Key::MaxOccupancy:
            maxOccupancy = x;
            break;
        case Key::Basis: // the registry's enum, as the Python layer read its word
            if (const auto basis = tt::ChoiceFromValue<tt::Basis>(x)) {
                targets.basis = *basis;
            } else {
                throw tt::DomainError(tt::Argument::Basis, x, tt::rules::kWord);
            }
            break;
        case Key::Given:
            break;
        }
    }
    // The traffic of `calls` in `interval` minutes, as the command line makes it.
    void Finish() {
        if (!byCalls) {
            return;
        }
        tt::Check(tt::Argument::Calls, model.calls);
        tt::Check(tt::Argument::Interval, interval);
        traffic = model.calls * model.aht / (interval * 60);
    }
};

template <Key> using Real = double;

// An engine function of the arguments `K` (the last one Given).
template <auto F, Key... K> auto Ask(Real<K>... a) {
    constexpr std::array keys{K...};
    const std::array<double, sizeof...(K)> values{a...};
    const double given = values.back();
    // Given comes from the Python layer; a stray value reads nothing.
    const auto bits = given >= 0 && given < 0x1p20 ? static_cast<std::uint32_t>(given) : 0u;
    Asked x;
    std::uint32_t bit = 1;
    for (std::size_t i = 0; i + 1 < keys.size(); ++i) {
        const auto k = static_cast<unsigned>(keys[i]);
        if ((k & kOptional) != 0) {
            const bool on = (bits & bit) != 0;
            bit <<= 1;
            if (!on) {
                continue;
            }
        }
        x.Set(static_cast<Key>(k & ~kOptional), values[i]);
    }
    x.Finish();
    return F(x);
}

tt::ErlangXFigures Figures(const Asked& x) {
    return tt::ErlangX(x.traffic, x.agents, x.model, x.targets.targetTime, x.targets.basis);
}
template <double tt::ErlangXFigures::*kField> double Figure(const Asked& x) {
    return Figures(x).*kField;
}
tt::Abandonment Abandoned(const Asked& x) {
    const tt::ErlangXFigures f = Figures(x);
    return {f.waitProbability, f.abandonProbability, f.averageWait, f.occupancy};
}
std::int64_t AgentsFor(const Asked& x) {
    return tt::ErlangXAgents(x.traffic, x.model, x.targets);
}
std::int64_t QueueLines(const Asked& x) {
    return tt::ErlangXLines(x.traffic, x.agents, x.model, x.blocking);
}
double Capacity(const Asked& x) {
    return tt::ErlangXCapacity(x.agents, x.model, x.targets);
}

// What the staffing summary tells: the agents, what decided them (a target
// by its place in ErlangXTargets, or kByOccupancy), and the figures there.
struct Staffed {
    std::int64_t onPhones, scheduled, decidedBy;
    tt::ErlangXFigures figures;
};
constexpr std::int64_t kByOccupancy = 5;

Staffed Staff(const Asked& x) {
    const tt::ErlangXTargets& t = x.targets;
    const std::int64_t forTargets = tt::ErlangXAgents(x.traffic, x.model, t);
    // Each target alone needs at most the count all need: the first whose
    // own count it is decided it.
    std::optional<double> tt::ErlangXTargets::*const targets[] = {
        &tt::ErlangXTargets::serviceLevel, &tt::ErlangXTargets::averageWait,
        &tt::ErlangXTargets::answeredWait, &tt::ErlangXTargets::maxAbandon,
        &tt::ErlangXTargets::maxBlocking};
    const auto given = std::ranges::count_if(targets, [&](auto m) { return (t.*m).has_value(); });
    std::int64_t decidedBy = -1;
    for (std::int64_t i = 0; i < 5 && decidedBy < 0; ++i) {
        if (!(t.*targets[i])) {
            continue;
        }
        tt::ErlangXTargets alone;
        alone.targetTime = t.targetTime;
        alone.basis = t.basis;
        alone.*targets[i] = t.*targets[i];
        if (given == 1 || tt::ErlangXAgents(x.traffic, x.model, alone) == forTargets) {
            decidedBy = i;
        }
    }
    const tt::ErlangXModel& m = x.model;
    const tt::Schedule plan =
        tt::ErlangXScheduleAgents(x.traffic, forTargets, m, x.shrinkage, x.maxOccupancy);
    if (plan.decidedBy == tt::Decided::Occupancy) {
        decidedBy = kByOccupancy;
    }
    return {plan.onPhones, plan.scheduled, decidedBy,
            tt::ErlangX(x.traffic, static_cast<double>(plan.onPhones), m, t.targetTime, t.basis)};
}
template <> struct Layout<Staffed> {
    static constexpr const char* kName = "Staffing";
    static constexpr auto kFields = [] {
        std::array<const char*, 12> f{"on_phones", "scheduled", "decided_by"};
        std::ranges::copy(Layout<tt::ErlangXFigures>::kFields, f.begin() + 3);
        return f;
    }();
    static auto Values(const Staffed& r) {
        return std::tuple_cat(std::tuple{r.onPhones, r.scheduled, r.decidedBy},
                              Layout<tt::ErlangXFigures>::Values(r.figures));
    }
};

// One engine function: the ufunc, and what the Python layer needs to know.
struct Entry {
    py::object ufunc;
    py::tuple arguments, fields, counts;
    std::string result;
};

template <auto F> std::pair<std::string, Entry> Bind(const char* name, py::tuple arguments) {
    using U = Ufunc<F>;
    PyObject* ufunc =
        PyUFunc_FromFuncAndData(const_cast<PyUFuncGenericFunction*>(U::kFunctions.data()),
                                U::data.data(), const_cast<char*>(U::kTypes.data()), U::kLoops,
                                U::kIn, U::kOut, PyUFunc_None, name, nullptr, 0);
    if (ufunc == nullptr) {
        throw py::error_already_set();
    }
    py::tuple fields(U::kOut), counts(U::kOut);
    using L = Layout<typename U::Result>;
    [&]<std::size_t... O>(std::index_sequence<O...>) {
        ((fields[O] = py::str(L::kFields[O]), counts[O] = py::bool_(U::template kCount<O>)), ...);
    }
    (std::make_index_sequence<U::kOut>{});
    return {name, Entry{py::reinterpret_steal<py::object>(ufunc), std::move(arguments), fields,
                        counts, L::kName}};
}
template <auto F, typename... Names>
std::pair<std::string, Entry> Bind(const char* name, Names... arguments) {
    static_assert(sizeof...(Names) == Ufunc<F>::kIn, "one name for each argument");
    return Bind<F>(name, py::make_tuple(py::str(arguments)...));
}
// An Erlang X function: its arguments named by their keys, "*" before the
// optional ones (Given, last, is the Python layer's own).
template <auto F, Key... K> std::pair<std::string, Entry> BindX(const char* name) {
    py::list names;
    bool optional = false;
    for (const Key k : {K...}) {
        const auto u = static_cast<unsigned>(k);
        if ((u & kOptional) != 0 && !std::exchange(optional, true)) {
            names.append("*");
        }
        names.append(KeyName(u & ~kOptional));
    }
    return Bind<Ask<F, K..., Key::Given>>(name, py::tuple(names));
}

// The optional keys, by the keywords' names.
namespace optional {
constexpr Key aht = Optional(Key::Aht), patience = Optional(Key::Patience),
              lines = Optional(Key::Lines), redial = Optional(Key::Redial),
              calls = Optional(Key::Calls), interval = Optional(Key::Interval),
              variance = Optional(Key::Variance), target_time = Optional(Key::TargetTime),
              service_level = Optional(Key::ServiceLevel),
              average_wait = Optional(Key::AverageWait),
              answered_wait = Optional(Key::AnsweredWait), max_abandon = Optional(Key::MaxAbandon),
              max_blocking = Optional(Key::MaxBlocking), basis = Optional(Key::Basis),
              shrinkage = Optional(Key::Shrinkage), max_occupancy = Optional(Key::MaxOccupancy);
} // namespace optional

std::vector<std::pair<std::string, Entry>> Table() {
    using X = tt::ErlangXFigures;
    using enum Key;
    using namespace optional;
    return {
        Bind<tt::ErlangB>("erlang_b", "traffic", "lines"),
        Bind<tt::LogErlangB>("log_erlang_b", "traffic", "lines"),
        Bind<tt::ErlangBLines>("erlang_b_lines", "traffic", "blocking"),
        Bind<tt::ErlangBTraffic>("erlang_b_traffic", "lines", "blocking"),
        Bind<tt::ExtendedErlangB>("extended_erlang_b", "traffic", "lines", "recall"),
        Bind<ExtendedLines>("extended_erlang_b_lines", "traffic", "blocking", "recall"),
        Bind<ExtendedTraffic>("extended_erlang_b_traffic", "lines", "blocking", "recall"),
        Bind<tt::ErlangC>("erlang_c", "traffic", "agents"),
        Bind<tt::ErlangCServiceLevel>("service_level", "traffic", "agents", "aht", "target_time"),
        Bind<tt::ErlangCAverageWait>("average_wait", "traffic", "agents", "aht"),
        Bind<tt::ErlangCAgents>("agents", "traffic", "aht", "target_time", "service_level"),
        Bind<tt::ErlangCAgentsForWait>("agents_for_wait", "traffic", "aht", "average_wait"),
        Bind<tt::ErlangA>("erlang_a", "traffic", "agents", "aht", "patience"),
        Bind<tt::ErlangAServiceLevel>("erlang_a_service_level", "traffic", "agents", "aht",
                                      "patience", "target_time"),
        Bind<tt::ErlangAAgents>("erlang_a_agents", "traffic", "aht", "patience", "target_time",
                                "service_level"),
        Bind<tt::ErlangAAgentsForWait>("erlang_a_agents_for_wait", "traffic", "aht", "patience",
                                       "average_wait"),
        Bind<Schedule>("schedule_agents", "agents", "traffic", "shrinkage", "max_occupancy"),
        Bind<ErlangASchedule>("erlang_a_schedule_agents", "agents", "traffic", "aht", "patience",
                              "shrinkage", "max_occupancy"),
        // Engset's load one of three ways: name[keyword] takes it as that keyword.
        Bind<Engset<kTraffic>>("engset[traffic]", "sources", "lines", "traffic"),
        Bind<Engset<kIntended>>("engset[intended_traffic]", "sources", "lines", "intended_traffic"),
        Bind<Engset<kIdle>>("engset[idle_source_traffic]", "sources", "lines",
                            "idle_source_traffic"),
        Bind<EngsetLines<kTraffic>>("engset_lines[traffic]", "sources", "blocking", "traffic"),
        Bind<EngsetLines<kIntended>>("engset_lines[intended_traffic]", "sources", "blocking",
                                     "intended_traffic"),
        Bind<EngsetLines<kIdle>>("engset_lines[idle_source_traffic]", "sources", "blocking",
                                 "idle_source_traffic"),
        Bind<tt::EngsetTraffic>("engset_traffic", "sources", "lines", "blocking"),
        Bind<tt::OverflowMoments>("overflow", "traffic", "lines"),
        Bind<tt::OverflowEquivalentRandom>("equivalent_random", "mean", "variance"),
        // name[keyword=word]: a keyword taking a word, the first its default.
        Bind<OverflowBlocking<kErt>>("overflow_blocking[method=ert]", "mean", "variance", "lines"),
        Bind<OverflowBlocking<kHayward>>("overflow_blocking[method=hayward]", "mean", "variance",
                                         "lines"),
        Bind<OverflowLines<kErt>>("overflow_lines[method=ert]", "mean", "variance", "blocking"),
        Bind<OverflowLines<kHayward>>("overflow_lines[method=hayward]", "mean", "variance",
                                      "blocking"),
        Bind<tt::ErlangBOfferedTraffic>("offered_traffic", "carried", "lines"),
        // Erlang X: name[erlang_x] is name with the keywords after "*" as well.
        BindX<Figure<&X::waitProbability>, Traffic, Agents, aht, lines, redial, calls, interval,
              variance>("erlang_c[erlang_x]"),
        BindX<Figure<&X::serviceLevel>, Traffic, Agents, Aht, TargetTime, lines, redial, calls,
              interval, variance, basis>("service_level[erlang_x]"),
        BindX<Figure<&X::averageWait>, Traffic, Agents, Aht, lines, redial, calls, interval,
              variance>("average_wait[erlang_x]"),
        BindX<AgentsFor, Traffic, Aht, TargetTime, ServiceLevel, lines, redial, calls, interval,
              variance, basis, average_wait, answered_wait, max_blocking>("agents[erlang_x]"),
        BindX<AgentsFor, Traffic, Aht, AverageWait, lines, redial, calls, interval, variance,
              answered_wait, max_blocking>("agents_for_wait[erlang_x]"),
        BindX<Abandoned, Traffic, Agents, Aht, Patience, lines, redial, calls, interval, variance>(
            "erlang_a[erlang_x]"),
        BindX<Figure<&X::serviceLevel>, Traffic, Agents, Aht, Patience, TargetTime, lines, redial,
              calls, interval, variance, basis>("erlang_a_service_level[erlang_x]"),
        BindX<AgentsFor, Traffic, Aht, Patience, TargetTime, ServiceLevel, lines, redial, calls,
              interval, variance, basis, average_wait, answered_wait, max_abandon, max_blocking>(
            "erlang_a_agents[erlang_x]"),
        BindX<AgentsFor, Traffic, Aht, Patience, AverageWait, lines, redial, calls, interval,
              variance, answered_wait, max_abandon, max_blocking>(
            "erlang_a_agents_for_wait[erlang_x]"),
        BindX<Figure<&X::blocking>, Traffic, Agents, Aht, Lines, patience, redial, calls, interval,
              variance>("queue_blocking"),
        BindX<QueueLines, Traffic, Agents, Aht, Blocking, patience, redial, calls, interval,
              variance>("queue_lines"),
        BindX<Figure<&X::answeredWait>, Traffic, Agents, Aht, patience, lines, redial, calls,
              interval, variance>("answered_wait"),
        BindX<Figures, Traffic, Agents, Aht, patience, lines, redial, calls, interval, variance,
              target_time, basis>("erlang_x"),
        BindX<Capacity, Agents, Aht, patience, lines, redial, target_time, service_level,
              average_wait, answered_wait, max_abandon, max_blocking, basis>("capacity"),
        BindX<Staff, Traffic, Aht, patience, lines, redial, calls, interval, variance, target_time,
              service_level, average_wait, answered_wait, max_abandon, max_blocking, basis,
              shrinkage, max_occupancy>("staffing"),
    };
}

} // namespace

PYBIND11_MODULE(_engine, m) {
    if (_import_array() < 0 || _import_umath() < 0) {
        throw py::error_already_set();
    }
    m.doc() = "The traffic engine's functions as NumPy ufuncs; use them through corvane.";
    py::dict functions;
    for (auto& [name, e] : Table()) {
        functions[py::str(name)] =
            py::make_tuple(e.ufunc, e.arguments, e.fields, e.counts, py::str(e.result));
    }
    m.attr("functions") = functions;
    // The registry, for the Python layer's keywords, words and docstrings:
    // each argument by its keyword (several may share one: the variances, and
    // a room's beside the engine's), each rule by its text, each choice's
    // words. The view of the engine's tables and the rooms' whose functions
    // the module has (teletraffic/arguments.h, Registry), the engine's first.
    static constexpr std::span<const tt::ArgumentInfo> kTables[] = {
        tt::kArguments, transient::kOptions, shifts::kArguments};
    static constexpr const tt::ChoiceInfo* kChoiceList[] = {
        &tt::kChoices[0],         &tt::kChoices[1],        &tt::kChoices[2],
        &tt::kChoices[3],         &transient::kChoices[0], &transient::kChoices[1],
        &shifts::kObjectiveChoice};
    static const tt::Registry registry{kTables, kChoiceList};
    py::dict arguments;
    for (const auto& table : registry.arguments) {
        for (const tt::ArgumentInfo& about : table) {
            const py::str keyword(std::string(about.keyword));
            if (!arguments.contains(keyword)) {
                arguments[keyword] = py::list();
            }
            const tt::Domain& d = about.rule->domain;
            arguments[keyword].cast<py::list>().append(py::make_tuple(
                std::string(about.words), std::string(about.option), std::string(about.rule->text),
                py::make_tuple(d.min, d.max, d.minOpen, d.maxOpen, d.whole, d.none),
                std::string(about.choice)));
        }
    }
    m.attr("arguments") = arguments;
    py::dict rules;
    for (const auto& [name, rule] : tt::kRuleNames) {
        rules[py::str(std::string(name))] = std::string(rule->text);
    }
    for (const auto& [name, rule] : transient::kRuleNames) {
        rules[py::str(std::string(name))] = std::string(rule->text);
    }
    for (const auto& [name, rule] : shifts::kRuleNames) {
        rules[py::str(std::string(name))] = std::string(rule->text);
    }
    m.attr("rules") = rules;
    py::dict choices;
    for (const tt::ChoiceInfo* choice : registry.choices) {
        py::list words;
        for (const tt::ChoiceWord& word : choice->words) {
            words.append(std::string(word.word));
        }
        choices[py::str(std::string(choice->name))] = py::tuple(words);
    }
    m.attr("choices") = choices;
    m.def(
        "parse_word",
        [](const std::string& choice, const std::string& text) -> py::object {
            const tt::ChoiceInfo* c = registry.Choice(choice);
            if (c == nullptr) {
                throw py::key_error(choice);
            }
            const auto at = tt::ParseWord(*c, text);
            return at ? py::object(py::int_(*at)) : py::none();
        },
        "The value of the registry's enum that `text` is read as among the words of `choice`: "
        "any case, '-', '_' and a blank the same; None for none of them.",
        py::arg("choice"), py::arg("text"));
    m.attr("version") = CORVANE_VERSION;
    corvane_python::AddShifts(m);
    m.def(
        "take_trouble",
        [](bool mark) -> py::object {
            marking = mark;
            Trouble t = std::exchange(trouble, Trouble{});
            if (t.count == 0) {
                return py::none();
            }
            return py::make_tuple(t.count, t.argument, t.value, t.rule, t.message);
        },
        "How many elements the loops on this thread found outside the domain since the last "
        "call, and the first one's argument, value, rule and message; None if none. `mark`: "
        "whether the loops from now on write NaN at such elements.",
        py::arg("mark") = false);
    AddRecords(m);
    AddDay(m); // transient.cpp
}
