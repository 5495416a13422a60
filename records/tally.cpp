#include "records/tally.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>

namespace records {
namespace {

constexpr std::string_view kMagic = "corvane-records\n";
constexpr std::uint32_t kVersion = 2;
__extension__ using UInt128 = unsigned __int128;

class Writer {
public:
    void U64(std::uint64_t v) {
        for (int i = 0; i < 8; ++i) {
            out.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
        }
    }
    void I64(std::int64_t v) { U64(static_cast<std::uint64_t>(v)); }
    void I128(Int128 v) {
        const auto u = static_cast<UInt128>(v);
        U64(static_cast<std::uint64_t>(u));
        U64(static_cast<std::uint64_t>(u >> 64));
    }
    void Text(std::string_view s) {
        U64(s.size());
        out.append(s);
    }
    std::string out;
};

class Bytes {
public:
    explicit Bytes(std::string_view bytes)
        : in_(bytes) {}
    std::uint64_t U64() {
        Need(8);
        std::uint64_t v = 0;
        for (int i = 0; i < 8; ++i) {
            v |= std::uint64_t{static_cast<unsigned char>(in_[pos_ + i])} << (8 * i);
        }
        pos_ += 8;
        return v;
    }
    std::int64_t I64() { return static_cast<std::int64_t>(U64()); }
    // A count: from 0 to 2^53, so that sums of a few never overflow.
    std::int64_t Counted() {
        const std::int64_t v = I64();
        if (v < 0 || v > (std::int64_t{1} << 53)) {
            throw std::invalid_argument("records value: a count out of range");
        }
        return v;
    }
    Int128 I128() {
        const std::uint64_t lo = U64(), hi = U64();
        return static_cast<Int128>((static_cast<UInt128>(hi) << 64) | lo);
    }
    // A count of items of at least `size` bytes each, no more than remain.
    std::uint64_t Count(std::size_t size) {
        const std::uint64_t n = U64();
        if (n > (in_.size() - pos_) / size) {
            throw std::invalid_argument("records value: a count runs past its bytes");
        }
        return n;
    }
    std::string Text() {
        const std::uint64_t n = Count(1);
        std::string s(in_.substr(pos_, n));
        pos_ += n;
        return s;
    }
    std::uint64_t Below(std::uint64_t limit) {
        const std::uint64_t v = U64();
        if (v >= limit) {
            throw std::invalid_argument("records value: a choice out of range");
        }
        return v;
    }
    bool AtEnd() const { return pos_ == in_.size(); }

private:
    void Need(std::size_t n) const {
        if (in_.size() - pos_ < n) {
            throw std::invalid_argument("records value: cut short");
        }
    }
    std::string_view in_;
    std::size_t pos_ = 0;
};

// The length of the UTF-8 sequence at s[i], or 0 where it is not one.
std::size_t Utf8Length(std::string_view s, std::size_t i) {
    const auto b = static_cast<unsigned char>(s[i]);
    std::size_t n = b < 0x80 ? 1 : (b >> 5) == 6 ? 2 : (b >> 4) == 14 ? 3 : (b >> 3) == 30 ? 4 : 0;
    if (n == 0 || i + n > s.size() || (n == 2 && b < 0xC2)) {
        return 0;
    }
    for (std::size_t k = 1; k < n; ++k) {
        if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80) {
            return 0;
        }
    }
    const auto b1 = static_cast<unsigned char>(s[i + 1 < s.size() ? i + 1 : i]);
    if ((n == 3 && ((b == 0xE0 && b1 < 0xA0) || (b == 0xED && b1 >= 0xA0))) ||
        (n == 4 && ((b == 0xF0 && b1 < 0x90) || b > 0xF4 || (b == 0xF4 && b1 >= 0x90)))) {
        return 0;
    }
    return n;
}

// The v of the first step whose x is above u; 0 past the last.
std::int64_t AfterAt(const std::vector<Step>& after, std::int64_t u) {
    const auto it = std::upper_bound(after.begin(), after.end(), u,
                                     [](std::int64_t at, const Step& s) { return at < s.x; });
    return it == after.end() ? 0 : it->v;
}

// The v of the last step whose x is below u; 0 up to the first.
std::int64_t BeforeAt(const std::vector<Step>& before, std::int64_t u) {
    const auto it = std::lower_bound(before.begin(), before.end(), u,
                                     [](const Step& s, std::int64_t at) { return s.x < at; });
    return it == before.begin() ? 0 : std::prev(it)->v;
}

// The core with the calls held across the end: with r(t) the rising calls
// started by t, the most held at once is max over i of after(s_i) + i
// (s_0 the period's start): at the instant of the most, between s_i and
// s_i+1, the core holds no more than after(s_i); and where after(s_i) is
// reached, at or after s_i, at least i rising calls are held beside it.
std::int64_t WithRising(const PeriodShape& s, std::int64_t start) {
    std::int64_t most = AfterAt(s.after, start);
    for (std::size_t i = 0; i < s.rising.size(); ++i) {
        most = std::max(most, AfterAt(s.after, s.rising[i]) + static_cast<std::int64_t>(i) + 1);
    }
    return most;
}

// The same, mirrored, with the calls held across the start: between e_j and
// e_j+1 (e_0 the start, e_m+1 the end) m - j of them are held, and the core
// before e_j+1 holds no more than before(e_j+1).
std::int64_t WithFalling(const PeriodShape& s, std::int64_t end) {
    const auto m = static_cast<std::int64_t>(s.falling.size());
    std::int64_t most = BeforeAt(s.before, end);
    for (std::int64_t j = 0; j < m; ++j) {
        most = std::max(most, BeforeAt(s.before, s.falling[static_cast<std::size_t>(j)]) + m - j);
    }
    return most;
}

// No core: the calls held across the start, less those ended, and those
// across the end, started; at one instant an end comes before a start.
std::int64_t Lists(const PeriodShape& s) {
    std::int64_t held = static_cast<std::int64_t>(s.falling.size()), most = held;
    std::size_t e = 0;
    for (const std::int64_t start : s.rising) {
        while (e < s.falling.size() && s.falling[e] <= start) {
            ++e;
            --held;
        }
        most = std::max(most, ++held);
    }
    return most;
}

template <typename T> std::vector<T> Merged(const std::vector<T>& a, const std::vector<T>& b) {
    std::vector<T> all(a.size() + b.size());
    std::merge(a.begin(), a.end(), b.begin(), b.end(), all.begin());
    return all;
}

bool Core(const PeriodShape& s) {
    return !s.after.empty();
}

// The most calls held at once in a period of the union of two values, and
// how they lie where that is known.
void MergePeak(PeriodSums& p, const PeriodSums& q) {
    if (q.peakHigh == 0) { // q holds nothing here
        return;
    }
    if (p.peakHigh == 0) {
        p.peakLow = q.peakLow;
        p.peakHigh = q.peakHigh;
        p.shape = q.shape;
        return;
    }
    if (p.shape.known && q.shape.known && !(Core(p.shape) && Core(q.shape))) {
        PeriodShape s;
        s.known = true;
        s.full = p.shape.full + q.shape.full;
        const PeriodShape& core = Core(p.shape) ? p.shape : q.shape;
        s.after = core.after;
        s.before = core.before;
        s.rising = Merged(p.shape.rising, q.shape.rising);
        s.falling = Merged(p.shape.falling, q.shape.falling);
        const PeakBounds peak = PeakOf(s, p.start, p.end);
        p.peakLow = peak.low;
        p.peakHigh = peak.high;
        p.shape = std::move(s);
        return;
    }
    // Both hold calls that start and end in the period: the union holds at
    // least the larger peak and at most the sum.
    p.peakLow = std::max(p.peakLow, q.peakLow);
    p.peakHigh += q.peakHigh;
    p.shape = {};
}

// A period's shape, checked to describe its calls: staircases in order and
// inside the period, lists sorted and inside it, the peak the one it gives.
void ReadShape(Bytes& in, PeriodSums& p) {
    PeriodShape& s = p.shape;
    s.known = in.Below(2) == 1;
    if (!s.known) {
        return;
    }
    const auto refuse = [] {
        throw std::invalid_argument("records value: calls that cannot lie so in a period");
    };
    s.full = in.I64();
    for (std::vector<Step>* steps : {&s.after, &s.before}) {
        const bool after = steps == &s.after;
        steps->resize(in.Count(16));
        for (std::size_t i = 0; i < steps->size(); ++i) {
            Step& step = (*steps)[i];
            step.x = in.I64();
            step.v = in.I64();
            const bool inside =
                after ? step.x > p.start && step.x <= p.end : step.x >= p.start && step.x < p.end;
            const bool ordered =
                i == 0 || (step.x > (*steps)[i - 1].x &&
                           (after ? step.v < (*steps)[i - 1].v : step.v > (*steps)[i - 1].v));
            if (!inside || !ordered || step.v < 1 || step.v > p.peakHigh) {
                refuse();
            }
        }
    }
    if (s.after.empty() != s.before.empty() ||
        (!s.after.empty() && s.after.front().v != s.before.back().v)) {
        refuse();
    }
    for (std::vector<std::int64_t>* list : {&s.rising, &s.falling}) {
        list->resize(in.Count(8));
        for (std::size_t i = 0; i < list->size(); ++i) {
            const std::int64_t at = (*list)[i] = in.I64();
            if (at <= p.start || at >= p.end || (i > 0 && at < (*list)[i - 1])) {
                refuse();
            }
        }
    }
    if (s.full < 0 || s.full > p.peakHigh) {
        refuse();
    }
    const PeakBounds peak = PeakOf(s, p.start, p.end);
    if (peak.low != p.peakLow || peak.high != p.peakHigh) {
        refuse();
    }
}

} // namespace

