// Input: the bytes of a CSV file. The reader (corvane-cli's, alone: the
// engine needs GCC's libquadmath) gives every record or refuses the file with
// a message; each record's fields, written back with AppendField, read back
// as the same fields. Every check aborts with a message naming the record.
#include "textio/csv.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

void Check(bool ok, const char* what, const std::string& record) {
    if (!ok) {
        std::fprintf(stderr, "fuzz_csv: %s\n  record: \"%s\"\n", what, record.c_str());
        std::abort();
    }
}

std::vector<std::string> Fields(const textio::Record& record) {
    std::vector<std::string> fields;
    for (std::size_t i = 0; i < record.Size(); ++i) {
        fields.emplace_back(record.Field(i));
    }
    return fields;
}

// Written back and read again: the same fields. A byte-order mark goes first
// so that a first field starting with one keeps it.
void CheckRoundTrip(const textio::Record& record) {
    std::string text = "\xEF\xBB\xBF";
    for (std::size_t i = 0; i < record.Size(); ++i) {
        if (i > 0) {
            text.push_back(',');
        }
        textio::AppendField(text, record.Field(i));
    }
    text.push_back('\n');
    std::istringstream in(text);
    textio::CsvReader reader(in);
    textio::Record again;
    Check(reader.Next(again), "a record written back reads as none", record.raw);
    Check(Fields(again) == Fields(record), "a record written back reads otherwise", record.raw);
    Check(!reader.Next(again), "a record written back reads as two", record.raw);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string input(reinterpret_cast<const char*>(data), size);
    try {
        std::istringstream in(input);
        textio::CsvReader reader(in);
        textio::Record record;
        while (reader.Next(record)) {
            Check(record.Size() >= 1, "a record without a field", record.raw);
            if (!record.unclosedQuote) {
                CheckRoundTrip(record);
            }
        }
    } catch (const std::runtime_error&) {
        // A record past the size limit: refused, as it should be.
    }
    return 0;
}
