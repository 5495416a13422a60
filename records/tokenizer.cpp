#include "records/tokenizer.h"

#include <cstring>
#include <stdexcept>

namespace records {
namespace {

constexpr std::size_t kBlock = std::size_t{1} << 20;
constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

} // namespace

Tokenizer::Tokenizer(std::istream& in)
    : in_(in)
    , buffer_(kBlock) {}

bool Tokenizer::Refill() {
    if (atEnd_) {
        return false;
    }
    // Keep what is left of the record being read at the front, and make room.
    if (begin_ > 0) {
        std::memmove(buffer_.data(), buffer_.data() + begin_, end_ - begin_);
        end_ -= begin_;
        begin_ = 0;
    }
    if (end_ == buffer_.size()) {
        if (buffer_.size() > kMaxRecordBytes + kBlock) {
            throw std::runtime_error("the record from line " + std::to_string(recordLine_) +
                                     " runs past " + std::to_string(kMaxRecordBytes >> 20) +
                                     " MiB: is a closing quote or a line end missing?");
        }
        buffer_.resize(buffer_.size() + kBlock);
    }
    in_.read(buffer_.data() + end_, static_cast<std::streamsize>(buffer_.size() - end_));
    if (in_.bad()) {
        throw std::runtime_error("cannot be read");
    }
    const auto got = static_cast<std::size_t>(in_.gcount());
    end_ += got;
    bytesRead_ += got;
    atEnd_ = got == 0;
    return !atEnd_;
}

bool Tokenizer::FindLineEnd(std::size_t from, std::size_t& newline) {
    for (;;) {
        const std::size_t size = end_ - begin_;
        if (from < size) {
            const char* start = buffer_.data() + begin_ + from;
            const auto* found = static_cast<const char*>(std::memchr(start, '\n', size - from));
            if (found != nullptr) {
                newline = static_cast<std::size_t>(found - (buffer_.data() + begin_));
                return true;
            }
        }
        if (!Refill()) {
            newline = end_ - begin_;
            return from < newline;
        }
    }
}

bool Tokenizer::Next() {
    fields_.clear();
    spans_.clear();
    scratch_.clear();
    unclosedQuote_ = false;
    recordLine_ = line_ + 1;
    if (first_) {
        first_ = false;
        std::size_t ignored = 0;
        FindLineEnd(0, ignored);
        if (std::string_view(buffer_.data() + begin_, end_ - begin_).starts_with(kByteOrderMark)) {
            begin_ += kByteOrderMark.size();
            // A byte-order mark alone is a record of one empty field, as the
            // general reader has it.
            if (begin_ == end_ && !Refill()) {
                raw_ = {};
                fields_.emplace_back();
                return true;
            }
        }
    }
    std::size_t newline = 0;
    if (!FindLineEnd(0, newline)) {
        return false;
    }
    bool terminated = newline < end_ - begin_;
    const char* data = buffer_.data() + begin_;
    std::size_t bodyEnd =
        terminated && newline > 0 && data[newline - 1] == '\r' ? newline - 1 : newline;
    if (newline > kMaxRecordBytes) {
        throw std::runtime_error("line " + std::to_string(recordLine_) + " runs past " +
                                 std::to_string(kMaxRecordBytes >> 20) + " MiB without a line end");
    }
    if (std::memchr(data, '"', bodyEnd) == nullptr) {
        // No quote: the fields are the line's text between commas.
        std::size_t pos = 0;
        for (;;) {
            const auto* comma =
                static_cast<const char*>(std::memchr(data + pos, ',', bodyEnd - pos));
            const std::size_t stop =
                comma == nullptr ? bodyEnd : static_cast<std::size_t>(comma - data);
            fields_.emplace_back(data + pos, stop - pos);
            if (comma == nullptr) {
                break;
            }
            pos = stop + 1;
        }
        raw_ = std::string_view(data, bodyEnd);
        line_ += terminated ? 1 : 0;
        begin_ += terminated ? newline + 1 : newline;
        return true;
    }
    return SplitQuoted(newline);
}

// The general path: the state machine of textio::CsvReader over the record's
// bytes, a field kept as a view where its text stands whole in the input.
bool Tokenizer::SplitQuoted(std::size_t newline) {
    std::size_t pos = 0;
    bool terminated = newline < end_ - begin_;
    std::int64_t lines = terminated ? 1 : 0;
    auto bodyEnd = [&] {
        const char* data = buffer_.data() + begin_;
        return terminated && newline > 0 && data[newline - 1] == '\r' ? newline - 1 : newline;
    };
    std::size_t body = bodyEnd();
    // Appends the input's [from, to) to the scratch field.
    auto copy = [&](std::size_t from, std::size_t to) {
        scratch_.append(buffer_.data() + begin_ + from, to - from);
    };
    for (;;) {
        const char* data = buffer_.data() + begin_;
        if (pos < body && data[pos] == '"') {
            std::size_t from = pos + 1;
            std::size_t search = from;
            bool inScratch = false;
            const std::size_t scratchStart = scratch_.size();
            for (;;) {
                data = buffer_.data() + begin_;
                const auto* quote =
                    static_cast<const char*>(std::memchr(data + search, '"', newline - search));
                if (quote == nullptr) {
                    // The quoted field runs on past this line.
                    if (!terminated) {
                        if (inScratch) {
                            copy(from, newline);
                        }
                        spans_.push_back(
                            inScratch ? Span{scratchStart, scratch_.size() - scratchStart, true}
                                      : Span{from, newline - from, false});
                        unclosedQuote_ = true;
                        body = newline;
                        goto done;
                    }
                    search = newline + 1;
                    FindLineEnd(search, newline);
                    terminated = newline < end_ - begin_;
                    lines += terminated ? 1 : 0;
                    body = bodyEnd();
                    if (newline > kMaxRecordBytes) {
                        throw std::runtime_error("the record from line " +
                                                 std::to_string(recordLine_) + " runs past " +
                                                 std::to_string(kMaxRecordBytes >> 20) +
                                                 " MiB: is a closing quote missing?");
                    }
                    continue;
                }
                const auto at = static_cast<std::size_t>(quote - data);
                if (at + 1 < body && data[at + 1] == '"') {
                    // A doubled quote stands for one.
                    if (!inScratch) {
                        inScratch = true;
                    }
                    copy(from, at + 1);
                    from = search = at + 2;
                    continue;
                }
                if (at + 1 >= body || data[at + 1] == ',') {
                    if (inScratch) {
                        copy(from, at);
                    }
                    spans_.push_back(inScratch
                                         ? Span{scratchStart, scratch_.size() - scratchStart, true}
                                         : Span{from, at - from, false});
                    if (at + 1 >= body) {
                        goto done;
                    }
                    pos = at + 2;
                    break;
                }
                // Text after a closing quote is kept as it stands.
                copy(from, at);
                const auto* comma =
                    static_cast<const char*>(std::memchr(data + at + 1, ',', body - at - 1));
                const std::size_t stop =
                    comma == nullptr ? body : static_cast<std::size_t>(comma - data);
                copy(at + 1, stop);
                spans_.push_back(Span{scratchStart, scratch_.size() - scratchStart, true});
                if (comma == nullptr) {
                    goto done;
                }
                pos = stop + 1;
                break;
            }
            continue;
        }
        // An unquoted field: a quote inside it is an ordinary character.
        const auto* comma = static_cast<const char*>(std::memchr(data + pos, ',', body - pos));
        const std::size_t stop = comma == nullptr ? body : static_cast<std::size_t>(comma - data);
        spans_.push_back(Span{pos, stop - pos, false});
        if (comma == nullptr) {
            break;
        }
        pos = stop + 1;
    }
done:
    const char* data = buffer_.data() + begin_;
    for (const Span& s : spans_) {
        fields_.emplace_back(s.scratch ? scratch_.data() + s.begin : data + s.begin, s.size);
    }
    raw_ = std::string_view(data, body);
    line_ += lines;
    begin_ += terminated ? newline + 1 : newline;
    return true;
}

} // namespace records
