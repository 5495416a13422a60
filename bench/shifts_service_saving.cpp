// What scheduling against the service level itself saves, measured on the
// realistic days of shifts_days.h (a double-peaked day, one with a sharp
// morning rise, a week): the paid hours of cover, its requirements today's
// per-interval staffing (Erlang C's fewest agents for 80 % within 20 s in
// each period alone); the level that cover schedule actually reaches over
// the horizon; the paid hours of service at that same level with the default
// floor (half of it); and the share saved. Also service at the nominal 80 %,
// which the per-interval plan overshoots. Every schedule is verified.
//
// Run: build-test/bench/shifts_service_saving [time limit in seconds, 60]
#include "bench/shifts_days.h"
#include "shifts/verify.h"

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

using namespace shifts_days;

std::string Status(const shifts::Summary& s) {
    if (s.status == shifts::Status::Optimal) {
        return "optimal";
    }
    char text[32];
    std::snprintf(text, sizeof text, "gap %.2f%%", 100 * s.gap);
    return text;
}

// The calls-weighted level a schedule gives the day's calls.
double LevelOf(const shifts::Schedule& schedule, const Day& day) {
    shifts::Centre centre;
    centre.aht = kAht;
    centre.targetTime = kTargetTime;
    double calls = 0, answered = 0;
    for (std::size_t p = 0; p < day.calls.size(); ++p) {
        if (day.calls[p] > 0) {
            const double traffic = shifts::TrafficOf(day.calls[p], 15, centre);
            calls += day.calls[p];
            answered +=
                day.calls[p] * shifts::LevelAt(traffic, schedule.coverage[p].onPhones, centre);
        }
    }
    return answered / calls;
}

bool Sound(const shifts::Problem& problem, const shifts::Schedule& schedule) {
    for (const std::string& fault : shifts::Verify(problem, schedule)) {
        std::fprintf(stderr, "fault: %s\n", fault.c_str());
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char** argv) {
    const double limit = argc > 1 ? std::atof(argv[1]) : 60;
    const struct {
        const char* name;
        Day day;
    } kDays[] = {
        {"double-peaked day", OneDay(Shape::DoublePeak)},
        {"sharp morning rise", OneDay(Shape::MorningRise)},
        {"week", OneWeek()},
    };
    std::printf("| horizon | cover paid hours | cover's level | service paid hours at it | saved "
                "| service at 80 %% | saved at 80 %% |\n|---|---|---|---|---|---|---|\n");
    bool sound = true;
    for (const auto& [name, day] : kDays) {
        const shifts::Problem cover = CoverProblem(day, limit);
        const shifts::Schedule covered = shifts::Solve(cover);
        const double level = LevelOf(covered, day);
        const shifts::Problem service = ServiceProblem(day, level, limit);
        const shifts::Schedule served = shifts::Solve(service);
        const shifts::Problem nominal = ServiceProblem(day, kLevel, limit);
        const shifts::Schedule atNominal = shifts::Solve(nominal);
        sound =
            Sound(cover, covered) && Sound(service, served) && Sound(nominal, atNominal) && sound;
        const double hc = covered.summary.paidHours;
        std::printf(
            "| %s | %.2f (%s) | %.4f | %.2f (%s, %.1f s) | %.1f %% | %.2f (%s) | %.1f %% |\n", name,
            hc, Status(covered.summary).c_str(), level, served.summary.paidHours,
            Status(served.summary).c_str(), served.summary.seconds,
            100 * (1 - served.summary.paidHours / hc), atNominal.summary.paidHours,
            Status(atNominal.summary).c_str(), 100 * (1 - atNominal.summary.paidHours / hc));
        std::fflush(stdout);
    }
    return sound ? 0 : 1;
}
