// The options applied to Settings by their rows, and the registry's view
// with the room's rows.
#include "shifts/options.h"

#include "shifts/error.h"
#include "shifts/horizon.h"
#include "teletraffic/error.h"

#include <cmath>
#include <string>

namespace shifts {
namespace {

using Arg = tt::Argument;

bool Is(const tt::ArgumentInfo& about, Argument own) {
    return &about == &About(own);
}
bool Is(const tt::ArgumentInfo& about, Arg engine) {
    return &about == &tt::About(engine);
}

void Check(const OptionUse& use, double value) {
    if (!use.rule->domain.Contains(value)) {
        throw tt::DomainError(*use.argument, value, *use.rule);
    }
    // The grid's periods fill a day: within the rule, a day's divisors only.
    if (use.rule == &rules::kGridInterval && kMinutesPerDay % static_cast<int>(value) != 0) {
        throw tt::DomainError(*use.argument, value, "a whole number of minutes dividing a day");
    }
}

std::string_view ObjectiveWord(Objective objective) {
    return kObjectiveChoice.words[static_cast<std::size_t>(objective)].word;
}

} // namespace

void SetOption(Settings& s, const tt::ArgumentInfo& about, double value) {
    const OptionUse* use = OptionOf(about);
    if (use == nullptr) {
        throw std::invalid_argument("not an option of shifts: " + std::string(about.option));
    }
    if (const tt::ChoiceInfo* choice = use->Choice()) {
        if (!(value >= 0 && value < static_cast<double>(choice->words.size())) ||
            std::trunc(value) != value) {
            throw tt::DomainError(about, value, *use->rule);
        }
    } else {
        Check(*use, value);
    }
    if (Is(about, Argument::Objective)) {
        s.objective = static_cast<Objective>(value);
    } else if (Is(about, Argument::ShortageCost)) {
        s.shortageCost = value;
    } else if (Is(about, Argument::TimeLimit)) {
        s.timeLimit = value;
    } else if (Is(about, Argument::Cyclic)) {
        s.cyclic = value != 0;
    } else if (Is(about, Argument::Interval)) {
        s.interval = static_cast<int>(value);
    } else if (Is(about, Arg::ServiceLevel)) {
        s.serviceLevel = value;
    } else if (Is(about, Argument::MinServiceLevel)) {
        s.minServiceLevel = value;
    } else if (Is(about, Arg::Aht)) {
        s.centre.aht = value;
    } else if (Is(about, Arg::TargetTime)) {
        s.centre.targetTime = value;
    } else if (Is(about, Arg::Patience)) {
        s.centre.patience = value;
    } else if (Is(about, Arg::Lines)) {
        s.centre.lines = value;
    } else if (Is(about, Arg::Redial)) {
        s.centre.redial = value;
    } else if (Is(about, Arg::Basis)) {
        s.centre.basis = static_cast<tt::Basis>(value);
    }
}

void SetWord(Settings& s, const tt::ArgumentInfo& about, std::string_view word) {
    const OptionUse* use = OptionOf(about);
    const tt::ChoiceInfo* choice = use != nullptr ? use->Choice() : nullptr;
    if (choice == nullptr) {
        throw std::invalid_argument("not a word option of shifts: " + std::string(about.option));
    }
    const auto at = tt::ParseWord(*choice, word);
    if (!at) {
        throw InputError("the " + std::string(about.words) + " must be " + tt::WordList(*choice) +
                         ", got '" + std::string(word) + "'");
    }
    SetOption(s, about, static_cast<double>(*at));
}

const OptionUse* OptionNamed(std::string_view option) {
    for (const OptionUse& use : kOptions) {
        if (use.argument->option == option) {
            return &use;
        }
    }
    return nullptr;
}

const OptionUse* OptionByKeyword(std::string_view keyword) {
    for (const OptionUse& use : kOptions) {
        if (use.argument->keyword == keyword) {
            return &use;
        }
    }
    return nullptr;
}

void CheckSettings(const Settings& s) {
    const Centre& c = s.centre;
    const Centre defaults;
    // Each value set, by its rule; what was set, against the objective.
    const struct {
        const tt::ArgumentInfo* about;
        bool set;
        double value;
    } kValues[] = {
        {&About(Argument::ShortageCost), s.shortageCost.has_value(), s.shortageCost.value_or(0)},
        {&About(Argument::TimeLimit), true, s.timeLimit},
        {&About(Argument::Interval), s.interval.has_value(),
         static_cast<double>(s.interval.value_or(0))},
        {&tt::About(Arg::ServiceLevel), s.serviceLevel.has_value(), s.serviceLevel.value_or(0)},
        {&About(Argument::MinServiceLevel), s.minServiceLevel.has_value(),
         s.minServiceLevel.value_or(0)},
        {&tt::About(Arg::Aht), !std::isnan(c.aht), c.aht},
        {&tt::About(Arg::TargetTime), !std::isnan(c.targetTime), c.targetTime},
        {&tt::About(Arg::Patience), !(std::isinf(c.patience) && c.patience > 0), c.patience},
        {&tt::About(Arg::Lines), !(std::isinf(c.lines) && c.lines > 0), c.lines},
        {&tt::About(Arg::Redial), c.redial != defaults.redial, c.redial},
        {&tt::About(Arg::Basis), c.basis != defaults.basis, static_cast<double>(c.basis)},
    };
    const For objective = s.objective == Objective::Cover ? For::Cover : For::Service;
    const std::string_view word = ObjectiveWord(s.objective);
    for (const auto& [about, set, value] : kValues) {
        const OptionUse& use = *OptionOf(*about);
        if (!set) {
            continue;
        }
        if (use.Choice() == nullptr) {
            Check(use, value);
        }
        if (use.objective != For::Both && use.objective != objective) {
            throw OptionError(OptionError::Kind::NotTaken, *about, word);
        }
    }
    if (s.objective == Objective::Service) {
        for (const auto& [about, set, value] : kValues) {
            if (OptionOf(*about)->required && !set) {
                throw OptionError(OptionError::Kind::Required, *about, word);
            }
        }
    }
}

const tt::Registry& ShiftsRegistry() {
    static constexpr std::span<const tt::ArgumentInfo> kTables[] = {tt::kArguments, kArguments};
    static constexpr const tt::ChoiceInfo* kChoiceList[] = {
        &tt::kChoices[0], &tt::kChoices[1], &tt::kChoices[2], &tt::kChoices[3], &kObjectiveChoice};
    static const tt::Registry registry{kTables, kChoiceList};
    return registry;
}

} // namespace shifts
