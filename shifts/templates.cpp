// Templates from JSON, every field checked with the template and the field
// named; unknown fields refused, so that a misspelt one is not silently left
// at its default.
#include "shifts/templates.h"

#include "shifts/error.h"
#include "shifts/horizon.h"
#include "teletraffic/number_text.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cmath>
#include <set>

namespace shifts {
namespace {

using Json = nlohmann::json;

// Where a value sits, for messages: "--shifts t.json: template 'early': breaks[1].before".
struct Place {
    std::string prefix; // up to the template
    std::string field;

    Place operator/(std::string_view sub) const {
        return {prefix, field.empty() ? std::string(sub) : field + "." + std::string(sub)};
    }
    Place operator[](std::size_t i) const {
        return {prefix, field + "[" + std::to_string(i) + "]"};
    }
    [[noreturn]] void Fail(const std::string& why) const {
        throw InputError(prefix + (field.empty() ? "" : field + " ") + why);
    }
};

// The value as JSON, short; a list or an object by its kind, since writing
// one out is recursive and its nesting is the user's to choose.
std::string Shown(const Json& value) {
    if (value.is_array()) {
        return "a list";
    }
    if (value.is_object()) {
        return "an object";
    }
    std::string text = value.dump();
    return text.size() > 40 ? text.substr(0, 37) + "..." : text;
}

void Known(const Json& object, std::initializer_list<std::string_view> fields, const Place& at) {
    for (const auto& [key, value] : object.items()) {
        if (std::ranges::find(fields, key) == fields.end()) {
            (at / key).Fail("is not a field of a template here (misspelt?)");
        }
    }
}

// A whole number of minutes: a JSON number or "H:MM".
int Minutes(const Json& value, const Place& at) {
    if (value.is_number()) {
        const double v = value.get<double>();
        if (!(v >= 0 && v <= kMinutesPerWeek) || std::trunc(v) != v) {
            at.Fail("must be a whole number of minutes from 0 to 10080, got " + Shown(value));
        }
        return static_cast<int>(v);
    }
    if (value.is_string()) {
        if (const auto minutes = ReadDuration(value.get<std::string>());
            minutes && *minutes <= kMinutesPerWeek) {
            return *minutes;
        }
    }
    at.Fail("must be a duration H:MM or a number of minutes, got " + Shown(value));
}

int Whole(const Json& value, const Place& at) {
    const double v = value.is_number() ? value.get<double>() : -1;
    if (!(v >= 0 && v <= 1e6) || std::trunc(v) != v) {
        at.Fail("must be a whole number from 0 to 1000000, got " + Shown(value));
    }
    return static_cast<int>(v);
}

const Json& Need(const Json& object, std::string_view key, const Place& at) {
    const auto it = object.find(key);
    if (it == object.end()) {
        (at / key).Fail("is missing");
    }
    return *it;
}

// A start time: "HH:MM", or "DAY HH:MM" (weekClock).
std::pair<int, bool> StartTime(const Json& value, const Place& at) {
    if (value.is_string()) {
        const std::string text = value.get<std::string>();
        if (const auto clock = ReadClock(text)) {
            return {*clock, false};
        }
        if (const auto clock = ReadWeekClock(text)) {
            return {*clock, true};
        }
    }
    at.Fail("must be a time HH:MM or DAY HH:MM, got " + Shown(value));
}

void ReadStart(const Json& start, ShiftTemplate& t, const Place& at) {
    if (!start.is_object()) {
        at.Fail("must be an object with earliest, latest and step, got " + Shown(start));
    }
    Known(start, {"earliest", "latest", "step"}, at);
    const auto [earliest, weekEarliest] = StartTime(Need(start, "earliest", at), at / "earliest");
    const auto [latest, weekLatest] = start.contains("latest")
                                          ? StartTime(start["latest"], at / "latest")
                                          : std::pair{earliest, weekEarliest};
    if (weekEarliest != weekLatest) {
        at.Fail("must give both earliest and latest with a day, or both without");
    }
    t.earliest = earliest;
    t.latest = latest;
    t.weekClock = weekEarliest;
    if (start.contains("step")) {
        t.step = Minutes(start["step"], at / "step");
        if (t.step <= 0) {
            (at / "step").Fail("must be greater than 0");
        }
    }
}

void ReadLength(const Json& length, ShiftTemplate& t, const Place& at) {
    if (!length.is_object()) {
        t.minLength = t.maxLength = Minutes(length, at);
        t.lengthStep = 0;
    } else {
        Known(length, {"min", "max", "step"}, at);
        t.minLength = Minutes(Need(length, "min", at), at / "min");
        t.maxLength = Minutes(Need(length, "max", at), at / "max");
        t.lengthStep = ShiftTemplate::kEveryPeriod;
        if (length.contains("step")) {
            t.lengthStep = Minutes(length["step"], at / "step");
            if (t.lengthStep <= 0) {
                (at / "step").Fail("must be greater than 0");
            }
        }
        if (t.minLength > t.maxLength) {
            at.Fail("is an empty range: min " + DurationText(t.minLength) + " is above max " +
                    DurationText(t.maxLength));
        }
    }
    if (t.minLength <= 0) {
        at.Fail("must be greater than 0");
    }
    if (t.maxLength > kMinutesPerWeek) {
        at.Fail("must be at most a week");
    }
}

BreakRule ReadBreak(const Json& b, const Place& at) {
    if (!b.is_object()) {
        at.Fail("must be an object with length, after and before, got " + Shown(b));
    }
    Known(b, {"length", "after", "before", "paid"}, at);
    BreakRule rule;
    rule.length = Minutes(Need(b, "length", at), at / "length");
    rule.after = Minutes(Need(b, "after", at), at / "after");
    rule.before = Minutes(Need(b, "before", at), at / "before");
    if (b.contains("paid")) {
        if (!b["paid"].is_boolean()) {
            (at / "paid").Fail("must be true or false, got " + Shown(b["paid"]));
        }
        rule.paid = b["paid"].get<bool>();
    }
    if (rule.length <= 0) {
        (at / "length").Fail("must be greater than 0");
    }
    if (rule.after + rule.length > rule.before) {
        at.Fail("is longer than its window: " + std::to_string(rule.length) +
                " minutes from after " + DurationText(rule.after) + " end past before " +
                DurationText(rule.before));
    }
    return rule;
}

// Each break at its earliest after the one before: where these do not fit a
// length, no placement does. A longer shift only widens the windows: the
// shortest length decides for all.
void CheckBreaksFit(const ShiftTemplate& t, const Place& at) {
    for (const int length : {t.minLength}) {
        int free = 0; // the earliest the next break may start
        for (std::size_t k = 0; k < t.breaks.size(); ++k) {
            const BreakRule& b = t.breaks[k];
            const int start = std::max(b.after, free);
            if (start + b.length > std::min(b.before, length)) {
                (at / "breaks")[k].Fail("cannot be placed in a shift of " + DurationText(length) +
                                        (k > 0 ? " after the breaks before it" : "") +
                                        ": it would end at " + DurationText(start + b.length) +
                                        ", past " +
                                        (b.before <= length ? "its before " + DurationText(b.before)
                                                            : "the shift's end"));
            }
            free = start + b.length;
        }
    }
}

ShiftTemplate ReadTemplate(const Json& object, const std::string& file, std::size_t index) {
    const Place at{file + "shifts[" + std::to_string(index) + "]: ", ""};
    if (!object.is_object()) {
        at.Fail("must be an object, got " + Shown(object));
    }
    ShiftTemplate t;
    Known(object, {"name", "start", "length", "breaks", "cost", "min", "max", "days"}, at);
    const Json& name = Need(object, "name", at);
    if (!name.is_string() || Trimmed(name.get<std::string>()).empty()) {
        (at / "name").Fail("must be a text that is not blank, got " + Shown(name));
    }
    t.name = std::string(Trimmed(name.get<std::string>()));
    const Place named{file + "template '" + t.name + "': ", ""};
    ReadStart(Need(object, "start", named), t, named / "start");
    ReadLength(Need(object, "length", named), t, named / "length");
    if (object.contains("breaks")) {
        const Json& breaks = object["breaks"];
        if (!breaks.is_array()) {
            (named / "breaks").Fail("must be a list, got " + Shown(breaks));
        }
        for (std::size_t k = 0; k < breaks.size(); ++k) {
            t.breaks.push_back(ReadBreak(breaks[k], (named / "breaks")[k]));
        }
    }
    if (object.contains("cost")) {
        const Json& cost = object["cost"];
        if (cost.is_string() && cost.get<std::string>() == "paid-hours") {
            t.cost.reset();
        } else if (cost.is_number() && cost.get<double>() > 0 && cost.get<double>() <= 1e9) {
            t.cost = cost.get<double>();
        } else {
            (named / "cost")
                .Fail("must be a number above 0 (at most 1e9) or \"paid-hours\", got " +
                      Shown(cost));
        }
    }
    if (object.contains("min")) {
        t.min = Whole(object["min"], named / "min");
    }
    if (object.contains("max")) {
        t.max = Whole(object["max"], named / "max");
        if (*t.max < t.min) {
            (named / "max")
                .Fail("must be at least min (" + std::to_string(t.min) + "), got " +
                      std::to_string(*t.max));
        }
    }
    if (object.contains("days")) {
        const Json& days = object["days"];
        const Place place = named / "days";
        if (!days.is_array() || days.empty()) {
            place.Fail("must be a list of weekdays (mon to sun), got " + Shown(days));
        }
        if (t.weekClock) {
            place.Fail("cannot be given with a start window in the week (DAY HH:MM)");
        }
        t.days.fill(false);
        for (std::size_t i = 0; i < days.size(); ++i) {
            const auto day =
                days[i].is_string() ? ReadWeekday(days[i].get<std::string>()) : std::nullopt;
            if (!day) {
                place[i].Fail("is not a weekday (mon to sun): " + Shown(days[i]));
            }
            t.days[static_cast<std::size_t>(*day)] = true;
        }
    }
    const double paid = t.PaidHours(t.minLength);
    if (!(paid > 0) && !t.cost) {
        (named / "cost")
            .Fail("is the paid hours, and a shift of " + DurationText(t.minLength) +
                  " has none left after its unpaid breaks");
    }
    CheckBreaksFit(t, named);
    return t;
}

} // namespace

std::vector<int> ShiftTemplate::Lengths(int interval) const {
    const int step = lengthStep == kEveryPeriod ? interval : lengthStep;
    std::vector<int> lengths;
    for (int length = minLength; length <= maxLength; length += std::max(step, 1)) {
        lengths.push_back(length);
        if (step == 0) {
            break;
        }
    }
    return lengths;
}

double ShiftTemplate::PaidHours(int length) const {
    int minutes = length;
    for (const BreakRule& b : breaks) {
        minutes -= b.paid ? 0 : b.length;
    }
    return minutes / 60.0;
}

double ShiftTemplate::Cost(int length) const {
    return cost ? *cost : PaidHours(length);
}

std::vector<ShiftTemplate> ReadTemplates(std::string_view text, std::string_view name) {
    const std::string prefix = std::string(name) + ": ";
    Json json = Json::parse(text, nullptr, false);
    if (json.is_discarded()) {
        // nlohmann's own message gives the place: parse again for it. A
        // number past the double's range is its out_of_range, not a
        // parse_error (found by fuzz_shifts).
        try {
            json = Json::parse(text);
        } catch (const Json::exception& e) {
            throw InputError(prefix + "not JSON: " + e.what());
        }
        throw InputError(prefix + "not JSON");
    }
    const Json* list = &json;
    if (json.is_object()) {
        Known(json, {"shifts"}, {prefix, ""});
        list = &Need(json, "shifts", {prefix, ""});
    }
    if (!list->is_array() || list->empty()) {
        throw InputError(prefix + "must hold a list of shift templates, as {\"shifts\": [...]}");
    }
    std::vector<ShiftTemplate> templates;
    std::set<std::string> names;
    for (std::size_t i = 0; i < list->size(); ++i) {
        templates.push_back(ReadTemplate((*list)[i], prefix, i));
        if (!names.insert(templates.back().name).second) {
            throw InputError(prefix + "template '" + templates.back().name +
                             "' is named twice: each needs a name of its own");
        }
    }
    return templates;
}

} // namespace shifts
