#include "records/reader.h"

#include "records/clock.h"
#include "records/formats.h"
#include "records/tokenizer.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <exception>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <limits>
#include <mutex>
#include <queue>
#include <semaphore>
#include <string_view>
#include <thread>
#include <unordered_map>

namespace records {
namespace {

constexpr std::int64_t kNever = std::numeric_limits<std::int64_t>::min();
constexpr std::int64_t kAlways = std::numeric_limits<std::int64_t>::max();
constexpr std::int64_t kProgressRows = 1 << 16;

struct Interval {
    std::int64_t start, end;
};

// A period's holdings that do not fill it are kept until the calls across
// its end are in (a window after it, when it is settled), then how they lie
// (tally.h's PeriodShape) is found by a sweep: its peak, and staircases no
// longer than it. Holdings that come after that are those of calls held past
// the window beyond its end, held across its end: they are kept apart as
// such. Only a row out of order by more than the window brings a holding
// that ends inside a settled period: the peak may then be that much higher.
struct PeriodState {
    Period period;
    std::int64_t calls = 0;
    Int128 holding = 0, callHolding = 0;
    std::int64_t slack = 0; // holdings that came out of order once settled
    bool settled = false;
    std::vector<Interval> partial; // until settled
    PeriodShape shape;
};

// How the partial holdings lie: held across one of its ends only, each kept
// apart in a list; or, where any starts and ends inside it, all of them the
// core, by its staircases.
void Settle(PeriodState& p) {
    PeriodShape& s = p.shape;
    const std::int64_t start = p.period.start, end = p.period.end;
    const bool core = std::ranges::any_of(
        p.partial, [&](const Interval& h) { return h.start > start && h.end < end; });
    if (!core) {
        for (const Interval& h : p.partial) {
            (h.end == end ? s.rising : s.falling).push_back(h.end == end ? h.start : h.end);
        }
        std::ranges::sort(s.rising);
        std::ranges::sort(s.falling);
    } else {
        // At one instant an end comes before a start: they do not overlap.
        std::vector<std::pair<std::int64_t, int>> events;
        events.reserve(2 * p.partial.size());
        for (const Interval& h : p.partial) {
            events.push_back({h.start, 1});
            events.push_back({h.end, -1});
        }
        std::ranges::sort(events);
        // The held count on each stretch [x, next x) where it changes.
        std::vector<Step> held;
        std::int64_t now = 0;
        for (std::size_t i = 0; i < events.size(); ++i) {
            now += events[i].second;
            if (i + 1 == events.size() || events[i + 1].first != events[i].first) {
                held.push_back({events[i].first, now});
            }
        }
        std::int64_t most = 0;
        for (const Step& h : held) {
            if (h.v > most) {
                s.before.push_back({h.x, most = h.v});
            }
        }
        most = 0;
        for (std::size_t i = held.size(); i-- > 1;) {
            if (held[i - 1].v > most) {
                s.after.push_back({held[i].x, most = held[i - 1].v});
            }
        }
        std::ranges::reverse(s.after);
    }
    s.known = true;
    p.settled = true;
    // Its room given back (an empty list assigned would keep it).
    std::vector<Interval>().swap(p.partial);
}

struct KeyState {
    std::vector<Interval> open; // by start, apart from one another
    int pending = 0;            // entries in the closing queue
    std::int64_t closedEnd = kNever;
};

struct KeyHash {
    using is_transparent = void;
    std::size_t operator()(std::string_view s) const { return std::hash<std::string_view>{}(s); }
};
struct KeyEqual {
    using is_transparent = void;
    bool operator()(std::string_view a, std::string_view b) const { return a == b; }
};
using KeyMap = std::unordered_map<std::string, KeyState, KeyHash, KeyEqual>;

struct Closing {
    std::int64_t end;
    KeyMap::value_type* key;
    bool operator>(const Closing& other) const { return end > other.end; }
};

struct Held {
    std::int64_t start, end;
    bool operator>(const Held& other) const { return end > other.end; }
};

// A row of a source as the reading takes it: decoded, with its line and,
// where refused, its text.
struct Item {
    DecodedRow row;
    std::int64_t line = 0;
    std::string quote;
};

// One source's rows, parsed on demand. Its keys stay valid until the next call.
class Parser {
public:
    Parser(std::string name, std::istream& in, const ReadOptions& options, const Zone& zone)
        : name_(std::move(name))
        , zone_(zone)
        , tokens_(in)
        , decoder_(options, zone_, name_) {}

