#include "tables/models/files.h"

#include <QAbstractItemModel>
#include <QSaveFile>

namespace tables {

bool WriteAll(QIODevice& out, const char* data, qint64 size) {
    const qint64 written = out.write(data, size);
    if (written == size) {
        return true;
    }
    if (written > 0) {
        out.write(data + written, size - written);
    }
    return false;
}

QString SaveFile(const QString& path, const QByteArray& data) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        return file.errorString();
    }
    if (!WriteAll(file, data.constData(), data.size())) {
        const QString error = file.errorString();
        file.cancelWriting();
        return error;
    }
    return file.commit() ? QString() : file.errorString();
}

namespace {

QString Cell(const QAbstractItemModel& model, int row, int column) {
    return row < 0 ? model.headerData(column, Qt::Horizontal).toString()
                   : model.index(row, column).data().toString();
}

QString Quoted(QString text) {
    if (text.contains(u',') || text.contains(u'"') || text.contains(u'\n') ||
        text.contains(u'\r')) {
        text.replace(u'"', QStringLiteral("\"\""));
        return u'"' + text + u'"';
    }
    return text;
}

} // namespace

QByteArray CsvHead(const QList<QStringList>& stated) {
    QString text = QStringLiteral("\uFEFF");
    for (const QStringList& line : stated) {
        // The "#" first, never a quote: a label that would need quoting has
        // its commas and quotes made full-width.
        QString label = line.value(0);
        label.replace(u',', u'，').replace(u'"', u'”').replace(u'\n', u' ').replace(u'\r', u' ');
        text += QStringLiteral("# ") + label;
        for (qsizetype i = 1; i < line.size(); ++i) {
            text += u',' + Quoted(line[i]);
        }
        text += QStringLiteral("\r\n");
    }
    return text.toUtf8();
}

QByteArray TableCsv(const QAbstractItemModel& model, const QByteArray& head) {
    QString text;
    for (int row = -1; row < model.rowCount(); ++row) {
        for (int column = 0; column < model.columnCount(); ++column) {
            text +=
                (column == 0 ? QString() : QStringLiteral(",")) + Quoted(Cell(model, row, column));
        }
        text += QStringLiteral("\r\n");
    }
    return head + text.toUtf8();
}

QString TableText(const QAbstractItemModel& model, const QList<int>& rows,
                  const QList<int>& columns) {
    QString text;
    for (int row : QList<int>{-1} + rows) {
        for (int column : columns) {
            text += (column == columns.front() ? QString() : QStringLiteral("\t")) +
                    Cell(model, row, column);
        }
        text += u'\n';
    }
    return text;
}

} // namespace tables
