// Builds the room's problem from the day and says its answer in words.
#include "tables/models/shift_plan.h"

#include "shifts/templates.h"

#include <cmath>
#include <string>
#include <vector>

namespace tables {

QString DefaultShiftTemplates() {
    return QStringLiteral(R"([
  {"name": "day", "start": {"earliest": "00:00", "latest": "23:59"},
   "length": "8:00",
   "breaks": [{"length": 15, "after": "2:00", "before": "6:00"}]}
])");
}

std::optional<QString> TemplatesError(const QString& json) {
    try {
        shifts::ReadTemplates(json.toStdString(), "シフトのひな型");
        return std::nullopt;
    } catch (const shifts::InputError& error) {
        return QString::fromStdString(error.what());
    }
}

shifts::Problem ShiftProblem(const Day& day, const QString& templatesJson, ShiftObjective objective,
                             double timeLimitSeconds) {
    shifts::Problem problem;
    problem.templatesName = "シフトのひな型";
    problem.templates = shifts::ReadTemplates(templatesJson.toStdString(), problem.templatesName);
    shifts::Settings& settings = problem.settings;
    settings.objective =
        objective == ShiftObjective::Cover ? shifts::Objective::Cover : shifts::Objective::Service;
    settings.timeLimit = timeLimitSeconds;
    settings.interval = static_cast<int>(std::lround(day.inputs.intervalMinutes));
    if (day.rows.empty()) {
        throw shifts::InputError("1日の区間がありません");
    }
    std::vector<std::string> starts;
    std::vector<double> values;
    for (const DayRow& row : day.rows) {
        if (objective == ShiftObjective::Cover && !row.error.isEmpty()) {
            throw shifts::InputError(QStringLiteral("区間 %1 に答えがありません: %2")
                                         .arg(row.label, row.error)
                                         .toStdString());
        }
        if (objective == ShiftObjective::Service && !row.calls) {
            throw shifts::InputError(
                QStringLiteral("区間 %1 の呼数が読めません").arg(row.label).toStdString());
        }
        starts.push_back(row.label.trimmed().toStdString());
        values.push_back(objective == ShiftObjective::Cover
                             ? static_cast<double>(row.staffing.agents)
                             : *row.calls);
    }
    if (objective == ShiftObjective::Service) {
        const StaffingInputs& inputs = day.inputs;
        settings.serviceLevel = inputs.serviceLevel;
        if (!settings.serviceLevel) {
            throw shifts::InputError("サービスレベルを満たすには、サービスレベルの目標が要ります");
        }
        settings.centre.aht = inputs.ahtSeconds;
        settings.centre.targetTime = inputs.targetSeconds;
        settings.centre.patience = inputs.patienceSeconds.value_or(INFINITY);
        settings.centre.lines = inputs.lines.value_or(INFINITY);
        settings.centre.redial = inputs.redial;
        settings.centre.basis = inputs.basis;
    }
    problem.requirements =
        shifts::RequirementsFrom(starts, values, settings.Source("1日の要員計画"));
    return problem;
}

QString ShiftSummary(const shifts::Schedule& schedule) {
    const shifts::Summary& summary = schedule.summary;
    QString text = QStringLiteral("%1 人、支払時間 %2 時間、費用 %3。")
                       .arg(summary.agents)
                       .arg(summary.paidHours, 0, 'f', 2)
                       .arg(summary.cost, 0, 'f', 2);
    if (summary.agentPeriodsShort > 0) {
        text += QStringLiteral(" %1 区間で計 %2 人・区間の不足。")
                    .arg(summary.shortPeriods)
                    .arg(summary.agentPeriodsShort);
    }
    if (std::isfinite(summary.serviceLevel)) {
        text += QStringLiteral(" 1日のサービスレベル %1 %。")
                    .arg(summary.serviceLevel * 100, 0, 'f', 1);
    }
    text += summary.status == shifts::Status::Optimal
                ? QStringLiteral(" 最適解です。")
                : QStringLiteral(" 時間内の最良解で、最適との差は最大 %1 % です。")
                      .arg(summary.gap * 100, 0, 'f', 2);
    return text;
}

namespace {

// A field as CSV has it: quoted where it holds a separator, a quote or a line.
QString Field(const QString& text) {
    if (!text.contains(u',') && !text.contains(u'"') && !text.contains(u'\n') &&
        !text.contains(u'\r')) {
        return text;
    }
    return u'"' + QString(text).replace(QStringLiteral("\""), QStringLiteral("\"\"")) + u'"';
}

QString Number(double value) {
    return QString::number(value, 'g', 15);
}

} // namespace

QString ScheduleCsv(const shifts::Schedule& schedule, ShiftObjective objective,
                    const QString& templatesJson) {
    const shifts::Horizon& horizon = schedule.horizon;
    const auto clock = [&](int minutes) { return QString::fromStdString(horizon.Label(minutes)); };
    QString text =
        QStringLiteral("# 目的,%1\r\n# シフトのひな型,%2\r\n")
            .arg(objective == ShiftObjective::Cover ? QStringLiteral("必要人数を満たす")
                                                    : QStringLiteral("サービスレベルを満たす"),
                 Field(templatesJson.simplified()));
    text += QStringLiteral("shift,start,end,breaks,agents,cost,paid-hours\r\n");
    for (const shifts::Group& group : schedule.groups) {
        text += QStringList{Field(QString::fromStdString(group.shift)),
                            clock(group.start),
                            clock(group.start + group.length),
                            Field(QString::fromStdString(shifts::BreaksText(horizon, group))),
                            QString::number(group.agents),
                            Number(group.cost),
                            Number(group.paidHours)}
                    .join(u',') +
                QStringLiteral("\r\n");
    }
    text += QStringLiteral("\r\nstart,required,on-phones,on-break,over,short\r\n");
    for (const shifts::PeriodCoverage& cover : schedule.coverage) {
        text += QStringList{clock(cover.start),
                            Number(cover.required),
                            QString::number(cover.onPhones),
                            QString::number(cover.onBreak),
                            QString::number(cover.over),
                            QString::number(cover.shortBy)}
                    .join(u',') +
                QStringLiteral("\r\n");
    }
    return text;
}

} // namespace tables
