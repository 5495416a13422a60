// The shift templates as a table a planner edits, a row per template: each
// cell is text in the window's words ("06:00–09:00 / 15", "15分 1:30–3:00;
// 30分 3:30–5:30"), turned into the room's JSON (templates.h) and read by the
// room itself, row by row, so that the table refuses what corvane-cli
// refuses. A row that does not read keeps its text and says why in Japanese,
// naming the template and the field ("早番: 休憩 2 が枠より長い"); rows come
// back from the room's JSON too (a file, or settings of an older version).
#pragma once

#include "shifts/templates.h"

#include <QAbstractTableModel>
#include <QString>
#include <QStringList>

#include <array>
#include <optional>
#include <string>
#include <vector>

namespace tables {

enum class TemplateColumn { Name, Start, Length, Breaks, Cost, Limits, Days };
inline constexpr int kTemplateColumns = 7;

class ShiftTemplateTable : public QAbstractTableModel {
public:
    using Cells = std::array<QString, kTemplateColumns>;

    // Starts with the default templates (DefaultShiftTemplates).
    explicit ShiftTemplateTable(QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    // Display and edit: the cell's text; tool tip: the row's reason.
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    // A row after the last, a copy of `like` (or of the last row) under a new name.
    void addRow(std::optional<int> like = std::nullopt);
    void removeTemplate(int row);
    void setRows(std::vector<Cells> rows);
    const std::vector<Cells>& rows() const { return rows_; }

    // Why `row` does not read (in Japanese, the template and the field
    // named), or empty.
    QString rowError(int row) const;
    // Why the table as a whole does not (no row, a bad row, a name twice), or empty.
    QString error() const;
    // The room's JSON of every row, {"shifts": [...]}: what a solve reads and
    // what is exported. Meaningful when error() is empty.
    QString json() const;

    // Replaces the rows by the templates of the room's JSON; on a refusal the
    // rows stay and the reason, in Japanese, is returned.
    std::optional<QString> readJson(const QString& json);

    // The cells as kept in the settings, and read back: nothing (the rows
    // unchanged) where the text is not such a list.
    QString cellsText() const;
    bool readCellsText(const QString& text);

private:
    void check();

    std::vector<Cells> rows_;
    std::vector<QString> errors_;
};

// The cells of a template the room read.
ShiftTemplateTable::Cells TemplateCells(const shifts::ShiftTemplate& shift);

} // namespace tables
