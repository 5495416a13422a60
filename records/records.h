// The room of call records: from a switch's call detail records to the busy
// hour and the circuits it needs (issue 31). How the pieces fit:
//   options.h    the options, as one table the front ends derive theirs from
//   tokenizer.h  CSV records, tokenized without copying
//   clock.h      times as written, IANA zones, the local periods and days
//   formats.h    Asterisk, FreeSWITCH, CUCM and any CSV: rows to holdings,
//                refusals and skips, each by reason
//   reader.h     files and streams read together, the rows of a call joined,
//                into
//   tally.h      the periods' sums: a value that merges and serialises
//   summary.h    per period, per day and over the days, with E.500's and
//                E.520's definitions, and the circuits by Erlang B
// A front end sets Options from text (SetOption, option_text.h), reads with ReadRecords or
// a Reader (progress and cancelling for a long read), and prints Summarize's
// Report with WritePeriods, WriteDays, WriteSummary or SummaryJson.
#pragma once

#include "records/option_text.h"
#include "records/options.h"
#include "records/reader.h"
#include "records/summary.h"
#include "records/tally.h"
