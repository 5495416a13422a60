#include "tables/models/csv_export.h"

#include "tables/models/files.h"

#include <QIODevice>
#include <QSaveFile>
#include <QtConcurrent/QtConcurrentMap>

#include <algorithm>
#include <string>
#include <vector>

namespace tables {
namespace {

// Small enough that the threads share the work evenly, large enough that
// handing blocks out costs nothing beside the cells.
constexpr qint64 kBlockRows = 512;
constexpr int kBlocksPerWrite = 16;

struct Block {
    qint64 first;
    qint64 end;
};

bool Write(QIODevice& out, const std::string& text, QString& error) {
    if (!WriteAll(out, text.data(), static_cast<qint64>(text.size()))) {
        error = out.errorString();
        return false;
    }
    return true;
}

} // namespace

ExportOutcome WriteCsv(const TableSetup& setup, QIODevice& out, const Monitor& monitor,
                       const QByteArray& head) {
    const int columns = static_cast<int>(setup.targets.size());
    std::string heading = head.toStdString() + CornerHeading(setup).toStdString();
    for (int column = 0; column < columns; ++column) {
        heading += ',' + ColumnHeading(setup, column).toStdString();
    }
    heading += "\r\n";
    QString error;
    if (!Write(out, heading, error)) {
        return {ExportEnd::Failed, error};
    }

    const auto format = [&](const Block& block) {
        std::string text;
        for (qint64 row = block.first; row < block.end && !monitor.cancelled(); ++row) {
            const double value = setup.rowValue(row);
            AppendRowHeading(text, value);
            for (int column = 0; column < columns; ++column) {
                text += ',';
                AppendCell(text, setup, setup.cellAt(value, column));
            }
            text += "\r\n";
        }
        return text;
    };

    const qint64 rows = setup.rowCount();
    for (qint64 done = 0; done < rows;) {
        std::vector<Block> blocks;
        for (int i = 0; i < kBlocksPerWrite && done < rows; ++i) {
            const qint64 end = std::min(rows, done + kBlockRows);
            blocks.push_back({done, end});
            done = end;
        }
        const std::vector<std::string> texts = QtConcurrent::blockingMapped(blocks, format);
        if (monitor.cancelled()) {
            return {ExportEnd::Cancelled, {}};
        }
        for (const std::string& text : texts) {
            if (!Write(out, text, error)) {
                return {ExportEnd::Failed, error};
            }
        }
        monitor.progress(done);
    }
    return {ExportEnd::Saved, {}};
}

ExportOutcome ExportCsv(const TableSetup& setup, const QString& path, const Monitor& monitor,
                        const QByteArray& head) {
    QSaveFile file(path);
    // Unbuffered: a write that fails fails at once, with its reason (files.h).
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        return {ExportEnd::Failed, file.errorString()};
    }
    ExportOutcome outcome = WriteCsv(setup, file, monitor, head);
    if (outcome.end != ExportEnd::Saved) {
        file.cancelWriting(); // the temporary file goes with `file`
        return outcome;
    }
    if (!file.commit()) {
        return {ExportEnd::Failed, file.errorString()};
    }
    return outcome;
}

} // namespace tables
