// CSV as RFC 4180 writes it, read one record at a time so that memory does
// not grow with the input: quoted fields with commas, doubled quotes and line
// breaks, CRLF or LF line ends, and a UTF-8 byte-order mark before the first
// record; and one line of fields split the same way at another separator
// (a paste from a spreadsheet).
#pragma once

#include <cstddef>
#include <cstdint>
#include <istream>
#include <string>
#include <string_view>
#include <vector>

namespace textio {

struct Record {
    // The record's bytes as they stood, without its line end (or the
    // byte-order mark), so that it can be written back untouched.
    std::string raw;
    // "\r\n" or "\n", or "" for a last record with no line end.
    std::string_view lineEnd;
    // Set when a quoted field runs to the end of the input.
    bool unclosedQuote = false;

    std::size_t Size() const { return ends_.size(); }
    // The field's text, unquoted.
    std::string_view Field(std::size_t i) const {
        const std::size_t begin = i == 0 ? 0 : ends_[i - 1];
        return std::string_view(text_).substr(begin, ends_[i] - begin);
    }

private:
    friend class CsvReader;
    std::string text_;              // the fields' text, one after another
    std::vector<std::size_t> ends_; // where each field ends in text_
};

class CsvReader {
public:
    // A record longer than this is taken for a quote left open by mistake.
    static constexpr std::size_t kMaxRecordBytes = std::size_t{1} << 20;

    explicit CsvReader(std::istream& in);

    // Reads the next record into `record`; false at the end of the input.
    // Throws std::runtime_error when the input cannot be read or a record
    // passes kMaxRecordBytes.
    bool Next(Record& record);

    bool HadByteOrderMark() const { return hadByteOrderMark_; }

private:
    // The next line without its "\n", valid until the next call; false at the
    // end of the input. `terminated` tells whether a "\n" ended it.
    bool NextLine(std::string_view& line, bool& terminated);
    bool Fill();

    std::istream& in_;
    std::vector<char> buffer_;
    std::size_t begin_ = 0;
    std::size_t end_ = 0;
    std::string carry_; // a line split across two fills of the buffer
    bool atEnd_ = false;
    bool first_ = true;
    bool hadByteOrderMark_ = false;
    std::int64_t line_ = 0;
    std::int64_t recordLine_ = 0; // where the record being read starts, from 1
};

// The fields of one line, unquoted as CsvReader unquotes them, between
// `separator`s: ',' for CSV, a tab or ';' for what a spreadsheet pastes. A
// quote left open runs to the end of the line.
std::vector<std::string> SplitLine(std::string_view line, char separator = ',');

// Appends `field` to `out`, quoted when it holds a comma, a quote or a line
// break.
void AppendField(std::string& out, std::string_view field);

} // namespace textio
