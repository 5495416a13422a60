// The three-way solve: any two of traffic, blocking and lines give the third,
// by Erlang B, or by Engset when a number of sources is given (the blocking
// is then the call congestion, the share of call attempts blocked, and the
// traffic the call attempts times the holding time). The blocking at the
// line counts beside the answer comes with it, so the answer explains itself.
#pragma once

#include <QString>

#include <optional>
#include <vector>

namespace tables {

enum class Unknown { Traffic, Blocking, Lines };
inline constexpr int kUnknowns = 3;

// The two known values; the unknown one is ignored. Lines are whole.
struct ThreeWayInputs {
    Unknown unknown = Unknown::Lines;
    double traffic = 10;
    double blocking = 0.01;
    double lines = 18;
    std::optional<double> sources; // Engset with this many sources; Erlang B without
};

struct LineBlocking {
    double lines;
    double blocking;
};

struct ThreeWay {
    Unknown unknown;
    double traffic;
    double blocking; // the target, or the blocking found
    double lines;
    std::vector<LineBlocking> around; // at lines - 1 (if any), lines and lines + 1
    std::optional<double> sources;
};

// Which known value a set of inputs cannot have, and why: what Engset needs of
// the lines and the traffic beside the sources. Nothing when they will do.
struct ThreeWayProblem {
    Unknown field;
    QString error;
};
std::optional<ThreeWayProblem> CheckThreeWay(const ThreeWayInputs& inputs);

// Each input must be in the engine's domain and CheckThreeWay find nothing;
// otherwise teletraffic::DomainError names the argument.
ThreeWay SolveThreeWay(const ThreeWayInputs& inputs);

// One sentence on why the answer is what it is, then which model answered.
QString Explain(const ThreeWay& answer);

enum class Relation { AtMost, Above };

// "0.0100000001 > 0.01": the value, the relation and the target in as many
// digits as show them different; "目標 0.01 と等しい" when they are equal, or
// "目標 0.01 と丸めの範囲で等しい" when the value shown is on the other side
// of the target than the exact decision put it.
QString Versus(double value, Relation relation, double target);

} // namespace tables
