// The option table applied to Settings: each value checked against its
// row's domain, the message naming the option as the command line spells it.
#include "shifts/options.h"

#include "shifts/error.h"
#include "teletraffic/number_text.h"

#include <cmath>
#include <string>

namespace shifts {
namespace {

std::string Domain(const OptionRow& row) {
    const auto show = [](double v) { return number_text::Show(v); };
    if (row.kind == OptionKind::Whole) {
        return "a whole number from " + show(row.min) + " to " + show(row.max);
    }
    std::string text = row.minOpen ? "above " + show(row.min) : "from " + show(row.min);
    if (std::isinf(row.max)) {
        return text;
    }
    return text + (row.maxOpen ? " up to but not including " : " to ") + show(row.max);
}

} // namespace

const OptionRow* FindOption(std::string_view name) {
    for (const OptionRow& row : kOptionTable) {
        if (row.name == name) {
            return &row;
        }
    }
    return nullptr;
}

void SetOption(Settings& s, std::string_view name, double value) {
    const OptionRow* row = FindOption(name);
    if (row == nullptr) {
        throw std::invalid_argument("not an option of shifts: " + std::string(name));
    }
    const std::string option = "--" + std::string(name);
    switch (row->kind) {
    case OptionKind::Number:
    case OptionKind::Whole: {
        const bool whole = row->kind == OptionKind::Number || std::trunc(value) == value;
        const bool above = row->minOpen ? value > row->min : value >= row->min;
        const bool below = row->maxOpen ? value < row->max : value <= row->max;
        if (!(above && below && whole)) {
            throw InputError(option + " must be " + Domain(*row) + ", got " +
                             number_text::Show(value));
        }
        break;
    }
    case OptionKind::Word:
        if (!(value >= 0 && value < static_cast<double>(row->words.size())) ||
            std::trunc(value) != value) {
            throw InputError(option + ": no word " + number_text::Show(value));
        }
        break;
    case OptionKind::Flag:
        break;
    }
    const auto index = static_cast<std::size_t>(row->kind == OptionKind::Word ? value : 0);
    if (name == "objective") {
        s.objective = index == 0 ? Objective::Cover : Objective::Service;
    } else if (name == "shortage-cost") {
        s.shortageCost = value;
    } else if (name == "time-limit") {
        s.timeLimit = value;
    } else if (name == "cyclic") {
        s.cyclic = value != 0;
    } else if (name == "interval") {
        s.interval = static_cast<int>(value);
    } else if (name == "service-level") {
        s.serviceLevel = value;
    } else if (name == "min-service-level") {
        s.minServiceLevel = value;
    } else if (name == "aht") {
        s.centre.aht = value;
    } else if (name == "target-time") {
        s.centre.targetTime = value;
    } else if (name == "patience") {
        s.centre.patience = value;
    } else if (name == "lines") {
        s.centre.lines = value;
    } else if (name == "redial") {
        s.centre.redial = value;
    } else if (name == "basis") {
        constexpr teletraffic::Basis bases[] = {
            teletraffic::Basis::Offered, teletraffic::Basis::Answered,
            teletraffic::Basis::ExcludingShortAbandons, teletraffic::Basis::Virtual};
        s.centre.basis = bases[index];
    }
}

void SetWord(Settings& s, std::string_view name, std::string_view word) {
    const OptionRow* row = FindOption(name);
    if (row == nullptr || row->kind != OptionKind::Word) {
        throw std::invalid_argument("not a word option of shifts: " + std::string(name));
    }
    for (std::size_t i = 0; i < row->words.size(); ++i) {
        if (row->words[i] == word) {
            SetOption(s, name, static_cast<double>(i));
            return;
        }
    }
    std::string words;
    for (const std::string_view w : row->words) {
        words.append(words.empty() ? "" : ", ").append(w);
    }
    throw InputError("--" + std::string(name) + " must be one of " + words + ", got '" +
                     std::string(word) + "'");
}

} // namespace shifts
