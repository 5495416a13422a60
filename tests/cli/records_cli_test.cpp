// corvane-cli records: what each outcome prints where and exits with, the
// JSON's names, standard input read as a file, and the man page's entry for
// each of the room's options.
#include "records/options.h"
#include "run_cli.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <fstream>
#include <iterator>
#include <map>
#include <set>

namespace {

std::string RecordsFile(const char* name) {
    return std::string(CORVANE_RECORDS_DATA) + "/" + name;
}

std::string FileText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

// Each outcome: the status, the start of standard output (or nothing), and
// what standard error says.
TEST(CliRecords, EachOutcomeItsStatusOutputAndMessage) {
    const std::string midnight = RecordsFile("midnight.csv"), trunk = RecordsFile("trunk.csv");
    const struct {
        const char* name;
        std::vector<std::string> args;
        int status;
        std::string out; // its first line; "" for nothing at all
        std::vector<std::string> err;
        std::string input = "";
    } cases[] = {
        {"every row read, the format said",
         {"records", trunk, "--timezone", "UTC"},
         0,
         "start,calls,traffic,peak,holding-time",
         {"trunk.csv: read as asterisk (--format auto)"}},
        {"rows refused: counted by reason, quoted with file and line",
         {"records", midnight, "--timezone", "UTC", "--per", "day"},
         1,
         "date,calls,peak,peak-hour,peak-hour-traffic",
         {"5 of 18 rows refused (fields 1, missing-time 1, bad-time 1",
          "midnight.csv:7: a time that does not parse: "}},
        {"strict: the first refused row, nothing printed",
         {"records", midnight, "--timezone", "UTC", "--strict"},
         1,
         "",
         {"midnight.csv:7: a time that does not parse", "--strict: nothing printed"}},
        {"a word in any spelling; no note of a format asked for",
         {"records", trunk, "--timezone", "UTC", "--format", "ASTERISK", "--per", "Summary"},
         0,
         "name,value",
         {}},
        {"standard input",
         {"records", "-", "--timezone", "UTC"},
         1,
         "start,",
         {"standard input:7:"},
         FileText(midnight)},
        {"not call records",
         {"records", RecordsFile("reference.csv")},
         2,
         "",
         {"reference.csv: not call records of a known format"}},
        {"not of the format asked for",
         {"records", trunk, "--format", "freeswitch"},
         2,
         "",
         {"trunk.csv: not FreeSWITCH's default CSV template"}},
        {"a file that is not there",
         {"records", RecordsFile("none.csv")},
         2,
         "",
         {"none.csv: cannot be opened"}},
        {"an option outside its rule",
         {"records", trunk, "--interval", "7"},
         2,
         "",
         {"--interval must be a whole number of minutes dividing 60, got \"7\""}},
        {"a zone tzdata lacks",
         {"records", trunk, "--timezone", "Mars/Olympus"},
         2,
         "",
         {"--timezone must be an IANA time zone such as Europe/Berlin, got \"Mars/Olympus\""}},
        {"options that do not go together",
         {"records", trunk, "--format", "csv", "--start-column", "a"},
         2,
         "",
         {"--end-column or --duration-column is needed with format csv"}},
        {"a fixed hour off the periods",
         {"records", trunk, "--interval", "30", "--fixed-hour", "10:15"},
         2,
         "",
         {"--fixed-hour must be HH:MM on a period boundary (every 30 minutes)"}},
        {"json is the summary",
         {"records", trunk, "--json", "--per", "day"},
         2,
         "",
         {"--json prints the summary: give it without --per day"}},
        {"standard input twice", {"records", "-", "-"}, 2, "", {"read once"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const Outcome r = Cli(c.args, c.input);
        EXPECT_EQ(r.status, c.status) << r.err;
        if (c.out.empty()) {
            EXPECT_EQ(r.out, "");
        } else {
            EXPECT_EQ(r.out.substr(0, c.out.size()), c.out);
        }
        for (const std::string& said : c.err) {
            EXPECT_NE(r.err.find(said), std::string::npos) << r.err;
        }
        if (c.err.empty()) {
            EXPECT_EQ(r.err, "");
        }
    }
}

// --json: one object with every name the summary has, the reading's counts
// beside the E.500 figures; standard input reads as the file does.
TEST(CliRecords, JsonHasEveryFigureAndCount) {
    const std::string path = RecordsFile("midnight.csv");
    const Outcome r = Cli({"records", path, "--timezone", "UTC", "--json", "--lines", "4"});
    ASSERT_EQ(r.status, 1) << r.err;
    const auto json = nlohmann::json::parse(r.out);
    std::set<std::string> names;
    for (const auto& [name, value] : json.items()) {
        names.insert(name);
    }
    const std::set<std::string> want = {
        "adph-traffic", "tcbh",      "tcbh-traffic",   "fdmh-traffic", "normal-load",
        "high-load",    "load",      "lines-normal",   "lines-high",   "lines",
        "saturated",    "peak",      "rows",           "rows-used",    "rows-refused",
        "rows-skipped", "rows-late", "rows-uncertain", "ambiguous",    "calls",
        "days",         "first",     "last",           "normal-days",  "high-days"};
    EXPECT_EQ(names, want);
    EXPECT_EQ(json["rows-refused"]["bad-time"], 1);
    EXPECT_EQ(json["load"], "offered");
    const Outcome piped =
        Cli({"records", "-", "--timezone", "UTC", "--json", "--lines", "4"}, FileText(path));
    EXPECT_EQ(piped.out, r.out);
}

// The man page's CALL RECORDS section has an entry for each of the room's
// options, with its rule's words or every word of its choice, and none other.
TEST(CliRecords, ManPageListsEachOptionWithItsRuleOrWords) {
    const std::string page = FileText(CORVANE_CLI_MAN);
    const auto begin = page.find(".SH CALL RECORDS\n");
    ASSERT_NE(begin, std::string::npos);
    const std::string section = page.substr(begin, page.find("\n.SH ", begin + 1) - begin);
    // Entries: ".TP" then ".BI \-\-name ..." then their text, "\-" read as "-".
    std::map<std::string, std::string> entries;
    std::string name;
    std::size_t at = 0;
    while (at < section.size()) {
        const std::size_t end = std::min(section.find('\n', at), section.size());
        std::string line = section.substr(at, end - at);
        at = end + 1;
        for (std::size_t i; (i = line.find("\\-")) != std::string::npos;) {
            line.replace(i, 2, "-");
        }
        if (line == ".TP" || line.starts_with(".SS") || line == ".PP") {
            name.clear();
        } else if (name.empty() && line.starts_with(".B") &&
                   line.find(" --") != std::string::npos) {
            const auto dashes = line.find(" --") + 3;
            name = line.substr(dashes, line.find_first_of(" \"", dashes) - dashes);
            entries[name];
        } else if (!name.empty()) {
            entries[name] += line + " ";
        }
    }
    for (const records::OptionInfo& info : records::OptionTable()) {
        const std::string option(info.name());
        ASSERT_TRUE(entries.contains(option)) << "--" << option;
        const std::string& entry = entries.at(option);
        if (const auto* choice = records::RecordsRegistry().Choice(info.about().choice)) {
            for (const auto& word : choice->words) {
                EXPECT_NE(entry.find(word.word), std::string::npos) << option << ": " << word.word;
            }
        } else if (info.kind != records::OptionKind::Flag) {
            EXPECT_NE(entry.find(info.about().rule->text), std::string::npos)
                << "--" << option << ": " << entry;
        }
    }
    EXPECT_EQ(entries.size(), records::kOptionCount);
}

} // namespace
