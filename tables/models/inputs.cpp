#include "tables/models/inputs.h"

#include "tables/models/number_format.h"

#include "teletraffic/number_text.h"

#include <QRegularExpression>

#include <cmath>

namespace tables {

bool Range::contains(double value) const {
    const bool aboveMin = minOpen ? value > min : value >= min;
    const bool belowMax = maxOpen ? value < max : value <= max;
    return aboveMin && belowMax && (!whole || value == std::floor(value));
}

QString RangeText(const Range& range) {
    return QStringLiteral("%1 %2 %3 %4%5")
        .arg(Exact(range.min), range.minOpen ? u"より大きく" : u"以上", Exact(range.max),
             range.maxOpen ? u"未満" : u"以下", range.whole ? u"の整数" : u"");
}

namespace {

QString Problem(const QString& what, const Range& range) {
    return QStringLiteral("%1（%2）").arg(what, RangeText(range));
}

} // namespace

Reading Read(QStringView text, const Range& range) {
    text = text.trimmed();
    if (range.percent && (text.endsWith(u'%') || text.endsWith(u'％'))) {
        text = text.chopped(1).trimmed();
    }
    if (text.isEmpty()) {
        return {std::nullopt, Problem(QStringLiteral("値を入れてください"), range)};
    }
    const number_text::Reading reading = number_text::Read(text.toString().toStdString());
    switch (reading.problem) {
    case number_text::Problem::None:
        break;
    case number_text::Problem::DecimalComma:
        return {
            std::nullopt,
            Problem(QStringLiteral("小数点には「.」を使ってください（「,」は区切りです）"), range)};
    case number_text::Problem::DigitGroups: {
        // Said as the number it is without them: never a hint toward 1.25.
        QString plain = text.toString();
        plain.remove(u',').remove(u'，');
        return {std::nullopt,
                Problem(QStringLiteral("桁区切りの「,」は使えません。%1 のように入力してください")
                            .arg(plain.trimmed()),
                        range)};
    }
    case number_text::Problem::OutOfRange:
        return {std::nullopt, Problem(QStringLiteral("範囲外です"), range)};
    default:
        return {std::nullopt, Problem(QStringLiteral("数値ではありません"), range)};
    }
    if (!range.contains(reading.value)) {
        return {std::nullopt, Problem(QStringLiteral("範囲外です"), range)};
    }
    return {reading.value, {}};
}

QStringList ListItems(QStringView text) {
    static const QRegularExpression separators(QStringLiteral("[,，、\\s\\x{3000}]+"));
    return text.toString().split(separators, Qt::SkipEmptyParts);
}

ListReading ReadList(QStringView text, const Range& range, int maxCount) {
    const QStringList items = ListItems(text);
    if (items.isEmpty()) {
        return {{}, Problem(QStringLiteral("値を入れてください"), range)};
    }
    if (items.size() > maxCount) {
        return {{}, QStringLiteral("値は %1 個までです").arg(maxCount)};
    }
    ListReading list;
    for (const QString& item : items) {
        const Reading one = Read(item, range);
        if (!one.value) {
            return {{}, QStringLiteral("「%1」: %2").arg(item, one.error)};
        }
        list.values.push_back(*one.value);
    }
    return list;
}

} // namespace tables