PeakBounds PeakOf(const PeriodShape& s, std::int64_t start, std::int64_t end) {
    if (!Core(s)) {
        const std::int64_t most = s.full + Lists(s);
        return {most, most};
    }
    if (s.falling.empty() || s.rising.empty()) {
        const std::int64_t most =
            s.full + (s.falling.empty() ? WithRising(s, start) : WithFalling(s, end));
        return {most, most};
    }
    // Both lists beside a core: each alone gives a floor, and the other's
    // calls at most raise it by their number.
    const std::int64_t rising = WithRising(s, start), falling = WithFalling(s, end);
    const auto m = static_cast<std::int64_t>(s.falling.size());
    const auto n = static_cast<std::int64_t>(s.rising.size());
    return {s.full + std::max(rising, falling), s.full + std::min(rising + m, falling + n)};
}

std::string Printable(std::string_view text, std::size_t limit) {
    std::string out;
    for (std::size_t i = 0; i < text.size();) {
        if (out.size() >= limit) {
            out += "…";
            break;
        }
        const std::size_t n = Utf8Length(text, i);
        const auto b = static_cast<unsigned char>(text[i]);
        if (n == 0 || (n == 1 && (b < 0x20 || b == 0x7F))) {
            static constexpr char kHex[] = "0123456789ABCDEF";
            out += "\\x";
            out.push_back(kHex[b >> 4]);
            out.push_back(kHex[b & 15]);
            ++i;
        } else {
            out.append(text.substr(i, n));
            i += n;
        }
    }
    return out;
}

