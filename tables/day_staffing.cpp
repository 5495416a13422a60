#include "tables/day_staffing.h"

#include "tables/engine_error.h"

#include "teletraffic/number_text.h"

#include <QStringDecoder>

#include <algorithm>

namespace tables {
namespace {

enum Figure {
    kLabel,
    kCalls,
    kTraffic,
    kOnPhones,
    kScheduled,
    kServiceLevel,
    kAbandonment,
    kOccupancy,
    kWait,
    kFigures
};

QStringList Fields(QStringView line) {
    const QChar separator = line.contains(u'\t')                          ? u'\t'
                            : line.contains(u';') && !line.contains(u',') ? u';'
                                                                          : u',';
    QStringList fields;
    QString field;
    bool quoted = false;
    for (qsizetype i = 0; i < line.size(); ++i) {
        const QChar c = line[i];
        if (quoted && c == u'"' && i + 1 < line.size() && line[i + 1] == u'"') {
            field += c;
            ++i;
        } else if (c == u'"') {
            quoted = !quoted;
        } else if (!quoted && c == separator) {
            fields << field.trimmed();
            field.clear();
        } else {
            field += c;
        }
    }
    fields << field.trimmed();
    return fields;
}

std::optional<double> Number(const QString& text) {
    const number_text::Reading reading = number_text::Read(text.toStdString());
    return reading.ok() ? std::optional(reading.value) : std::nullopt;
}

} // namespace

std::vector<Volume> ReadVolumes(QStringView text) {
    std::vector<Volume> volumes;
    bool first = true;
    qsizetype countColumn = -1; // as a heading names it; else the second, or the only one
    for (QStringView line : text.split(u'\n')) {
        if (line.startsWith(u'\uFEFF')) {
            line = line.mid(1);
        }
        const QStringList fields = Fields(line);
        if (fields.size() == 1 && fields[0].isEmpty()) {
            continue;
        }
        const qsizetype at = countColumn >= 0 ? countColumn : fields.size() == 1 ? 0 : 1;
        if (std::exchange(first, false) && !Number(fields.value(at))) {
            for (qsizetype i = 0; i < fields.size(); ++i) {
                if (fields[i].compare(u"calls", Qt::CaseInsensitive) == 0 || fields[i] == u"呼数") {
                    countColumn = i;
                }
            }
            continue;
        }
        const QString number = QString::number(volumes.size() + 1);
        const QString label = fields.size() == 1 ? number : fields.value(at == 0 ? 1 : 0, number);
        volumes.push_back({label, fields.value(at)});
    }
    return volumes;
}

QString DecodeVolumes(const QByteArray& bytes) {
    QStringDecoder utf8(QStringDecoder::Utf8);
    QString text = utf8(bytes);
    if (!utf8.hasError()) {
        return text;
    }
    QStringDecoder shiftJis("Shift_JIS");
    if (shiftJis.isValid()) {
        text = shiftJis(bytes);
        if (!shiftJis.hasError()) {
            return text;
        }
    }
    return QString::fromUtf8(bytes); // what cannot be read shows as U+FFFD
}

Day StaffDay(const std::vector<Volume>& volumes, const StaffingInputs& inputs) {
    Day day;
    day.inputs = inputs;
    const double hours = inputs.intervalMinutes / 60;
    for (const Volume& volume : volumes) {
        DayRow row{volume.label, volume.calls, {}, {}};
        const std::optional<double> calls = Number(volume.calls);
        if (!calls) {
            row.error = QStringLiteral("呼数が数値ではありません");
        } else if (*calls < 0) {
            row.error = QStringLiteral("呼数は 0 以上にしてください");
        } else {
            StaffingInputs interval = inputs;
            interval.calls = *calls;
            try {
                row.staffing = Staff(interval, false);
            } catch (const std::exception& error) {
                row.error = EngineErrorText(error);
            }
        }
        if (!row.error.isEmpty()) {
            ++day.failed;
        } else {
            day.agentHours += static_cast<double>(row.staffing.scheduled) * hours;
            day.phoneHours += static_cast<double>(row.staffing.agents) * hours;
            if (day.peak < 0 ||
                row.staffing.scheduled >
                    day.rows[static_cast<std::size_t>(day.peak)].staffing.scheduled) {
                day.peak = static_cast<int>(day.rows.size());
            }
        }
        day.rows.push_back(std::move(row));
    }
    return day;
}

DayModel::DayModel(QObject* parent)
    : QAbstractTableModel(parent) {}

void DayModel::setDay(Day day) {
    beginResetModel();
    day_ = std::move(day);
    endResetModel();
}

int DayModel::errorColumn() const {
    return kTraffic;
}

int DayModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(day_.rows.size());
}

int DayModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : kFigures - (day_.inputs.patienceSeconds ? 0 : 1);
}

int DayModel::figure(int column) const {
    return !day_.inputs.patienceSeconds && column >= kAbandonment ? column + 1 : column;
}

QVariant DayModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid()) {
        return {};
    }
    const DayRow& row = day_.rows.at(static_cast<std::size_t>(index.row()));
    const int figure = this->figure(index.column());
    if (role == Qt::TextAlignmentRole) {
        const bool left = figure == kLabel || (!row.error.isEmpty() && figure >= kTraffic);
        return QVariant::fromValue((left ? Qt::AlignLeft : Qt::AlignRight) | Qt::AlignVCenter);
    }
    if (role == Qt::ToolTipRole && !row.error.isEmpty()) {
        return row.error; // whole, where the cell is too narrow
    }
    if (role != Qt::DisplayRole) {
        return {};
    }
    if (figure == kLabel) {
        return row.label;
    }
    if (figure == kCalls) {
        return row.callsText;
    }
    if (!row.error.isEmpty()) {
        return figure == kTraffic ? row.error : QString();
    }
    const Staffing& s = row.staffing;
    const auto percent = [](double share) { return QString::number(share * 100, 'f', 1); };
    // No calls, no agents: nothing to measure them by.
    if (s.agents == 0 && figure > kScheduled) {
        return QString();
    }
    switch (figure) {
    case kTraffic:
        return QString::number(s.traffic, 'f', 2);
    case kOnPhones:
        return QString::number(s.agents);
    case kScheduled:
        return QString::number(s.scheduled);
    case kServiceLevel:
        return percent(s.answer.serviceLevel);
    case kAbandonment:
        return percent(s.answer.abandonment);
    case kOccupancy:
        return percent(s.answer.occupancy);
    case kWait:
        return QString::number(s.answer.averageWait, 'f', 1);
    default:
        return {};
    }
}

QVariant DayModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || (role != Qt::DisplayRole && role != Qt::ToolTipRole)) {
        return QAbstractTableModel::headerData(section, orientation, role);
    }
    // Short headings, for nine columns beside the volumes; the tip says them in full.
    static const QString headings[kFigures][2] = {
        {QStringLiteral("区間"), QStringLiteral("区間")},
        {QStringLiteral("呼数"), QStringLiteral("呼数")},
        {QStringLiteral("呼量"), QStringLiteral("呼量 (アーラン)")},
        {QStringLiteral("応対人数"), QStringLiteral("電話に出るエージェント数")},
        {QStringLiteral("スケジュール"), QStringLiteral("スケジュールするエージェント数")},
        {QStringLiteral("SL (%)"), QStringLiteral("サービスレベル (%)")},
        {QStringLiteral("放棄 (%)"), QStringLiteral("放棄率 (%)")},
        {QStringLiteral("稼働 (%)"), QStringLiteral("稼働率 (%)")},
        {QStringLiteral("ASA (秒)"), QStringLiteral("平均応答時間 (秒)")}};
    return headings[figure(section)][role == Qt::ToolTipRole ? 1 : 0];
}

} // namespace tables
