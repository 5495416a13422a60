// Writing the tabs' files so that a failure says the system's reason ("No
// space left on device", "Permission denied"), not "Unknown error", and no
// partial file takes a file's place.
#pragma once

#include <QByteArray>
#include <QString>

class QIODevice;
class QAbstractItemModel;

namespace tables {

// Writes all of `data`, or returns false with out.errorString() the system's
// reason. (After a short write, Qt keeps no reason; the write of the rest
// that cannot go anywhere gives it.)
bool WriteAll(QIODevice& out, const char* data, qint64 size);

// Writes `data` to `path` whole or not at all; empty, or why not.
QString SaveFile(const QString& path, const QByteArray& data);

// A small table as CSV (UTF-8 with a byte-order mark, CRLF), its horizontal
// headings first, or as tab-separated lines for the clipboard: every cell, or
// those `selected` says.
QByteArray TableCsv(const QAbstractItemModel& model);
QString TableText(const QAbstractItemModel& model, const QList<int>& rows,
                  const QList<int>& columns);

} // namespace tables
