// What the room shifts/ refuses, in the window's words. An OptionError by its
// kind and its row, a value outside an option's rule as the engine's
// refusals are (engine_error.h, with the room's arguments' words beside the
// engine's), and the room's other refusals by a table of the forms its
// messages take: the template and the field first ("早番: 休憩 2 が枠より
// 長い"), then the reason. A message of no form known is shown as the room
// wrote it, never hidden.
#pragma once

#include "shifts/arguments.h"
#include "tables/models/engine_error.h"

#include <QString>

#include <exception>
#include <span>

namespace tables {

// The window's words for the room's own arguments ("時間制限 (秒)").
std::span<const ArgumentWords> ShiftArgumentWords();
QString ShiftArgumentLabel(shifts::Argument argument);

// Any exception a solve or a reading of templates throws, in Japanese where
// its form is known.
QString ShiftErrorText(const std::exception& error);

} // namespace tables
