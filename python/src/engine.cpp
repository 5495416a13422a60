// The traffic engine as NumPy universal functions, from one table: a line per
// engine function names it, its arguments and what its result holds. NumPy
// then broadcasts, casts, fills `out=` and runs the loops with the GIL
// released; corvane/__init__.py adds keywords, the error policy and named
// results.
#define NPY_NO_DEPRECATED_API NPY_1_7_API_VERSION
#include <pybind11/pybind11.h>

#include <numpy/arrayobject.h>
#include <numpy/ufuncobject.h>

#include "teletraffic/erlang.h"

#include <array>
#include <cfenv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>
#include <tuple>
#include <type_traits>
#include <utility>
#include <vector>

namespace {

namespace py = pybind11;
namespace tt = teletraffic;

// What the loops met outside the domain on this thread since the last look:
// NumPy runs a call's loops on the calling thread, without the GIL.
struct Trouble {
    Py_ssize_t count = 0;
    std::string argument, rule, message;
    double value = NAN;
};
thread_local Trouble trouble;

void Note() noexcept {
    if (trouble.count++ > 0) {
        return;
    }
    try {
        throw;
    } catch (const tt::DomainError& e) {
        trouble.argument = e.argument();
        trouble.value = e.value();
        trouble.rule = e.rule();
        trouble.message = e.what();
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

template <typename T> constexpr char kTypeNum = std::is_same_v<T, double> ? NPY_DOUBLE : NPY_INT64;

template <auto F> struct Ufunc;

template <typename R, typename... A, R (*F)(A...)> struct Ufunc<F> {
    static_assert((std::is_same_v<A, double> && ...), "the loops read float64 arguments");
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
    // for a count outside the domain; -1 marks one in an int64.
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
                    const Fields out = Layout<R>::Values(F(Read(at(I))...));
                    (Write<kReal>(at(kIn + O), std::get<O>(out)), ...);
                } catch (...) {
                    Note();
                    (Mark<kReal, std::tuple_element_t<O, Fields>>(at(kIn + O)), ...);
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
        } else {
            Write<false>(p, std::int64_t{-1});
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

// One engine function: the ufunc, and what the Python layer needs to know.
struct Entry {
    py::object ufunc;
    py::tuple arguments, fields, counts;
    std::string result;
};

template <auto F, typename... Names>
std::pair<std::string, Entry> Bind(const char* name, Names... arguments) {
    using U = Ufunc<F>;
    static_assert(sizeof...(Names) == U::kIn, "one name for each argument");
    PyObject* ufunc =
        PyUFunc_FromFuncAndData(const_cast<PyUFuncGenericFunction*>(U::kFunctions.data()),
                                U::data.data(), const_cast<char*>(U::kTypes.data()), U::kLoops,
                                U::kIn, U::kOut, PyUFunc_None, name, nullptr, 0);
    if (ufunc == nullptr) {
        throw py::error_already_set();
    }
    py::tuple fields(U::kOut), counts(U::kOut);
    using L = Layout<std::invoke_result_t<decltype(F), decltype(arguments, 0.0)...>>;
    [&]<std::size_t... O>(std::index_sequence<O...>) {
        ((fields[O] = py::str(L::kFields[O]), counts[O] = py::bool_(U::template kCount<O>)), ...);
    }
    (std::make_index_sequence<U::kOut>{});
    return {name, Entry{py::reinterpret_steal<py::object>(ufunc),
                        py::make_tuple(py::str(arguments)...), fields, counts, L::kName}};
}

std::vector<std::pair<std::string, Entry>> Table() {
    return {
        Bind<tt::ErlangB>("erlang_b", "traffic", "lines"),
        Bind<tt::LogErlangB>("log_erlang_b", "traffic", "lines"),
        Bind<tt::ErlangBLines>("erlang_b_lines", "traffic", "blocking"),
        Bind<tt::ErlangBTraffic>("erlang_b_traffic", "lines", "blocking"),
        Bind<tt::ExtendedErlangB>("extended_erlang_b", "traffic", "lines", "recall"),
        Bind<tt::ExtendedErlangBLines>("extended_erlang_b_lines", "traffic", "blocking", "recall"),
        Bind<tt::ExtendedErlangBTraffic>("extended_erlang_b_traffic", "lines", "blocking",
                                         "recall"),
        Bind<tt::ErlangC>("erlang_c", "traffic", "agents"),
        Bind<tt::ServiceLevel>("service_level", "traffic", "agents", "aht", "target_time"),
        Bind<tt::AverageSpeedOfAnswer>("average_wait", "traffic", "agents", "aht"),
        Bind<tt::ErlangCAgents>("agents", "traffic", "aht", "target_time", "service_level"),
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
    m.attr("version") = CORVANE_VERSION;
    m.def(
        "take_trouble",
        []() -> py::object {
            Trouble t = std::exchange(trouble, Trouble{});
            if (t.count == 0) {
                return py::none();
            }
            return py::make_tuple(t.count, t.argument, t.value, t.rule, t.message);
        },
        "How many elements the loops on this thread found outside the domain since the last "
        "call, and the first one's argument, value, rule and message; None if none.");
}
