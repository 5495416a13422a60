// Headings fitted to their table: widths from the headings and the cells,
// the spare width shared out by whole pixels, the headings stacked on two
// lines where one line each would not fit.
#include "tables/widgets/fitted_header.h"

#include <QEvent>
#include <QStyleOptionHeader>
#include <QTableView>

#include <algorithm>
#include <numeric>
#include <utility>
#include <vector>

namespace tables {

FittedHeader::FittedHeader(QTableView* view, Stacked stacked, Stacking when)
    : QHeaderView(Qt::Horizontal, view)
    , view_(view)
    , stackedText_(std::move(stacked))
    , when_(when)
    , stacked_(when == Stacking::Always) {
    // As the view's own header.
    setSectionsClickable(true);
    setHighlightSections(true);
    setSectionResizeMode(QHeaderView::Fixed);
    view->setHorizontalHeader(this);
    view->viewport()->installEventFilter(this);
}

QString FittedHeader::UnitBeneath(int, const QString& heading) {
    QString stacked = heading;
    const qsizetype unit = stacked.lastIndexOf(QStringLiteral(" ("));
    if (unit > 0) {
        stacked[unit] = u'\n';
    }
    return stacked;
}

void FittedHeader::fit() {
    const QAbstractItemView* cells = view_; // where the cells' width is public
    const int count = this->count();
    int shown = 0; // a hidden column takes no width
    for (int i = 0; i < count; ++i) {
        shown += isSectionHidden(i) ? 0 : 1;
    }
    const auto widths = [&](bool stacked) {
        std::vector<int> all;
        for (int i = 0; i < count; ++i) {
            all.push_back(isSectionHidden(i)
                              ? 0
                              : std::max(sizeFor(i, stacked).width(), cells->sizeHintForColumn(i)));
        }
        return all;
    };
    const int room = view_->viewport()->width();
    const bool stack = when_ == Stacking::Always || [&] {
        const std::vector<int> lines = widths(false);
        return std::accumulate(lines.begin(), lines.end(), 0) > room;
    }();
    const std::vector<int> width = widths(stack);
    if (stack != stacked_) {
        stacked_ = stack;
        if (count > 0) {
            headerDataChanged(Qt::Horizontal, 0, count - 1); // the height with it
        }
        emit geometriesChanged();
    }
    const int spare = std::max(0, room - std::accumulate(width.begin(), width.end(), 0));
    for (int i = 0, at = 0; i < count; ++i) {
        if (!isSectionHidden(i)) {
            resizeSection(i, width[static_cast<std::size_t>(i)] + spare * (at + 1) / shown -
                                 spare * at / shown);
            ++at;
        }
    }
}

bool FittedHeader::eventFilter(QObject*, QEvent* event) {
    if (event->type() == QEvent::Resize) {
        fit();
    }
    return false;
}

void FittedHeader::initStyleOptionForIndex(QStyleOptionHeader* option, int logicalIndex) const {
    QHeaderView::initStyleOptionForIndex(option, logicalIndex);
    if (stacked_) {
        option->text = stackedText_(logicalIndex, option->text);
    }
}

QSize FittedHeader::sectionSizeFromContents(int logicalIndex) const {
    return sizeFor(logicalIndex, stacked_);
}

QSize FittedHeader::sizeFor(int logicalIndex, bool stacked) const {
    const QSize size = QHeaderView::sectionSizeFromContents(logicalIndex);
    if (!stacked) {
        return size;
    }
    const QString heading = model()->headerData(logicalIndex, orientation()).toString();
    const QSize one = fontMetrics().size(0, heading);
    const QSize two = fontMetrics().size(0, stackedText_(logicalIndex, heading));
    return size + two - one;
}

} // namespace tables
