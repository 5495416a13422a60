// A pale wash over results that are not the inputs' own (inputs that give
// none, a computation running or stopped). Drawn over them like any widget,
// it leaves them legible and scrolling, and lets the mouse through; an
// opacity effect on widgets with views inside composed stale pixels and dark
// grounds.
#pragma once

#include <QList>
#include <QPointer>
#include <QWidget>

namespace tables {

class Veil : public QWidget {
public:
    // Over `over`, a child of `parent` as the veil is; named `name`.
    Veil(const QString& name, QWidget* over, QWidget* parent);

    // An input among the results, left unwashed: it is not stale.
    void keepClear(QWidget* input) { inputs_ << input; }
    // Washes `over` or not.
    void cover(bool covered);

protected:
    bool eventFilter(QObject*, QEvent* event) override;
    void paintEvent(QPaintEvent*) override;

private:
    QWidget* over_;
    QList<QPointer<QWidget>> inputs_;
};

} // namespace tables
