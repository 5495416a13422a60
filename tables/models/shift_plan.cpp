// Builds the room's problem from the day and says its answer in words.
#include "tables/models/shift_plan.h"

#include "shifts/templates.h"
#include "tables/models/files.h"
#include "tables/models/shift_error.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>

#include <cmath>
#include <memory>
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

shifts::Problem ShiftProblem(const Day& day, const ShiftInputs& inputs) {
    const ShiftObjective objective = inputs.objective;
    shifts::Problem problem;
    problem.templatesName = "シフトのひな型";
    problem.templates =
        shifts::ReadTemplates(inputs.templatesJson.toStdString(), problem.templatesName);
    shifts::Settings& settings = problem.settings;
    settings.objective =
        objective == ShiftObjective::Cover ? shifts::Objective::Cover : shifts::Objective::Service;
    settings.timeLimit = inputs.timeLimitSeconds;
    settings.cyclic = inputs.cyclic;
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
        // The room judges every period by one centre: a row's own would be
        // judged by the fields' without a word.
        const StaffingInputs& own = row.inputs;
        const StaffingInputs& shared = day.inputs;
        if (objective == ShiftObjective::Service &&
            (own.ahtSeconds != shared.ahtSeconds || own.patienceSeconds != shared.patienceSeconds ||
             own.lines != shared.lines || own.redial != shared.redial ||
             own.targetSeconds != shared.targetSeconds || own.serviceLevel != shared.serviceLevel ||
             own.basis != shared.basis)) {
            throw shifts::InputError(QStringLiteral("区間 %1 に独自の処理時間・放棄時間・目標などの"
                                                    "列があります。サービスレベルを満たすシフトは"
                                                    "1日を一つの条件で計算します")
                                         .arg(row.label)
                                         .toStdString());
        }
        if (objective == ShiftObjective::Service && (own.callsVariance || shared.callsVariance)) {
            throw shifts::InputError("サービスレベルを満たすシフトは呼数の分散を扱えません。"
                                     "分散を空欄にするか、必要人数を満たすを選んでください");
        }
        starts.push_back(row.label.trimmed().toStdString());
        values.push_back(objective == ShiftObjective::Cover
                             ? static_cast<double>(row.staffing.agents)
                             : *row.calls);
    }
    if (objective == ShiftObjective::Service) {
        const StaffingInputs& centre = day.inputs;
        settings.serviceLevel = centre.serviceLevel;
        if (!settings.serviceLevel) {
            throw shifts::InputError("サービスレベルを満たすには、サービスレベルの目標が要ります");
        }
        settings.centre.aht = centre.ahtSeconds;
        settings.centre.targetTime = centre.targetSeconds;
        settings.centre.patience = centre.patienceSeconds.value_or(INFINITY);
        settings.centre.lines = centre.lines.value_or(INFINITY);
        settings.centre.redial = centre.redial;
        settings.centre.basis = centre.basis;
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

// A field as CSV has it: quoted where it holds a separator, a quote, a line
// or a "#", which pandas' comment="#" would take for a comment mid-line
// outside quotes.
QString Field(const QString& text) {
    if (!text.contains(u',') && !text.contains(u'"') && !text.contains(u'\n') &&
        !text.contains(u'\r') && !text.contains(u'#')) {
        return text;
    }
    return u'"' + QString(text).replace(QStringLiteral("\""), QStringLiteral("\"\"")) + u'"';
}

QString Number(double value) {
    return QString::number(value, 'g', 15);
}

QString ObjectiveText(ShiftObjective objective) {
    return objective == ShiftObjective::Cover ? QStringLiteral("必要人数を満たす")
                                              : QStringLiteral("サービスレベルを満たす");
}

QString Line(const QStringList& fields) {
    return fields.join(u',') + QStringLiteral("\r\n");
}

} // namespace

QList<QStringList> ShiftInputLines(const ShiftInputs& inputs) {
    return {
        {QStringLiteral("目的"), ObjectiveText(inputs.objective)},
        // Whatever method the day view plans by, the requirement is this.
        {QStringLiteral("区間ごとの要件"),
         inputs.objective == ShiftObjective::Cover
             ? QStringLiteral("1日の要員計画の区間ごとの応対人数（区間ごと）")
             : QStringLiteral("1日の要員計画の区間ごとの呼数")},
        {QStringLiteral("シフトのひな型"), inputs.templatesJson},
        {ShiftArgumentLabel(shifts::Argument::TimeLimit), Number(inputs.timeLimitSeconds)},
        {ShiftArgumentLabel(shifts::Argument::Cyclic),
         inputs.cyclic ? QStringLiteral("はい") : QStringLiteral("いいえ")},
    };
}

