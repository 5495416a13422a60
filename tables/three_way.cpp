#include "tables/three_way.h"

#include "teletraffic/erlang.h"

#include <QStringList>

#include <algorithm>

namespace tables {

ThreeWay SolveThreeWay(const ThreeWayInputs& in) {
    ThreeWay answer{in.unknown, in.traffic, in.blocking, in.lines, {}};
    switch (in.unknown) {
    case Unknown::Lines:
        answer.lines = static_cast<double>(teletraffic::ErlangBLines(in.traffic, in.blocking));
        break;
    case Unknown::Blocking:
        answer.blocking = teletraffic::ErlangB(in.traffic, in.lines);
        break;
    case Unknown::Traffic:
        answer.traffic = teletraffic::ErlangBTraffic(in.lines, in.blocking);
        break;
    }
    for (double n = std::max(0.0, answer.lines - 1);
         n <= std::min(answer.lines + 1, teletraffic::kMaxLines); ++n) {
        answer.around.push_back({n, teletraffic::ErlangB(answer.traffic, n)});
    }
    return answer;
}

QString BlockingText(double blocking) {
    return QString::number(blocking, 'g', 6);
}

namespace {

QString Count(double lines) {
    return QString::number(lines, 'f', 0);
}

// "17 回線で 0.0145、19 回線で 0.00464" for the counts beside the answer.
QString Neighbours(const ThreeWay& a) {
    QStringList parts;
    for (const LineBlocking& at : a.around) {
        if (at.lines != a.lines) {
            parts << QStringLiteral("%1 回線で %2").arg(Count(at.lines), BlockingText(at.blocking));
        }
    }
    return parts.join(u'、');
}

} // namespace

QString Explain(const ThreeWay& a) {
    const QString traffic = FullText(a.traffic);
    const QString blocking = BlockingText(a.blocking);
    switch (a.unknown) {
    case Unknown::Lines:
        if (a.lines == 0) {
            return QStringLiteral("呼量 0 アーランに回線は要りません。");
        }
        return QStringLiteral("呼量 %1 アーランの呼損率は %2 回線で %3 ですが、%4 回線では "
                              "%5 です。")
            .arg(traffic, Count(a.lines),
                 Versus(a.around[1].blocking, Relation::AtMost, a.blocking), Count(a.lines - 1),
                 Versus(a.around[0].blocking, Relation::Above, a.blocking));
    case Unknown::Traffic:
        return QStringLiteral(
                   "%1 回線が呼損率 %2 で運べる呼量は %3 アーランです（この呼量で %4）。")
            .arg(Count(a.lines), blocking, traffic, Neighbours(a));
    case Unknown::Blocking:
        return QStringLiteral("呼量 %1 アーランを %2 回線で受けると呼損率は %3 です（%4）。")
            .arg(traffic, Count(a.lines), blocking, Neighbours(a));
    }
    return {};
}

QString FullText(double value) {
    return QString::fromStdString(teletraffic::ShowNumber(value));
}

QString Versus(double value, Relation relation, double target) {
    // The counts are decided exactly, the blocking shown to within 1e-12:
    // where the two disagree, they are that close.
    const bool holds = relation == Relation::Above ? value > target : value <= target;
    if (value == target || !holds) {
        return QStringLiteral("目標 %1 と%2等しい")
            .arg(FullText(target), value == target ? u"" : u"丸めの範囲で");
    }
    // Six digits, or as many more as tell the two apart (17 always do).
    int digits = 6;
    while (digits < 17 &&
           QString::number(value, 'g', digits) == QString::number(target, 'g', digits)) {
        ++digits;
    }
    return QStringLiteral("%1 %2 %3")
        .arg(QString::number(value, 'g', digits), relation == Relation::Above ? u">" : u"≤",
             QString::number(target, 'g', digits));
}

} // namespace tables
