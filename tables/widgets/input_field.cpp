#include "tables/widgets/input_field.h"

#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

namespace tables {
namespace {

// A wrapping label that asks for the height of its lines at the width it has.
// QFormLayout's own height for width leaves a row out when another is hidden,
// and the last rows were then cut off.
class ErrorLabel : public QLabel {
public:
    using QLabel::QLabel;

    bool hasHeightForWidth() const override { return false; }
    QSize sizeHint() const override {
        return {QLabel::minimumSizeHint().width(),
                width() > 0 ? heightForWidth(width()) : QLabel::sizeHint().height()};
    }
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void resizeEvent(QResizeEvent* event) override {
        QLabel::resizeEvent(event);
        if (heightForWidth(width()) != height()) {
            updateGeometry();
        }
    }
};

} // namespace

InputField::InputField(QFormLayout* form, const char* name, const QString& label,
                       const QString& text, const Range& range)
    : edit_(new QLineEdit(text, this))
    , label_(new QLabel(this))
    , error_(new ErrorLabel(this))
    , range_(range) {
    edit_->setObjectName(QLatin1String(name));
    edit_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    label_->setBuddy(edit_);
    setLabel(label);

    error_->setObjectName(QLatin1String(name) + QStringLiteral("Error"));
    error_->setWordWrap(true);
    QPalette red = error_->palette();
    red.setColor(QPalette::WindowText, QColor(0xb0, 0x00, 0x20));
    error_->setPalette(red);
    error_->hide();

    auto* box = new QVBoxLayout(this);
    box->setContentsMargins(0, 0, 0, 0);
    box->addWidget(edit_);
    form->addRow(label_, this);
    form->addRow(error_);
}

void InputField::setVisible(bool visible) {
    QWidget::setVisible(visible);
    error_->setVisible(visible && !error_->text().isEmpty());
}

void InputField::setLabel(const QString& label) {
    label_->setText(label);
    edit_->setAccessibleName(label);
}

std::optional<double> InputField::read() {
    const Reading reading = Read(edit_->text(), range_);
    mark(reading.error);
    return reading.value;
}

std::optional<std::vector<double>> InputField::readList(int maxCount) {
    ListReading reading = ReadList(edit_->text(), range_, maxCount);
    mark(reading.error);
    if (!reading.error.isEmpty()) {
        return std::nullopt;
    }
    return std::move(reading.values);
}

void InputField::mark(const QString& error) {
    error_->setText(error);
    error_->setVisible(!error.isEmpty() && !isHidden());
    edit_->setToolTip(error);
    edit_->setAccessibleDescription(error);
    // An empty palette sets no colour: the box takes its parent's again.
    QPalette palette;
    if (!error.isEmpty()) {
        palette.setColor(QPalette::Base, QColor(0xff, 0xe4, 0xe4));
    }
    edit_->setPalette(palette);
}

QString InputField::error() const {
    return error_->text();
}

} // namespace tables
