// What the engine refuses, in the window's words: the argument it names, in
// Japanese, with the value and the range the engine takes. Worded from the
// error's fields, never from its English message.
#pragma once

#include "tables/models/inputs.h"

#include "teletraffic/arguments.h"

#include <QString>

#include <exception>
#include <span>

namespace tables {

// The window's words for an argument of the registry, the engine's or a
// room's: the registry says the rest.
struct ArgumentWords {
    const teletraffic::ArgumentInfo* about;
    const char16_t* words;
    bool percent = false; // typed as a percentage, taken as a fraction
    // Why a value in the range is refused, where only one reason can be.
    const char16_t* inRange = nullptr;
};

// "計算できません: 呼量(アーラン)が 1990000000 になり、扱える範囲（0 以上
// 1000000000 以下）を外れます" for a teletraffic::DomainError, the value as
// the user gave it (a percentage in %, "最大稼働率 1e-07 %"), and the reason
// where a value in range is refused ("必要なエージェント数が 2000000000 人を
// 超えます"); a general line for any other exception.
QString EngineErrorText(const std::exception& error);
// The same where the argument's values in `allowed` count as in range: a
// model that takes more than another (Engset, call attempts up to 1e9
// erlangs a source) refuses such a value for what goes with it, not its size.
QString EngineErrorText(const std::exception& error, const Range* allowed);
// The same for a tab over a room's model: its arguments' words beside the
// engine's.
QString EngineErrorText(const std::exception& error, const Range* allowed,
                        std::span<const ArgumentWords> roomWords);

// The window's words for one of the engine's arguments ("平均処理時間"), and
// whether it is typed as a percentage in a field.
QString ArgumentLabel(teletraffic::Argument argument);
bool TypedAsPercent(teletraffic::Argument argument);

// The values a rule of the registry lets through, as a field's range.
Range RangeOf(const teletraffic::Rule& rule);

} // namespace tables
