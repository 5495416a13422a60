// Shows Qt strings as text, not bytes, in GoogleTest's messages.
#pragma once

#include <QString>

#include <ostream>

inline std::ostream& operator<<(std::ostream& os, const QString& s) {
    return os << s.toStdString();
}
