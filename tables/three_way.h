// The three-way solve of Erlang B: any two of traffic, blocking and lines
// give the third. The blocking at the line counts beside the answer comes
// with it, so the answer explains itself.
#pragma once

#include <QString>

#include <vector>

namespace tables {

enum class Unknown { Traffic, Blocking, Lines };

// The two known values; the unknown one is ignored. Lines are whole.
struct ThreeWayInputs {
    Unknown unknown = Unknown::Lines;
    double traffic = 10;
    double blocking = 0.01;
    double lines = 18;
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
};

// The inputs must be in the engine's domain.
ThreeWay SolveThreeWay(const ThreeWayInputs& inputs);

// One sentence on why the answer is what it is.
QString Explain(const ThreeWay& answer);

// Blocking probabilities to six significant digits.
QString BlockingText(double blocking);

// The shortest text that reads back as `value`: the solve's answer in full.
QString FullText(double value);

enum class Relation { AtMost, Above };

// "0.0100000001 > 0.01": the value, the relation and the target in as many
// digits as show them different; "目標 0.01 と等しい" when they are equal, or
// "目標 0.01 と丸めの範囲で等しい" when the value shown is on the other side
// of the target than the exact decision put it.
QString Versus(double value, Relation relation, double target);

} // namespace tables