    // False at the end. FormatError for a file of another format or one that
    // cannot be read, naming it; OptionError for an option its format cannot take.
    bool Next(Item& item) {
        try {
            while (tokens_.Next()) {
                if (tokens_.Raw().empty() && !tokens_.UnclosedQuote()) {
                    continue; // a blank line
                }
                item.row = decoder_.Decode(tokens_);
                if (item.row.outcome == DecodedRow::Outcome::NotARow) {
                    continue;
                }
                item.line = tokens_.Line();
                item.quote.clear();
                if (item.row.outcome == DecodedRow::Outcome::Refused) {
                    item.quote = Printable(tokens_.Raw());
                }
                return true;
            }
            return false;
        } catch (const FormatError&) {
            throw;
        } catch (const OptionError&) {
            throw;
        } catch (const std::runtime_error& e) {
            throw FormatError(name_ + ": " + e.what());
        }
    }
    std::uint64_t BytesRead() const { return tokens_.BytesRead(); }
    Format Chosen() const { return decoder_.Chosen(); }

private:
    std::string name_;
    Zone zone_; // its own: a zone keeps the stretch it last looked up
    Tokenizer tokens_;
    Decoder decoder_;
};

// A parser run ahead on a thread of its own, in batches, as far as a few
// batches; at most `slots` parsers work at once. The rows come out as the
// parser gives them, so that a reading gives the same answers on any
// number of threads.
class Feed {
public:
    static constexpr std::size_t kBatch = 4096;
    static constexpr std::size_t kAhead = 4;

    Feed(std::unique_ptr<Parser> parser, std::counting_semaphore<256>& slots)
        : parser_(std::move(parser))
        , slots_(slots)
        , thread_([this] { Run(); }) {}

    ~Feed() {
        {
            const std::lock_guard lock(mutex_);
            stop_ = true;
        }
        changed_.notify_all();
        thread_.join();
    }

    bool Next(Item& item) {
        while (at_ == current_.items.size()) {
            if (current_.last) {
                if (current_.error) {
                    std::rethrow_exception(current_.error);
                }
                return false;
            }
            std::unique_lock lock(mutex_);
            changed_.wait(lock, [this] { return !queue_.empty(); });
            current_ = std::move(queue_.front());
            queue_.pop_front();
            lock.unlock();
            changed_.notify_all();
            at_ = 0;
        }
        item = std::move(current_.items[at_++]);
        return true;
    }
    std::uint64_t BytesRead() const { return bytes_.load(std::memory_order_relaxed); }
    Format Chosen() const {
        const std::lock_guard lock(mutex_);
        return chosen_;
    }

private:
    struct Batch {
        std::vector<Item> items;
        std::string keys; // the items' keys, one after another
        bool last = false;
        std::exception_ptr error;
    };

    void Run() {
        for (bool last = false; !last;) {
            Batch batch;
            std::vector<std::array<std::size_t, 4>> spans; // offset, size of each key
            slots_.acquire();
            try {
                Item item;
                while (batch.items.size() < kBatch && !(last = !parser_->Next(item))) {
                    std::array<std::size_t, 4> span{};
                    for (int k = 0; k < item.row.keyCount; ++k) {
                        const std::string_view key = item.row.keys[static_cast<std::size_t>(k)];
                        span[2 * k] = batch.keys.size();
                        span[2 * k + 1] = key.size();
                        batch.keys.append(key);
                    }
                    spans.push_back(span);
                    batch.items.push_back(std::move(item));
                }
            } catch (...) {
                batch.error = std::current_exception();
                last = true;
            }
            slots_.release();
            bytes_.store(parser_->BytesRead(), std::memory_order_relaxed);
            // The keys' text stands still now: the views can point into it.
            for (std::size_t i = 0; i < batch.items.size(); ++i) {
                DecodedRow& row = batch.items[i].row;
                for (int k = 0; k < row.keyCount; ++k) {
                    row.keys[static_cast<std::size_t>(k)] =
                        std::string_view(batch.keys).substr(spans[i][2 * k], spans[i][2 * k + 1]);
                }
            }
            batch.last = last;
            std::unique_lock lock(mutex_);
            chosen_ = parser_->Chosen();
            changed_.wait(lock, [this] { return stop_ || queue_.size() < kAhead; });
            if (stop_) {
                return;
            }
            queue_.push_back(std::move(batch));
            lock.unlock();
            changed_.notify_all();
        }
    }