std::int64_t Tally::RowsRefused() const {
    std::int64_t n = 0;
    for (const std::int64_t c : refused) {
        n += c;
    }
    return n;
}

std::int64_t Tally::RowsSkipped() const {
    std::int64_t n = 0;
    for (const std::int64_t c : skipped) {
        n += c;
    }
    return n;
}

Tally& Tally::operator+=(const Tally& other) {
    auto differ = [](const char* what) {
        throw std::invalid_argument(std::string("records read with different ") + what +
                                    " cannot be added up");
    };
    if (zone != other.zone) {
        differ("time zones");
    }
    if (interval != other.interval) {
        differ("intervals");
    }
    if (holding != other.holding) {
        differ("holding (seizure or answered)");
    }
    if (trunk != other.trunk) {
        differ("trunk globs");
    }
    std::vector<PeriodSums> merged;
    merged.reserve(periods.size() + other.periods.size());
    auto a = periods.cbegin();
    auto b = other.periods.cbegin();
    while (a != periods.end() || b != other.periods.end()) {
        if (b == other.periods.end() || (a != periods.end() && a->start < b->start)) {
            merged.push_back(*a++);
        } else if (a == periods.end() || b->start < a->start) {
            merged.push_back(*b++);
        } else {
            PeriodSums p = *a++;
            const PeriodSums& q = *b++;
            p.calls += q.calls;
            p.holding += q.holding;
            p.callHolding += q.callHolding;
            MergePeak(p, q);
            merged.push_back(std::move(p));
        }
    }
    periods = std::move(merged);
    if (other.calls > 0) {
        first = calls > 0 ? std::min(first, other.first) : other.first;
        last = calls > 0 ? std::max(last, other.last) : other.last;
    }
    calls += other.calls;
    rows += other.rows;
    rowsUsed += other.rowsUsed;
    for (std::size_t i = 0; i < refused.size(); ++i) {
        refused[i] += other.refused[i];
    }
    for (std::size_t i = 0; i < skipped.size(); ++i) {
        skipped[i] += other.skipped[i];
    }
    ambiguous += other.ambiguous;
    late += other.late;
    uncertain += other.uncertain;
    for (const Quote& q : other.quotes) {
        if (quotes.size() < kMaxQuotes) {
            quotes.push_back(q);
        }
    }
    sources.insert(sources.end(), other.sources.begin(), other.sources.end());
    return *this;
}

Tally operator+(Tally a, const Tally& b) {
    a += b;
    return a;
}

