// The records' own CSV tokenizer: the same records and fields as
// textio::CsvReader (RFC 4180 quoting, doubled quotes, line breaks inside
// quotes, CRLF or LF, a byte-order mark before the first record, text after
// a closing quote kept), without copying a record that needs no unquoting.
// Reads the input in blocks of a megabyte; a field is a view into the block,
// or into a scratch buffer where doubled quotes or line breaks had to be
// taken out. A call-record file of a million rows is tokenized in a fraction
// of a second, where the general reader copies every record twice.
#pragma once

#include <cstddef>
#include <cstdint>
#include <istream>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace records {

class Tokenizer {
public:
    // A record longer than this is taken for a quote left open by mistake.
    static constexpr std::size_t kMaxRecordBytes = std::size_t{1} << 20;

    explicit Tokenizer(std::istream& in);

    // The next record; false at the end of the input. Its fields stay valid
    // until the next call. Throws std::runtime_error when the input cannot be
    // read or a record passes kMaxRecordBytes.
    bool Next();

    std::span<const std::string_view> Fields() const { return fields_; }
    // The record's bytes as they stood, without its line end.
    std::string_view Raw() const { return raw_; }
    // The line the record starts on, from 1.
    std::int64_t Line() const { return recordLine_; }
    // Set when a quoted field runs to the end of the input.
    bool UnclosedQuote() const { return unclosedQuote_; }
    // Bytes taken from the input so far.
    std::uint64_t BytesRead() const { return bytesRead_; }

private:
    // Ensures that [begin_, end_) holds a whole line after begin_ + from, or
    // everything left; false when no byte is left at all.
    bool FindLineEnd(std::size_t from, std::size_t& newline);
    bool Refill();
    // The record from begin_, whose first line ends at `newline`.
    bool SplitQuoted(std::size_t newline);

    std::istream& in_;
    std::vector<char> buffer_;
    std::size_t begin_ = 0;
    std::size_t end_ = 0;
    bool atEnd_ = false;
    bool first_ = true;
    bool unclosedQuote_ = false;
    std::int64_t line_ = 0;
    std::int64_t recordLine_ = 0;
    std::uint64_t bytesRead_ = 0;
    std::string_view raw_;
    std::string rawCopy_; // a quoted record's raw text without its inner CRs removed
    std::string scratch_;
    std::vector<std::string_view> fields_;
    struct Span {
        std::size_t begin, size;
        bool scratch;
    };
    std::vector<Span> spans_;
};

} // namespace records
