// A labelled input box that reads itself against its range and, when what is
// typed will not do, says why beneath the box, across the form's width (a
// line of its own, hidden with the box's row), and in its accessible
// description, leaving the text as typed.
#pragma once

#include "tables/models/inputs.h"

#include <QWidget>

#include <optional>
#include <vector>

class QFormLayout;
class QLabel;
class QLineEdit;

namespace tables {

class InputField : public QWidget {
    Q_OBJECT

public:
    // Adds the field as a row of `form`; the box is named `name` and
    // described to screen readers by `label`.
    InputField(QFormLayout* form, const char* name, const QString& label, const QString& text,
               const Range& range);

    QLineEdit* edit() const { return edit_; }
    QLabel* label() const { return label_; }
    QLabel* errorLine() const { return error_; }
    void setLabel(const QString& label);
    const Range& range() const { return range_; }
    void setRange(const Range& range) { range_ = range; }

    // The value, or nothing with the field marked.
    std::optional<double> read();
    std::optional<std::vector<double>> readList(int maxCount);

    // Marks the field with `error`, or clears the mark when it is empty.
    void mark(const QString& error);
    QString error() const;

    // Shows or hides the error's line with the box (QFormLayout::setRowVisible).
    void setVisible(bool visible) override;

private:
    QLineEdit* edit_;
    QLabel* label_;
    QLabel* error_;
    Range range_;
};

} // namespace tables
