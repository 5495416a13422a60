// A table's headings sized to fit: each column as wide as its heading and
// its figures, the view's spare width shared among them alike (stretched
// alike, a long heading would be cut). Where the columns are too many for
// that on one line, or always where asked, the headings go on two lines as
// the view says ("サービスレベル (%)" with its unit beneath its name, say).
#pragma once

#include <QHeaderView>
#include <QString>

#include <functional>

class QTableView;

namespace tables {

class FittedHeader : public QHeaderView {
public:
    enum class Stacking { WhenTooWide, Always };
    // A heading on two lines, from the column and its heading on one.
    using Stacked = std::function<QString(int logicalIndex, const QString& heading)>;

    // Installed as `view`'s own header, fitted again as its cells resize.
    FittedHeader(QTableView* view, Stacked stacked, Stacking when = Stacking::WhenTooWide);

    void fit();

    // The unit beneath its name: the last " (" begins the second line.
    static QString UnitBeneath(int logicalIndex, const QString& heading);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void initStyleOptionForIndex(QStyleOptionHeader* option, int logicalIndex) const override;
    QSize sectionSizeFromContents(int logicalIndex) const override;

private:
    QSize sizeFor(int logicalIndex, bool stacked) const;

    QTableView* view_;
    Stacked stackedText_;
    Stacking when_;
    bool stacked_;
};

} // namespace tables
