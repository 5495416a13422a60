#include "textio/csv.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>

namespace textio {
namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

enum class State {
    FieldStart,
    Unquoted,
    Quoted,
    QuoteInQuoted, // a quote inside a quoted field: its end, or the first of two
};

// The fields of a record as its characters come: each field's text into
// `text`, where each ends into `ends`. Its state carries over a line break
// inside a quoted field.
struct FieldReader {
    char separator = ',';
    State state = State::FieldStart;

    void Read(std::string_view body, std::string& text, std::vector<std::size_t>& ends) {
        for (const char c : body) {
            switch (state) {
            case State::FieldStart:
                if (c == '"') {
                    state = State::Quoted;
                } else if (c == separator) {
                    ends.push_back(text.size());
                } else {
                    text.push_back(c);
                    state = State::Unquoted;
                }
                break;
            case State::Unquoted:
                if (c == separator) {
                    ends.push_back(text.size());
                    state = State::FieldStart;
                } else {
                    text.push_back(c);
                }
                break;
            case State::Quoted:
                if (c == '"') {
                    state = State::QuoteInQuoted;
                } else {
                    text.push_back(c);
                }
                break;
            case State::QuoteInQuoted:
                if (c == '"') {
                    text.push_back(c);
                    state = State::Quoted;
                } else if (c == separator) {
                    ends.push_back(text.size());
                    state = State::FieldStart;
                } else {
                    // Text after a closing quote is kept as it stands, as
                    // spreadsheets do, rather than refused.
                    text.push_back(c);
                    state = State::Unquoted;
                }
                break;
            }
        }
    }
};

} // namespace

CsvReader::CsvReader(std::istream& in)
    : in_(in)
    , buffer_(std::size_t{1} << 16) {}

bool CsvReader::Fill() {
    if (atEnd_) {
        return false;
    }
    in_.read(buffer_.data(), static_cast<std::streamsize>(buffer_.size()));
    if (in_.bad()) {
        throw std::runtime_error("cannot be read");
    }
    begin_ = 0;
    end_ = static_cast<std::size_t>(in_.gcount());
    atEnd_ = end_ == 0;
    return !atEnd_;
}

bool CsvReader::NextLine(std::string_view& line, bool& terminated) {
    carry_.clear();
    for (;;) {
        if (begin_ == end_ && !Fill()) {
            line = carry_;
            terminated = false;
            return !carry_.empty();
        }
        const char* start = buffer_.data() + begin_;
        const auto* newline = static_cast<const char*>(std::memchr(start, '\n', end_ - begin_));
        if (newline != nullptr) {
            const auto length = static_cast<std::size_t>(newline - start);
            begin_ += length + 1;
            terminated = true;
            ++line_;
            if (carry_.empty()) {
                line = std::string_view(start, length);
            } else {
                carry_.append(start, length);
                line = carry_;
            }
            return true;
        }
        carry_.append(start, end_ - begin_);
        begin_ = end_;
        if (carry_.size() > kMaxRecordBytes) {
            throw std::runtime_error("line " + std::to_string(line_ + 1) + " runs past " +
                                     std::to_string(kMaxRecordBytes >> 20) +
                                     " MiB without a line end");
        }
    }
}

bool CsvReader::Next(Record& record) {
    record.raw.clear();
    record.text_.clear();
    record.ends_.clear();
    record.lineEnd = "";
    recordLine_ = line_ + 1;

    FieldReader fields;
    std::string_view line;
    bool terminated = false;
    bool any = false;
    while (NextLine(line, terminated)) {
        any = true;
        if (first_) {
            first_ = false;
            if (line.starts_with(kByteOrderMark)) {
                hadByteOrderMark_ = true;
                line.remove_prefix(kByteOrderMark.size());
            }
        }
        // A carriage return before the "\n" ends the record along with it,
        // unless a quoted field goes on past it.
        const bool carriageReturn = terminated && line.ends_with('\r');
        const std::string_view body = carriageReturn ? line.substr(0, line.size() - 1) : line;
        record.raw.append(body);
        fields.Read(body, record.text_, record.ends_);
        if (fields.state != State::Quoted) {
            record.lineEnd = !terminated ? "" : carriageReturn ? "\r\n" : "\n";
            break;
        }
        // The line break belongs to the quoted field.
        const std::string_view lineBreak = carriageReturn ? "\r\n" : terminated ? "\n" : "";
        record.raw.append(lineBreak);
        record.text_.append(lineBreak);
        if (record.raw.size() > kMaxRecordBytes) {
            throw std::runtime_error("the record from line " + std::to_string(recordLine_) +
                                     " runs past " + std::to_string(kMaxRecordBytes >> 20) +
                                     " MiB: is a closing quote missing?");
        }
    }
    if (!any) {
        return false;
    }
    record.unclosedQuote = fields.state == State::Quoted;
    record.ends_.push_back(record.text_.size());
    return true;
}

void AppendField(std::string& out, std::string_view field) {
    if (field.find_first_of(",\"\r\n") == std::string_view::npos) {
        out.append(field);
        return;
    }
    out.push_back('"');
    for (const char c : field) {
        if (c == '"') {
            out.push_back('"');
        }
        out.push_back(c);
    }
    out.push_back('"');
}

std::vector<std::string> SplitLine(std::string_view line, char separator) {
    FieldReader fields{.separator = separator};
    std::string text;
    std::vector<std::size_t> ends;
    fields.Read(line, text, ends);
    ends.push_back(text.size());
    std::vector<std::string> split;
    split.reserve(ends.size());
    std::size_t begin = 0;
    for (const std::size_t end : ends) {
        split.emplace_back(text, begin, end - begin);
        begin = end;
    }
    return split;
}

} // namespace textio
