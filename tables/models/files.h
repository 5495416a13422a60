// Writing the tabs' files so that a failure says the system's reason ("No
// space left on device", "Permission denied"), not "Unknown error", and no
// partial file takes a file's place.
#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

class QIODevice;
class QAbstractItemModel;

namespace tables {

// Writes all of `data`, or returns false with out.errorString() the system's
// reason. (After a short write, Qt keeps no reason; the write of the rest
// that cannot go anywhere gives it.)
bool WriteAll(QIODevice& out, const char* data, qint64 size);

// Writes `data` to `path` whole or not at all; empty, or why not.
QString SaveFile(const QString& path, const QByteArray& data);

// The start of every CSV file the tabs write: a UTF-8 byte-order mark (for
// spreadsheets that read UTF-8 without one as the local encoding), then a
// line for each of `stated`, the inputs the file answers, each a label and its
// values, the line beginning with "#" so that readers of data skip it (pandas'
// comment="#"), and a spreadsheet shows it as a row above the table; CRLF.
QByteArray CsvHead(const QList<QStringList>& stated = {});

// A small table as CSV after `head`, its horizontal headings first, or as
// tab-separated lines for the clipboard: every cell, or those `selected` says.
QByteArray TableCsv(const QAbstractItemModel& model, const QByteArray& head = CsvHead());
QString TableText(const QAbstractItemModel& model, const QList<int>& rows,
                  const QList<int>& columns);

} // namespace tables
