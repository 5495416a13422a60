#include "tables/widgets/veil.h"

#include <QEvent>
#include <QPainter>
#include <QRegion>

namespace tables {

Veil::Veil(const QString& name, QWidget* over, QWidget* parent)
    : QWidget(parent)
    , over_(over) {
    setObjectName(name);
    setAttribute(Qt::WA_TransparentForMouseEvents);
    over->installEventFilter(this);
    hide();
}

void Veil::cover(bool covered) {
    setGeometry(over_->geometry());
    setVisible(covered);
    raise();
}

bool Veil::eventFilter(QObject*, QEvent* event) {
    if (event->type() == QEvent::Resize || event->type() == QEvent::Move) {
        setGeometry(over_->geometry());
    }
    return false;
}

void Veil::paintEvent(QPaintEvent*) {
    QColor wash = palette().color(QPalette::Window);
    wash.setAlphaF(0.55);
    QRegion region(rect());
    for (const QPointer<QWidget>& input : inputs_) {
        if (input != nullptr && input->isVisible()) {
            region -= QRect(input->mapTo(parentWidget(), QPoint(0, 0)) - pos(), input->size());
        }
    }
    QPainter painter(this);
    painter.setClipRegion(region);
    painter.fillRect(rect(), wash);
}

} // namespace tables