    std::unique_ptr<Parser> parser_;
    std::counting_semaphore<256>& slots_;
    mutable std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<Batch> queue_;
    bool stop_ = false;
    Format chosen_ = Format::Auto;
    std::atomic<std::uint64_t> bytes_{0};
    Batch current_;
    std::size_t at_ = 0;
    std::thread thread_; // last: it starts once the rest is there
};

struct Source {
    std::string name;
    std::string path; // "" for a stream
    std::istream* in = nullptr;
    std::unique_ptr<std::ifstream> file;
    std::unique_ptr<Parser> parser; // read here, or
    std::unique_ptr<Feed> feed;     // ahead on a thread
    Item head;
    bool done = false;
    std::int64_t rows = 0;

    bool Next(Item& item) { return feed ? feed->Next(item) : parser->Next(item); }
    std::uint64_t BytesRead() const {
        return feed ? feed->BytesRead() : parser ? parser->BytesRead() : 0;
    }
    Format Chosen() const {
        return feed ? feed->Chosen() : parser ? parser->Chosen() : Format::Auto;
    }
};

template <class T> using MinQueue = std::priority_queue<T, std::vector<T>, std::greater<T>>;

} // namespace

RowRefused::RowRefused(Quote quote)
    : std::runtime_error(quote.source + ":" + std::to_string(quote.line) + ": " +
                         std::string(RefusalWords(quote.reason)) + ": " + quote.text)
    , quote_(std::move(quote)) {}

struct Reader::Impl {
    explicit Impl(const ReadOptions& o)
        : options(o)
        , zone(MakeZone(o.timezone))
        , grid(zone, o.interval)
        , window(std::int64_t{o.windowMinutes} * 60 * kNanos)
        , slots(o.jobs) {
        Options all;
        all.read = o;
        CheckOptions(all);
    }

    static Zone MakeZone(const std::string& name) {
        try {
            return Zone(name);
        } catch (const std::invalid_argument&) {
            throw OptionError(Option::Timezone, name, std::string(rules::kZone.text));
        }
    }

    void Open(Source& s) {
        if (!s.path.empty()) {
            s.file = std::make_unique<std::ifstream>(s.path, std::ios::binary);
            if (!*s.file) {
                throw FormatError(s.path + ": cannot be opened: " + std::strerror(errno));
            }
            std::error_code ec;
            const auto size = std::filesystem::file_size(s.path, ec);
            total += ec ? 0 : size;
            s.in = s.file.get();
        }
        auto parser = std::make_unique<Parser>(s.name, *s.in, options, zone);
        if (options.jobs > 1 && sources.size() > 1) {
            s.feed = std::make_unique<Feed>(std::move(parser), slots);
        } else {
            s.parser = std::move(parser);
        }
    }

    std::uint64_t BytesRead() const {
        std::uint64_t n = 0;
        for (const Source& s : sources) {
            n += s.BytesRead();
        }
        return n;
    }

    // Moves the source to its next call row, counting what lies before it.
    void Advance(Source& s) {
        while (s.Next(s.head)) {
            const DecodedRow& row = s.head.row;
            ++tally.rows;
            ++s.rows;
            if (tally.rows % kProgressRows == 0 && progress &&
                !progress({BytesRead(), total, tally.rows})) {
                throw Cancelled();
            }
            if (row.outcome == DecodedRow::Outcome::Refused) {
                ++tally.refused[static_cast<std::size_t>(row.refusal)];
                Quote quote{s.name, s.head.line, row.refusal, std::move(s.head.quote)};
                if (options.strict) {
                    throw RowRefused(std::move(quote));
                }
                if (tally.quotes.size() < Tally::kMaxQuotes) {
                    tally.quotes.push_back(std::move(quote));
                }
            } else if (row.outcome == DecodedRow::Outcome::Skipped) {
                ++tally.skipped[static_cast<std::size_t>(row.skip)];
            } else {
                ++tally.rowsUsed;
                tally.ambiguous += row.ambiguous ? 1 : 0;
                return;
            }
        }
        s.done = true;
    }