std::string Tally::Serialize() const {
    Writer w;
    w.out.append(kMagic);
    w.U64(kVersion);
    w.Text(zone);
    w.I64(interval);
    w.U64(static_cast<std::uint64_t>(holding));
    w.Text(trunk);
    w.U64(periods.size());
    for (const PeriodSums& p : periods) {
        w.I64(p.start);
        w.I64(p.end);
        w.I64(p.clock);
        w.I64(p.calls);
        w.I128(p.holding);
        w.I128(p.callHolding);
        w.I64(p.peakLow);
        w.I64(p.peakHigh);
        const PeriodShape& s = p.shape;
        w.U64(s.known ? 1 : 0);
        if (s.known) {
            w.I64(s.full);
            for (const std::vector<Step>* steps : {&s.after, &s.before}) {
                w.U64(steps->size());
                for (const Step& step : *steps) {
                    w.I64(step.x);
                    w.I64(step.v);
                }
            }
            for (const std::vector<std::int64_t>* list : {&s.rising, &s.falling}) {
                w.U64(list->size());
                for (const std::int64_t t : *list) {
                    w.I64(t);
                }
            }
        }
    }
    for (const std::int64_t v : {calls, first, last, rows, rowsUsed, ambiguous, late, uncertain}) {
        w.I64(v);
    }
    for (const std::int64_t v : refused) {
        w.I64(v);
    }
    for (const std::int64_t v : skipped) {
        w.I64(v);
    }
    w.U64(quotes.size());
    for (const Quote& q : quotes) {
        w.Text(q.source);
        w.I64(q.line);
        w.U64(static_cast<std::uint64_t>(q.reason));
        w.Text(q.text);
    }
    w.U64(sources.size());
    for (const SourceInfo& s : sources) {
        w.Text(s.name);
        w.U64(static_cast<std::uint64_t>(s.format));
        w.I64(s.rows);
    }
    return std::move(w.out);
}

Tally Tally::Deserialize(std::string_view bytes) {
    if (!bytes.starts_with(kMagic)) {
        throw std::invalid_argument("not a records value");
    }
    Bytes in(bytes.substr(kMagic.size()));
    if (in.U64() != kVersion) {
        throw std::invalid_argument("a records value of another version");
    }
    Tally t;
    t.zone = in.Text();
    t.interval = static_cast<int>(in.Below(61));
    if (t.interval == 0 || 60 % t.interval != 0) {
        throw std::invalid_argument("records value: an interval not dividing 60");
    }
    t.holding = static_cast<Holding>(in.Below(2));
    t.trunk = in.Text();
    const std::uint64_t n = in.Count(88);
    t.periods.resize(n);
    for (std::uint64_t i = 0; i < n; ++i) {
        PeriodSums& p = t.periods[i];
        p.start = in.I64();
        p.end = in.I64();
        p.clock = in.I64();
        p.calls = in.Counted();
        p.holding = in.I128();
        p.callHolding = in.I128();
        p.peakLow = in.Counted();
        p.peakHigh = in.Counted();
        if (p.start >= p.end || (i > 0 && p.start < t.periods[i - 1].end) || p.calls < 0 ||
            p.holding < 0 || p.callHolding < 0 || p.peakLow < 0 || p.peakHigh < p.peakLow ||
            (static_cast<Int128>(p.end) - p.start) * (static_cast<Int128>(p.peakHigh) + 1) <
                p.holding) {
            throw std::invalid_argument("records value: a period that cannot be");
        }
        ReadShape(in, p);
    }
    t.calls = in.Counted();
    t.first = in.I64();
    t.last = in.I64();
    for (std::int64_t* v : {&t.rows, &t.rowsUsed, &t.ambiguous, &t.late, &t.uncertain}) {
        *v = in.Counted();
    }
    for (std::int64_t& v : t.refused) {
        v = in.Counted();
    }
    for (std::int64_t& v : t.skipped) {
        v = in.Counted();
    }
    const std::uint64_t q = in.Count(32);
    for (std::uint64_t i = 0; i < q; ++i) {
        Quote quote;
        quote.source = in.Text();
        quote.line = in.Counted();
        quote.reason = static_cast<Refusal>(in.Below(kRefusalCount));
        quote.text = in.Text();
        t.quotes.push_back(std::move(quote));
    }
    const std::uint64_t s = in.Count(24);
    for (std::uint64_t i = 0; i < s; ++i) {
        SourceInfo source;
        source.name = in.Text();
        source.format = static_cast<Format>(in.Below(5));
        source.rows = in.Counted();
        t.sources.push_back(std::move(source));
    }
    // Every call counted in the period it starts in, every row once, by its
    // source and by what became of it.
    std::int64_t periodCalls = 0, sourceRows = 0;
    for (const PeriodSums& p : t.periods) {
        periodCalls += p.calls;
        if (periodCalls > t.calls) {
            break;
        }
    }
    for (const SourceInfo& source : t.sources) {
        sourceRows += source.rows;
        if (sourceRows > t.rows) {
            break;
        }
    }
    if (!in.AtEnd() || (t.calls > 0 && t.first > t.last) || periodCalls != t.calls ||
        sourceRows != t.rows || t.rows != t.rowsUsed + t.RowsRefused() + t.RowsSkipped() ||
        t.quotes.size() > kMaxQuotes) {
        throw std::invalid_argument("records value: inconsistent");
    }
    return t;
}

} // namespace records
