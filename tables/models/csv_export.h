// The whole Erlang B table as a CSV file for spreadsheets: UTF-8 with a
// byte-order mark (Japanese spreadsheet programs read UTF-8 without one as the
// local encoding), a heading line, then a line per row; CRLF line ends.
//
// Rows are formatted in blocks on the worker threads, in parallel, and
// written in order; a million rows take as long as the engine's cells do.
#pragma once

#include "tables/models/erlang_table.h"
#include "tables/models/files.h"
#include "tables/models/monitor.h"

#include <QString>

class QIODevice;

namespace tables {

enum class ExportEnd { Saved, Cancelled, Failed };

struct ExportOutcome {
    ExportEnd end;
    QString error; // why it failed
};

// Writes `head` (files.h), then the table to `out`, reporting the rows
// written; stops at once, mid-file, when cancelled.
ExportOutcome WriteCsv(const TableSetup& setup, QIODevice& out, const Monitor& monitor = {},
                       const QByteArray& head = CsvHead());

// Writes the table to `path` through a temporary file that takes the path's
// place only when complete: cancelled or failed, whatever was at `path` stays
// as it was and no partial file is left.
ExportOutcome ExportCsv(const TableSetup& setup, const QString& path, const Monitor& monitor = {},
                        const QByteArray& head = CsvHead());

} // namespace tables
