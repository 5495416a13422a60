#include "tables/models/three_way.h"

#include "tables/models/number_format.h"

#include "teletraffic/engset.h"
#include "teletraffic/erlang_b.h"

#include <QStringList>

#include <algorithm>

namespace tables {

std::optional<ThreeWayProblem> CheckThreeWay(const ThreeWayInputs& in) {
    if (!in.sources || in.unknown == Unknown::Lines) {
        return std::nullopt;
    }
    const double S = *in.sources;
    const QString sources = Exact(S);
    if (in.lines > S) {
        return ThreeWayProblem{Unknown::Lines,
                               QStringLiteral("呼源数（%1）以下にしてください").arg(sources)};
    }
    if (in.lines == S && in.unknown == Unknown::Traffic) {
        return ThreeWayProblem{
            Unknown::Lines,
            QStringLiteral("呼源数と同じ回線数では呼損が起きません。%1 未満にしてください")
                .arg(sources)};
    }
    // With a line for every source, the attempts of S sources each idle a
    // share of the time come to less than S erlangs.
    if (in.lines == S && in.traffic >= S) {
        return ThreeWayProblem{
            Unknown::Traffic,
            QStringLiteral("回線数が呼源数と同じときは呼源数（%1）未満にしてください")
                .arg(sources)};
    }
    return std::nullopt;
}

namespace {

using teletraffic::EngsetLoad;

double Blocking(const ThreeWayInputs& in, double traffic, double lines) {
    if (in.sources) {
        return teletraffic::EngsetBlocking(EngsetLoad::Traffic, traffic, *in.sources, lines)
            .callCongestion;
    }
    return teletraffic::ErlangB(traffic, lines);
}

} // namespace

ThreeWay SolveThreeWay(const ThreeWayInputs& in) {
    ThreeWay answer{in.unknown, in.traffic, in.blocking, in.lines, {}, in.sources};
    const bool engset = in.sources.has_value();
    switch (in.unknown) {
    case Unknown::Lines:
        answer.lines =
            static_cast<double>(engset ? teletraffic::EngsetLines(EngsetLoad::Traffic, in.traffic,
                                                                  *in.sources, in.blocking)
                                       : teletraffic::ErlangBLines(in.traffic, in.blocking));
        break;
    case Unknown::Blocking:
        answer.blocking = Blocking(in, in.traffic, in.lines);
        break;
    case Unknown::Traffic:
        answer.traffic =
            engset ? teletraffic::EngsetTraffic(*in.sources, in.lines, in.blocking).traffic
                   : teletraffic::ErlangBTraffic(in.lines, in.blocking);
        break;
    }
    const double most = engset ? *in.sources : teletraffic::kMaxLines;
    for (double n = std::max(0.0, answer.lines - 1); n <= std::min(answer.lines + 1, most); ++n) {
        try {
            answer.around.push_back({n, Blocking(in, answer.traffic, n)});
        } catch (const teletraffic::DomainError&) {
            // A line for every source cannot carry this traffic: no row for it.
        }
    }
    return answer;
}

namespace {

// "17 回線で 0.0145、19 回線で 0.00464" for the counts beside the answer.
QString Neighbours(const ThreeWay& a) {
    QStringList parts;
    for (const LineBlocking& at : a.around) {
        if (at.lines != a.lines) {
            parts << QStringLiteral("%1 回線で %2").arg(Exact(at.lines), Significant(at.blocking));
        }
    }
    return parts.join(u'、');
}

QString Sentence(const ThreeWay& a) {
    const QString traffic = Exact(a.traffic);
    const QString blocking = Significant(a.blocking);
    // The blocking at `lines` against the target, "—" where there is none.
    const auto at = [&a](double lines, Relation relation) {
        for (const LineBlocking& row : a.around) {
            if (row.lines == lines) {
                return Versus(row.blocking, relation, a.blocking);
            }
        }
        return QStringLiteral("—");
    };
    switch (a.unknown) {
    case Unknown::Lines:
        if (a.lines == 0) {
            return QStringLiteral("呼量 0 アーランに回線は要りません。");
        }
        return QStringLiteral("呼量 %1 アーランの呼損率は %2 回線で %3 ですが、%4 回線では "
                              "%5 です。")
            .arg(traffic, Exact(a.lines), at(a.lines, Relation::AtMost), Exact(a.lines - 1),
                 at(a.lines - 1, Relation::Above));
    case Unknown::Traffic:
        return QStringLiteral(
                   "%1 回線が呼損率 %2 で運べる呼量は %3 アーランです（この呼量で %4）。")
            .arg(Exact(a.lines), blocking, traffic, Neighbours(a));
    case Unknown::Blocking:
        return QStringLiteral("呼量 %1 アーランを %2 回線で受けると呼損率は %3 です（%4）。")
            .arg(traffic, Exact(a.lines), blocking, Neighbours(a));
    }
    return {};
}

} // namespace

QString Explain(const ThreeWay& a) {
    QString model = a.sources
                        ? QStringLiteral("エングセット式（呼源数 %1。呼損率は呼損となる呼の割合）で"
                                         "求めました。")
                              .arg(Exact(*a.sources))
                        : QStringLiteral("アーランB式（呼源数は無限）で求めました。");
    return Sentence(a) + model;
}

QString Versus(double value, Relation relation, double target) {
    // The counts are decided exactly, the blocking shown to within 1e-12:
    // where the two disagree, they are that close.
    const bool holds = relation == Relation::Above ? value > target : value <= target;
    if (value == target || !holds) {
        return QStringLiteral("目標 %1 と%2等しい")
            .arg(Exact(target), value == target ? u"" : u"丸めの範囲で");
    }
    const int digits = SignificantApart(value, target);
    return QStringLiteral("%1 %2 %3")
        .arg(Significant(value, digits), relation == Relation::Above ? u">" : u"≤",
             Significant(target, digits));
}

} // namespace tables
