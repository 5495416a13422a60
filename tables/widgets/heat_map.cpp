#include "tables/widgets/heat_map.h"

#include "tables/models/number_format.h"

#include <QHelpEvent>
#include <QPainter>
#include <QPainterPath>
#include <QToolTip>

#include <algorithm>
#include <cmath>

namespace tables {
namespace {

// ColorBrewer's YlOrRd, light for no traffic: its lightness falls steadily,
// which reads the same to the colour blind.
constexpr QRgb kRamp[] = {0xffffe5, 0xfff7bc, 0xfee391, 0xfec44f, 0xfe9929,
                          0xec7014, 0xcc4c02, 0x993404, 0x662506};
constexpr int kLabelGap = 6;
constexpr int kLegendWidth = 14;

QString Clock(int minutes) {
    return QStringLiteral("%1:%2")
        .arg(minutes / 60 % 24, 2, 10, QChar(u'0'))
        .arg(minutes % 60, 2, 10, QChar(u'0'));
}

} // namespace

QColor HeatColour(double share) {
    constexpr int last = static_cast<int>(std::size(kRamp)) - 1;
    const double at = std::clamp(share, 0.0, 1.0) * last;
    const int i = std::min(static_cast<int>(at), last - 1);
    const double f = at - i;
    const QColor a(kRamp[i]), b(kRamp[i + 1]);
    return QColor::fromRgbF(static_cast<float>(a.redF() + (b.redF() - a.redF()) * f),
                            static_cast<float>(a.greenF() + (b.greenF() - a.greenF()) * f),
                            static_cast<float>(a.blueF() + (b.blueF() - a.blueF()) * f));
}

HeatMap::HeatMap(QWidget* parent)
    : QWidget(parent) {
    setObjectName(QStringLiteral("recordsHeatMap"));
    setAccessibleName(QStringLiteral("区間ごとの呼量のヒートマップ（行は日、列は時刻）"));
    setMouseTracking(true);
    setAutoFillBackground(true);
    setBackgroundRole(QPalette::Base);
}

void HeatMap::setGrid(HeatGrid grid) {
    grid_ = std::move(grid);
    updateGeometry();
    update();
}

QSize HeatMap::sizeHint() const {
    return {680, 40 + 14 * std::max(grid_.rows(), 7)};
}

QSize HeatMap::minimumSizeHint() const {
    return {320, 120};
}

// The cells' rectangle: day labels on the left, hours above, the legend on
// the right.
QRectF HeatMap::plot() const {
    const QFontMetrics m(font());
    const int left = m.horizontalAdvance(QStringLiteral("2020-12-18 (金)")) + kLabelGap;
    const int right =
        kLabelGap + kLegendWidth + kLabelGap + m.horizontalAdvance(QStringLiteral("00.0"));
    const int top = m.height() * 2 + kLabelGap;
    return QRectF(left, top, std::max(1, width() - left - right - 4),
                  std::max(1, height() - top - m.height()));
}

QPoint HeatMap::cellAt(const QPoint& point) const {
    const QRectF p = plot();
    if (grid_.rows() == 0 || !p.contains(point)) {
        return {-1, -1};
    }
    const int column = static_cast<int>((point.x() - p.left()) / p.width() * grid_.columns);
    const int row = static_cast<int>((point.y() - p.top()) / p.height() * grid_.rows());
    return {std::clamp(column, 0, grid_.columns - 1), std::clamp(row, 0, grid_.rows() - 1)};
}

QString HeatMap::cellText(int row, int column) const {
    const HeatCell& cell = grid_.at(row, column);
    const QString where = grid_.days[row] + u' ' + Clock(column * grid_.interval);
    if (std::isnan(cell.first)) {
        return where + QStringLiteral("　時計が進められ、この時刻はありません");
    }
    QString text = where + QStringLiteral("　%1 アーラン").arg(Decimals(cell.first, 2));
    if (!std::isnan(cell.second)) {
        text +=
            QStringLiteral("、時計が戻されて 2 度目は %1 アーラン").arg(Decimals(cell.second, 2));
    }
    return text;
}

bool HeatMap::event(QEvent* event) {
    if (event->type() == QEvent::ToolTip) {
        auto* help = static_cast<QHelpEvent*>(event);
        const QPoint cell = cellAt(help->pos());
        if (cell.x() >= 0) {
            QToolTip::showText(help->globalPos(), cellText(cell.y(), cell.x()), this);
        } else {
            QToolTip::hideText();
        }
        return true;
    }
    return QWidget::event(event);
}

void HeatMap::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QFontMetrics m(font());
    const QColor ink = palette().color(QPalette::WindowText);
    if (grid_.rows() == 0) {
        painter.setPen(palette().color(QPalette::PlaceholderText));
        painter.drawText(rect(), Qt::AlignCenter,
                         QStringLiteral("通話記録のファイルを開くか、ここに落としてください。"));
        return;
    }
    const QRectF p = plot();
    const double w = p.width() / grid_.columns, h = p.height() / grid_.rows();
    const double most = grid_.most > 0 ? grid_.most : 1;
    QBrush hatch(palette().color(QPalette::Mid), Qt::BDiagPattern);
    for (int row = 0; row < grid_.rows(); ++row) {
        for (int column = 0; column < grid_.columns; ++column) {
            const HeatCell& cell = grid_.at(row, column);
            const QRectF r(p.left() + column * w, p.top() + row * h, w + 0.5, h + 0.5);
            if (std::isnan(cell.first)) {
                painter.fillRect(r, palette().color(QPalette::Base));
                painter.fillRect(r, hatch);
            } else if (std::isnan(cell.second)) {
                painter.fillRect(r, HeatColour(cell.first / most));
            } else {
                // The first hour above the diagonal, the repeated one below.
                QPainterPath upper, lower;
                upper.moveTo(r.topLeft());
                upper.lineTo(r.topRight());
                upper.lineTo(r.bottomLeft());
                upper.closeSubpath();
                lower.moveTo(r.topRight());
                lower.lineTo(r.bottomRight());
                lower.lineTo(r.bottomLeft());
                lower.closeSubpath();
                painter.fillPath(upper, HeatColour(cell.first / most));
                painter.fillPath(lower, HeatColour(cell.second / most));
            }
        }
    }
    painter.setPen(ink);
    // Days down: every one whose label has room, always the first.
    const int step = std::max(1, static_cast<int>(std::ceil(m.height() / h)));
    for (int row = 0; row < grid_.rows(); row += step) {
        const QRectF r(0, p.top() + row * h, p.left() - kLabelGap, h);
        painter.drawText(r, Qt::AlignRight | Qt::AlignVCenter, grid_.days[row]);
    }
    // Hours across, every three.
    for (int hour = 0; hour <= 24; hour += 3) {
        const double x = p.left() + hour * 60.0 / grid_.interval * w;
        painter.drawLine(QPointF(x, p.top() - 3), QPointF(x, p.top()));
        painter.drawText(QRectF(x - 30, p.top() - 3 - m.height(), 60, m.height()), Qt::AlignCenter,
                         Clock(hour * 60));
    }
    painter.drawRect(p);
    if (grid_.busyColumn >= 0) {
        const double x = p.left() + grid_.busyColumn * w;
        const QRectF busy(x, p.top(), grid_.busyColumns * w, p.height());
        QPen pen(QColor(0x1f, 0x4e, 0x9a), 2);
        painter.setPen(pen);
        painter.drawRect(busy);
        painter.drawText(
            QRectF(x - 80, 0, grid_.busyColumns * w + 160, m.height()), Qt::AlignCenter,
            QStringLiteral("時刻一致最繁時 %1").arg(Clock(grid_.busyColumn * grid_.interval)));
    }
    // The legend: the scale from none to the most.
    painter.setPen(ink);
    const QRectF legend(p.right() + kLabelGap, p.top(), kLegendWidth, p.height());
    for (int y = 0; y < static_cast<int>(legend.height()); ++y) {
        painter.fillRect(QRectF(legend.left(), legend.bottom() - y - 1, legend.width(), 1),
                         HeatColour(y / legend.height()));
    }
    painter.drawRect(legend);
    const QRectF label(legend.right() + kLabelGap - 2, 0, 60, m.height());
    painter.drawText(label.translated(0, legend.top() - m.height() / 2), Qt::AlignLeft,
                     Decimals(grid_.most, 1));
    painter.drawText(label.translated(0, legend.bottom() - m.height()), Qt::AlignLeft,
                     QStringLiteral("0"));
    painter.drawText(QRectF(0, legend.bottom() + 1, width() - 2, m.height()), Qt::AlignRight,
                     QStringLiteral("アーラン"));
}

} // namespace tables
