#include "tables/csv_export.h"

#include <QAbstractItemModel>
#include <QIODevice>
#include <QSaveFile>
#include <QtConcurrent/QtConcurrentMap>

#include <algorithm>
#include <set>
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
    if (out.write(text.data(), static_cast<qint64>(text.size())) !=
        static_cast<qint64>(text.size())) {
        error = out.errorString();
        return false;
    }
    return true;
}

} // namespace

ExportOutcome WriteCsv(const TableSetup& setup, QIODevice& out, const Monitor& monitor) {
    const int columns = static_cast<int>(setup.targets.size());
    std::string heading = "\xEF\xBB\xBF" + CornerHeading(setup).toStdString();
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
            AppendRowHeading(text, setup, row);
            for (int column = 0; column < columns; ++column) {
                text += ',';
                AppendCell(text, setup, setup.cell(row, column));
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

ExportOutcome ExportCsv(const TableSetup& setup, const QString& path, const Monitor& monitor) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        return {ExportEnd::Failed, file.errorString()};
    }
    ExportOutcome outcome = WriteCsv(setup, file, monitor);
    if (outcome.end != ExportEnd::Saved) {
        file.cancelWriting(); // the temporary file goes with `file`
        return outcome;
    }
    if (!file.commit()) {
        return {ExportEnd::Failed, file.errorString()};
    }
    return outcome;
}

namespace {

QString Cell(const QAbstractItemModel& model, int row, int column) {
    return model.data(model.index(row, column), Qt::DisplayRole).toString();
}

QString Heading(const QAbstractItemModel& model, int column) {
    return model.headerData(column, Qt::Horizontal, Qt::DisplayRole).toString();
}

// A field as RFC 4180 quotes it.
QString CsvField(const QString& text) {
    if (!text.contains(u',') && !text.contains(u'"') && !text.contains(u'\n') &&
        !text.contains(u'\r')) {
        return text;
    }
    QString quoted = text;
    quoted.replace(u'"', QStringLiteral("\"\""));
    return u'"' + quoted + u'"';
}

// For a pasted cell: a tab or a line break would start another.
QString TsvField(QString text) {
    return text.replace(u'\t', u' ').replace(u'\n', u' ');
}

} // namespace

QString ViewSelectionText(const QAbstractItemModel& model, const QItemSelection& selection) {
    std::set<int> rows;
    std::set<int> columns;
    for (const QModelIndex& index : selection.indexes()) {
        rows.insert(index.row());
        columns.insert(index.column());
    }
    QStringList line;
    for (int column : columns) {
        line << Heading(model, column);
    }
    QString text = line.join(u'\t') + u'\n';
    for (int row : rows) {
        line.clear();
        for (int column : columns) {
            const bool selected = selection.contains(model.index(row, column));
            line << (selected ? TsvField(Cell(model, row, column)) : QString());
        }
        text += line.join(u'\t') + u'\n';
    }
    return text;
}

bool SaveViewCsv(const QAbstractItemModel& model, const QString& path, QString& error) {
    QStringList line;
    for (int column = 0; column < model.columnCount(); ++column) {
        line << CsvField(Heading(model, column));
    }
    QString text = u'\uFEFF' + line.join(u',') + QStringLiteral("\r\n");
    for (int row = 0; row < model.rowCount(); ++row) {
        line.clear();
        for (int column = 0; column < model.columnCount(); ++column) {
            line << CsvField(Cell(model, row, column));
        }
        text += line.join(u',') + QStringLiteral("\r\n");
    }
    QSaveFile file(path);
    const QByteArray bytes = text.toUtf8();
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        error = file.errorString();
        return false;
    }
    return true;
}

} // namespace tables