    PeriodState& PeriodAt(std::int64_t t) {
        if (cached < states.size() && t >= states[cached].period.start &&
            t < states[cached].period.end) {
            return states[cached];
        }
        const Period p = grid.At(t);
        const auto [it, added] = index.try_emplace(p.start, states.size());
        if (added) {
            states.push_back({});
            states.back().period = p;
            unsettled.push({p.end, states.size() - 1});
        }
        cached = it->second;
        return states[cached];
    }

    // A closed call's holding into its periods, in the order of the ends.
    void AddHolding(const Held& h) {
        tally.first = tally.calls == 0 ? h.start : std::min(tally.first, h.start);
        tally.last = tally.calls == 0 ? h.end : std::max(tally.last, h.end);
        ++tally.calls;
        std::int64_t t = h.start;
        bool first = true;
        for (;;) {
            PeriodState& p = PeriodAt(t);
            if (first) {
                ++p.calls;
                p.callHolding += h.end - h.start;
                first = false;
            }
            if (h.end == h.start) {
                return; // a call of no length holds nothing
            }
            const std::int64_t a = std::max(h.start, p.period.start);
            const std::int64_t b = std::min(h.end, p.period.end);
            p.holding += b - a;
            if (a == p.period.start && b == p.period.end) {
                ++p.shape.full;
            } else if (!p.settled) {
                p.partial.push_back({a, b});
            } else if (b == p.period.end) {
                p.shape.rising.push_back(a); // sorted at the end
            } else {
                ++p.slack;
            }
            if (h.end <= p.period.end) {
                return;
            }
            t = p.period.end;
        }
    }

    void Join(std::string_view key, const DecodedRow& row) {
        auto it = keys.find(key);
        const bool known = it != keys.end();
        if (!known) {
            it = keys.emplace(std::string(key), KeyState{}).first;
        }
        KeyState& k = it->second;
        Interval joined{row.start, row.end};
        bool touched = false;
        auto& open = k.open;
        for (auto i = open.begin(); i != open.end();) {
            if (i->start <= row.end && row.start <= i->end) {
                joined.start = std::min(joined.start, i->start);
                joined.end = std::max(joined.end, i->end);
                touched = true;
                i = open.erase(i);
            } else {
                ++i;
            }
        }
        // A new seizure that starts before a closed one of its key ended
        // should have joined it; where the key was forgotten, it may have.
        if (!touched && row.start <= (known ? k.closedEnd : closedEnd)) {
            ++tally.uncertain;
        }
        open.insert(std::upper_bound(
                        open.begin(), open.end(), joined,
                        [](const Interval& a, const Interval& b) { return a.start < b.start; }),
                    joined);
        closing.push({joined.end, &*it});
        ++k.pending;
    }

    void Close(std::int64_t frontier) {
        while (!closing.empty() && closing.top().end < frontier) {
            const Closing c = closing.top();
            closing.pop();
            KeyState& k = c.key->second;
            --k.pending;
            for (auto i = k.open.begin(); i != k.open.end();) {
                if (i->end < frontier) {
                    ready.push({i->start, i->end});
                    k.closedEnd = std::max(k.closedEnd, i->end);
                    closedEnd = std::max(closedEnd, i->end);
                    i = k.open.erase(i);
                } else {
                    ++i;
                }
            }
            if (k.open.empty() && k.pending == 0) {
                keys.erase(keys.find(c.key->first));
            }
        }
    }

    void Release(std::int64_t frontier) {
        while (!ready.empty() && ready.top().end < frontier) {
            const Held h = ready.top();
            ready.pop();
            AddHolding(h);
        }
        // Once the calls across a period's end are in (a window after it),
        // its holdings give way to how they lie.
        while (!unsettled.empty() && unsettled.top().first < frontier - window) {
            Settle(states[unsettled.top().second]);
            unsettled.pop();
        }
    }

