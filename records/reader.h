// Reading call records into the periods' sums (tally.h), streamed: memory
// grows with the periods and with the calls of the last window (the
// --window option, two hours by default), not with the rows.
//
// The files of one reading are taken together, row by row in the order of
// the rows' ends (a merge of the files, each in the order its switch wrote
// it: at the end of each call). The rows of one call (one key: linkedid,
// uniqueid, uuid, the call id column, or with a trunk glob the channel name)
// join when their holdings overlap or touch, across the files too, so that a
// channel name used again after a restart starts a new seizure. A call is
// closed, and its holding added to the periods, once the latest end read has
// passed its own by the window; its rows may lie that far apart in time.
// Closed calls reach the periods in the order of their ends: a period keeps
// its holdings until the calls across its end are in, a window later, and
// then only how they lie (tally.h), in room bounded by its peak.
//
// With jobs above 1 each file is parsed ahead on a thread of its own, at most
// that many at once; the rows are still taken in the same order, so the
// answers are the same to the bit. Files over the same days gain the most:
// files one after another in time are merged in time too, so the later ones
// wait, a few thousand rows read ahead.
//
// What the order cannot give is said, never guessed: a row ending more than
// the window before the latest end already read is counted late (its period's
// peak becomes a range where its holding comes after the period was settled,
// two windows past its end); a row of a call whose key was already closed, and
// which starts before that close, is counted uncertain (its call may be
// counted twice). With rows in the order switches write them neither
// happens unless a call's rows lie more than the window apart (a leg ending
// more than the window after another of its call closed). A front end says
// both, and that a --window longer than the longest call makes them exact.
#pragma once

#include "records/options.h"
#include "records/tally.h"

#include <cstdint>
#include <functional>
#include <istream>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace records {

struct Progress {
    std::uint64_t bytesRead = 0;
    std::uint64_t bytesTotal = 0; // of the files; 0 where a stream's size is unknown
    std::int64_t rows = 0;
};
// Called every some tens of thousands of rows; returning false stops the
// reading, which then throws Cancelled.
using ProgressHook = std::function<bool(const Progress&)>;

class Cancelled : public std::runtime_error {
public:
    Cancelled()
        : std::runtime_error("the reading was stopped") {}
};

// With --strict: the first refused row.
class RowRefused : public std::runtime_error {
public:
    explicit RowRefused(Quote quote);
    const Quote& quote() const noexcept { return quote_; }

private:
    Quote quote_;
};

class Reader {
public:
    // OptionError for options that cannot go together or a zone unknown.
    explicit Reader(const ReadOptions& options);
    ~Reader();

    // A stream (standard input), named in messages as `name`; it must outlive Read.
    void AddStream(std::string name, std::istream& in);
    // A file, opened when the reading starts.
    void AddFile(std::string path);
    void OnProgress(ProgressHook hook);

    // Reads every source together. Throws FormatError naming a file that is not
    // of the format asked for (or cannot be opened or read), OptionError for an
    // option its format cannot take, RowRefused with --strict, Cancelled.
    Tally Read();

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

// Reads the files (or "-" for standard input) together.
Tally ReadRecords(const std::vector<std::string>& paths, const ReadOptions& options,
                  ProgressHook progress = {});

} // namespace records
