#include "teletraffic/numerics/staffing.h"

#include "teletraffic/numerics/checks.h"

#include <boost/multiprecision/cpp_int.hpp>

#include <algorithm>
#include <charconv>
#include <cstdlib>
#include <string>

namespace teletraffic::detail {
namespace {

using Rational = boost::multiprecision::cpp_rational;
using Integer = boost::multiprecision::cpp_int;

// The shortest decimal that reads back as `value`, exactly.
Rational Decimal(double value) {
    char text[32];
    const auto end = std::to_chars(text, text + sizeof text, value).ptr;
    std::string digits;
    int exponent = 0;
    bool point = false;
    for (const char* p = text; p < end; ++p) {
        if (*p == 'e') {
            exponent += std::stoi(std::string(p + 1, static_cast<const char*>(end)));
            break;
        }
        if (*p == '.') {
            point = true;
        } else {
            digits.push_back(*p);
            exponent -= point ? 1 : 0;
        }
    }
    // Without its leading zeros, which Boost would read as octal.
    const auto first = std::min(digits.find_first_not_of('0'), digits.size() - 1);
    Rational result{Integer(digits.substr(first))};
    const Integer power = boost::multiprecision::pow(Integer(10), std::abs(exponent));
    return exponent < 0 ? result / Rational(power) : result * Rational(power);
}

Integer Ceiling(const Rational& q) {
    const Integer n = boost::multiprecision::numerator(q);
    const Integer d = boost::multiprecision::denominator(q);
    Integer quotient = n / d;
    if (quotient * d < n) {
        ++quotient;
    }
    return quotient;
}

} // namespace

void CheckFactors(std::int64_t agents, double shrinkage, double maxOccupancy) {
    Check(Argument::Agents, static_cast<double>(agents));
    Check(Argument::Shrinkage, shrinkage);
    Check(Argument::MaxOccupancy, maxOccupancy);
}

Schedule Finish(std::int64_t forTarget, std::int64_t forOccupancy, double shrinkage) {
    Schedule s{std::max(forTarget, forOccupancy), 0,
               forOccupancy > forTarget ? Decided::Occupancy : Decided::ServiceTarget};
    // No count beyond the engine's agents, which it could not take back.
    const Integer scheduled = Ceiling(Rational(s.onPhones) / (1 - Decimal(shrinkage)));
    if (scheduled > static_cast<std::int64_t>(kMaxLines)) {
        throw DomainError(Argument::Shrinkage, shrinkage,
                          "small enough that the agents to schedule are at most 2e9");
    }
    s.scheduled = static_cast<std::int64_t>(scheduled);
    return s;
}

// Smallest n with A / n <= cap, the cap as a decimal.
std::int64_t ForOccupancy(double traffic, double maxOccupancy) {
    const Integer n = Ceiling(Rational(traffic) / Decimal(maxOccupancy));
    if (n > static_cast<std::int64_t>(kMaxLines)) {
        throw DomainError(Argument::MaxOccupancy, maxOccupancy,
                          "large enough that the agents it needs are at most 2e9");
    }
    return static_cast<std::int64_t>(n);
}

Schedule ScheduleByOccupancy(double traffic, std::int64_t forTarget, double shrinkage,
                             double maxOccupancy,
                             const std::function<bool(std::int64_t, long double)>& within) {
    const Rational cap = Decimal(maxOccupancy);
    const auto capExt = cap.convert_to<long double>();
    const auto meets = [&](std::int64_t n) {
        if (n == 0) {
            return traffic == 0;
        }
        return within(n, capExt);
    };
    std::int64_t lo = forTarget;
    std::int64_t hi = ForOccupancy(traffic, maxOccupancy);
    if (hi <= lo || meets(lo)) {
        return Finish(forTarget, forTarget, shrinkage);
    }
    while (hi - lo > 1) { // lo misses, hi meets
        const std::int64_t mid = lo + (hi - lo) / 2;
        (meets(mid) ? hi : lo) = mid;
    }
    return Finish(forTarget, hi, shrinkage);
}

} // namespace teletraffic::detail