QList<QStringList> ShiftAnswerLines(const shifts::Schedule& schedule) {
    const shifts::Summary& summary = schedule.summary;
    QList<QStringList> lines = {
        {QStringLiteral("結果"), summary.status == shifts::Status::Optimal
                                     ? QStringLiteral("最適解")
                                     : QStringLiteral("時間内の最良解")},
        {QStringLiteral("最適との差"), Number(summary.gap)},
        {QStringLiteral("費用"), Number(summary.cost)},
        {QStringLiteral("人数"), QString::number(summary.agents)},
        {QStringLiteral("支払時間"), Number(summary.paidHours)},
        {QStringLiteral("不足の区間"), QString::number(summary.shortPeriods)},
        {QStringLiteral("不足の人・区間"), QString::number(summary.agentPeriodsShort)},
    };
    if (std::isfinite(summary.serviceLevel)) {
        lines << QStringList{QStringLiteral("1日のサービスレベル"), Number(summary.serviceLevel)};
    }
    return lines;
}

QString ShiftsTableCsv(const shifts::Schedule& schedule) {
    const shifts::Horizon& horizon = schedule.horizon;
    const auto clock = [&](int minutes) { return QString::fromStdString(horizon.Label(minutes)); };
    QString text = QStringLiteral("shift,start,end,breaks,agents,cost,paid-hours\r\n");
    for (const shifts::Group& group : schedule.groups) {
        text += Line({Field(QString::fromStdString(group.shift)), clock(group.start),
                      clock(group.start + group.length),
                      Field(QString::fromStdString(shifts::BreaksText(horizon, group))),
                      QString::number(group.agents), Number(group.cost), Number(group.paidHours)});
    }
    return text;
}

QString CoverageTableCsv(const shifts::Schedule& schedule, ShiftObjective objective) {
    const bool service = objective == ShiftObjective::Service;
    QString text = service ? QStringLiteral("start,calls,required,on-phones,on-break,over,short,"
                                            "service-level\r\n")
                           : QStringLiteral("start,required,on-phones,on-break,over,short\r\n");
    for (const shifts::PeriodCoverage& cover : schedule.coverage) {
        QStringList fields{QString::fromStdString(schedule.horizon.Label(cover.start))};
        if (service) {
            fields << Number(cover.calls);
        }
        fields << Number(cover.required) << QString::number(cover.onPhones)
               << QString::number(cover.onBreak) << QString::number(cover.over)
               << QString::number(cover.shortBy);
        if (service) {
            // A period without calls has no level: an empty cell, never "nan".
            fields << (std::isfinite(cover.serviceLevel) ? Number(cover.serviceLevel) : QString());
        }
        text += Line(fields);
    }
    return text;
}

QString ScheduleCsv(const shifts::Schedule& schedule, const ShiftInputs& inputs) {
    QString text;
    for (const QStringList& line : ShiftInputLines(inputs)) {
        QStringList fields{QStringLiteral("# ") + line.front()};
        for (qsizetype i = 1; i < line.size(); ++i) {
            fields << Field(line[i]);
        }
        text += Line(fields);
    }
    return text + ShiftsTableCsv(schedule) + QStringLiteral("\r\n") +
           CoverageTableCsv(schedule, inputs.objective);
}

QString CoveragePath(const QString& shiftsPath) {
    const QFileInfo file(shiftsPath);
    const QString suffix = file.suffix().isEmpty() ? QString() : u'.' + file.suffix();
    return file.dir().filePath(file.completeBaseName() + QStringLiteral("-coverage") + suffix);
}

QString SaveSchedule(const QString& path, const QByteArray& head, const shifts::Schedule& schedule,
                     const ShiftInputs& inputs) {
    // The solve's inputs and answer after the day's, without the byte-order
    // mark that `head` opens with.
    const QByteArray stated =
        head + CsvHead(ShiftInputLines(inputs) + ShiftAnswerLines(schedule)).mid(3);
    const std::pair<QString, QByteArray> files[] = {
        {path, stated + ShiftsTableCsv(schedule).toUtf8()},
        {CoveragePath(path), stated + CoverageTableCsv(schedule, inputs.objective).toUtf8()},
    };
    // Both written in full before either takes its name: a disk that fills
    // leaves both files as they were.
    std::vector<std::unique_ptr<QSaveFile>> written;
    for (const auto& [name, data] : files) {
        auto file = std::make_unique<QSaveFile>(name);
        if (!file->open(QIODevice::WriteOnly | QIODevice::Unbuffered) ||
            !WriteAll(*file, data.constData(), data.size())) {
            return QStringLiteral("%1 に保存できませんでした。\n%2")
                .arg(QDir::toNativeSeparators(name), file->errorString());
        }
        written.push_back(std::move(file));
    }
    for (std::size_t i = 0; i < written.size(); ++i) {
        if (!written[i]->commit()) {
            QString text =
                QStringLiteral("%1 に保存できませんでした。\n%2")
                    .arg(QDir::toNativeSeparators(files[i].first), written[i]->errorString());
            if (i > 0) {
                text += QStringLiteral("\n（%1 は保存しました）")
                            .arg(QDir::toNativeSeparators(files[0].first));
            }
            return text;
        }
    }
    return {};
}

} // namespace tables
