// The engine's refusals in the window's words. The engine names the argument
// as the command line spells it and states its rule in English; the window
// says which of its fields it is and, for the refusals a user meets by typing
// values that each look fine, why in Japanese.
#pragma once

#include <QString>

#include <exception>

namespace tables {

// "呼量 10 では計算できません: ..." for a teletraffic::DomainError, the
// exception's own text for anything else.
QString EngineReason(const std::exception& error);

} // namespace tables
