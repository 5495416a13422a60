// Shows Qt strings as text, not bytes, in GoogleTest's failure messages.
#pragma once

#include <QString>
#include <QStringList>

#include <ostream>

inline void PrintTo(const QString& s, std::ostream* os) {
    *os << '"' << s.toStdString() << '"';
}
inline void PrintTo(const QStringList& list, std::ostream* os) {
    *os << '"' << list.join(QStringLiteral("\", \"")).toStdString() << '"';
}
