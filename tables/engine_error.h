// What the engine refuses, in the window's words: the argument it names, in
// Japanese, with the value and the range the engine takes. Worded from the
// error's fields, never from its English message.
#pragma once

#include <QString>

#include <exception>

namespace tables {

// "計算できません: 呼量(アーラン)が 1.99e+09 になり、扱える範囲（0 以上 1e9
// 以下）を外れます" for a teletraffic::DomainError; a general line for any
// other exception.
QString EngineErrorText(const std::exception& error);

} // namespace tables
