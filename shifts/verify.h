// A check of a schedule that shares nothing with the programme that made it:
// from the templates as read, the requirements and the settings alone, each
// group's shift and breaks within its template's rules, the templates'
// limits, the coverage recomputed from the groups, the cost, agents and paid
// hours recomputed, and under service each period's level recomputed by the
// engine's own functions (Erlang C's and A's where the centre is theirs) and
// the horizon's level and floor met. The tests run it on every schedule they
// make; a front end may too.
#pragma once

#include "shifts/schedule.h"

#include <string>
#include <vector>

namespace shifts {

// Every fault found, in words; empty for a sound schedule.
std::vector<std::string> Verify(const Problem& problem, const Schedule& schedule);

} // namespace shifts