    void Process(const DecodedRow& row) {
        latestEnd = std::max(latestEnd, row.end);
        const std::int64_t frontier = latestEnd - window;
        if (row.end < frontier) {
            ++tally.late;
        }
        if (row.keyCount == 0) {
            ready.push({row.start, row.end});
        }
        for (int i = 0; i < row.keyCount; ++i) {
            Join(row.keys[static_cast<std::size_t>(i)], row);
        }
        Close(frontier);
        Release(frontier);
    }

    Tally Read() {
        tally = Tally{};
        tally.zone = zone.Name();
        tally.interval = options.interval;
        tally.holding = options.holding;
        tally.trunk = options.trunk;
        MinQueue<std::pair<std::int64_t, std::size_t>> heads;
        for (Source& s : sources) {
            Open(s);
        }
        for (std::size_t i = 0; i < sources.size(); ++i) {
            Advance(sources[i]);
            if (!sources[i].done) {
                heads.push({sources[i].head.row.end, i});
            }
        }
        // The files merged by the rows' ends.
        while (!heads.empty()) {
            const std::size_t i = heads.top().second;
            heads.pop();
            Source& s = sources[i];
            Process(s.head.row);
            Advance(s);
            if (!s.done) {
                heads.push({s.head.row.end, i});
            }
        }
        Close(kAlways);
        Release(kAlways);
        if (progress && !progress({BytesRead(), total, tally.rows})) {
            throw Cancelled();
        }
        std::sort(states.begin(), states.end(), [](const PeriodState& a, const PeriodState& b) {
            return a.period.start < b.period.start;
        });
        tally.periods.reserve(states.size());
        for (PeriodState& p : states) {
            if (!p.settled) {
                Settle(p);
            }
            PeriodSums sums;
            sums.start = p.period.start;
            sums.end = p.period.end;
            sums.clock = p.period.clock;
            sums.calls = p.calls;
            sums.holding = p.holding;
            sums.callHolding = p.callHolding;
            std::ranges::sort(p.shape.rising);
            const PeakBounds peak = PeakOf(p.shape, p.period.start, p.period.end);
            sums.peakLow = peak.low;
            sums.peakHigh = peak.high + p.slack;
            if (p.slack > 0) {
                p.shape = {}; // it no longer says how every call lies
            }
            sums.shape = std::move(p.shape);
            tally.periods.push_back(std::move(sums));
        }
        for (const Source& s : sources) {
            tally.sources.push_back({s.name, s.Chosen(), s.rows});
        }
        return std::move(tally);
    }

    ReadOptions options;
    Zone zone;
    PeriodGrid grid;
    std::int64_t window;
    ProgressHook progress;
    std::counting_semaphore<256> slots; // parsers at work at once
    std::uint64_t total = 0;

    Tally tally;
    std::int64_t latestEnd = kNever;
    std::int64_t closedEnd = kNever; // the latest end of a call closed
    KeyMap keys;
    MinQueue<Closing> closing;
    MinQueue<Held> ready;
    std::vector<PeriodState> states;
    MinQueue<std::pair<std::int64_t, std::size_t>> unsettled; // periods by end
    std::unordered_map<std::int64_t, std::size_t> index;
    std::size_t cached = std::numeric_limits<std::size_t>::max();
    // Last: their threads stop before anything they use goes.
    std::vector<Source> sources;
};

Reader::Reader(const ReadOptions& options)
    : impl_(std::make_unique<Impl>(options)) {}

Reader::~Reader() = default;

void Reader::AddStream(std::string name, std::istream& in) {
    Source s;
    s.name = std::move(name);
    s.in = &in;
    impl_->sources.push_back(std::move(s));
}

void Reader::AddFile(std::string path) {
    Source s;
    s.name = path;
    s.path = std::move(path);
    impl_->sources.push_back(std::move(s));
}

void Reader::OnProgress(ProgressHook hook) {
    impl_->progress = std::move(hook);
}

Tally Reader::Read() {
    return impl_->Read();
}

Tally ReadRecords(const std::vector<std::string>& paths, const ReadOptions& options,
                  ProgressHook progress) {
    Reader reader(options);
    for (const std::string& path : paths) {
        if (path == "-") {
            reader.AddStream("standard input", std::cin);
        } else {
            reader.AddFile(path);
        }
    }
    reader.OnProgress(std::move(progress));
    return reader.Read();
}

} // namespace records
