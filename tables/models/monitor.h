// How long work running off the interface thread reports and is stopped.
#pragma once

#include <QtGlobal>

#include <functional>

namespace tables {

// `cancelled` may be asked from several threads at once, and often;
// `progress` comes from one thread, with the count of units done.
struct Monitor {
    std::function<bool()> cancelled = [] { return false; };
    std::function<void(qint64 done)> progress = [](qint64) {};
};

} // namespace tables
