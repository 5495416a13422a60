// Each row's cells are read by their own small grammar into a JSON object
// of the room's form (QJsonDocument writes it), and that object alone is
// read by shifts::ReadTemplates: the room decides, its refusal worded by
// shift_error.h. A cell the grammar cannot read is refused here, naming the
// template and the column. Rows from the room's JSON go the other way, from
// the templates it read.
#include "tables/models/shift_templates.h"

#include "shifts/error.h"
#include "shifts/horizon.h"
#include "tables/models/inputs.h"
#include "tables/models/shift_error.h"
#include "tables/models/shift_plan.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>

#include <map>
#include <set>

namespace tables {
namespace {

constexpr const char16_t* kHeadings[kTemplateColumns] = {
    u"名前", u"開始 (最早–最遅/刻み)", u"長さ", u"休憩", u"コスト", u"最少 / 最多", u"曜日",
};
constexpr const char16_t* kColumnWords[kTemplateColumns] = {
    u"名前", u"開始", u"長さ", u"休憩", u"コスト", u"最少 / 最多", u"曜日",
};
const QString kPaidHours = QStringLiteral("支払時間");
const QString kUnpaid = QStringLiteral("無給");
// Monday first, as the room counts.
const QString kWeekdays = QStringLiteral("月火水木金土日");

QString Col(TemplateColumn column) {
    return QString::fromUtf16(kColumnWords[static_cast<int>(column)]);
}

// A refusal of a cell: the template (or its row) and the column named.
struct CellError {
    QString text;
};

[[noreturn]] void Refuse(const QString& who, TemplateColumn column, const QString& why) {
    throw CellError{QStringLiteral("%1: %2%3").arg(who, Col(column), why)};
}

// "a–b" (an en dash, a hyphen, a wave dash or a tilde between), trimmed;
// one part where there is no separator.
QStringList RangeParts(const QString& text) {
    static const QRegularExpression separator(QStringLiteral("\\s*[–—〜～~-]\\s*"));
    QStringList parts = text.split(separator);
    for (QString& part : parts) {
        part = part.trimmed();
    }
    return parts;
}

// "text / step": the text and the step (empty where none is given).
std::pair<QString, QString> StepParts(const QString& text) {
    static const QRegularExpression slash(QStringLiteral("[/／]"));
    const qsizetype at = text.indexOf(slash);
    if (at < 0) {
        return {text.trimmed(), QString()};
    }
    return {text.left(at).trimmed(), text.mid(at + 1).trimmed()};
}

// A duration as the room takes it: digits as minutes, anything else as text
// the room reads ("1:30"), or refuses with its reason.
QJsonValue Duration(const QString& text) {
    static const QRegularExpression minutes(QStringLiteral("^[0-9０-９]+\\s*分?$"));
    if (minutes.match(text).hasMatch()) {
        QString digits;
        for (const QChar c : text) {
            if (c.isDigit()) {
                digits += QChar(u'0' + c.digitValue());
            }
        }
        bool ok = false;
        const int value = digits.left(9).toInt(&ok);
        return ok ? QJsonValue(value) : QJsonValue(text);
    }
    return QJsonValue(text);
}

QJsonValue Start(const QString& who, const QString& cell) {
    const auto [window, step] = StepParts(cell);
    const QStringList ends = RangeParts(window);
    if (window.isEmpty() || ends.size() > 2 || ends.contains(QString())) {
        Refuse(who, TemplateColumn::Start,
               QStringLiteral("は「06:00–09:00 / 15」（最早–最遅 / 刻みの分）の形にしてください"));
    }
    QJsonObject start{{QStringLiteral("earliest"), ends.front()},
                      {QStringLiteral("latest"), ends.back()}};
    if (!step.isEmpty()) {
        start[QStringLiteral("step")] = Duration(step);
    }
    return start;
}

QJsonValue Length(const QString& who, const QString& cell) {
    const auto [span, step] = StepParts(cell);
    const QStringList ends = RangeParts(span);
    if (span.isEmpty() || ends.size() > 2 || ends.contains(QString()) ||
        (ends.size() == 1 && !step.isEmpty())) {
        Refuse(who, TemplateColumn::Length,
               QStringLiteral("は「8:30」か「4:00–6:00 / 30」（最短–最長 / 刻みの分）の形にして"
                              "ください"));
    }
    if (ends.size() == 1) {
        return Duration(ends.front());
    }
    QJsonObject length{{QStringLiteral("min"), Duration(ends.front())},
                       {QStringLiteral("max"), Duration(ends.back())}};
    if (!step.isEmpty()) {
        length[QStringLiteral("step")] = Duration(step);
    }
    return length;
}

// "15分 1:30–3:00; 30分 3:30–5:30 無給".
QJsonArray Breaks(const QString& who, const QString& cell) {
    static const QRegularExpression pieces(QStringLiteral("[;；]"));
    static const QRegularExpression form(
        QStringLiteral("^([0-9０-９:]+)\\s*分?\\s+(\\S+)\\s*[–—〜～~-]\\s*(\\S+?)\\s*(無給)?$"));
    QJsonArray breaks;
    int number = 0;
    for (const QString& piece : cell.split(pieces)) {
        ++number;
        const QString text = piece.trimmed();
        if (text.isEmpty()) {
            continue;
        }
        const QRegularExpressionMatch match = form.match(text);
        if (!match.hasMatch()) {
            Refuse(who, TemplateColumn::Breaks,
                   QStringLiteral(" %1 は「15分 1:30–3:00」（長さ 始まりの最早–終わりの最遅、"
                                  "シフトの始まりから）の形にしてください。無給なら後に「無給」")
                       .arg(number));
        }
        QJsonObject pause{{QStringLiteral("length"), Duration(match.captured(1))},
                          {QStringLiteral("after"), Duration(match.captured(2))},
                          {QStringLiteral("before"), Duration(match.captured(3))}};
        if (!match.captured(4).isEmpty()) {
            pause[QStringLiteral("paid")] = false;
        }
        breaks.append(pause);
    }
    return breaks;
}

std::optional<QJsonValue> Cost(const QString& who, const QString& cell) {
    if (cell.isEmpty() || cell == kPaidHours || cell == QStringLiteral("paid-hours")) {
        return std::nullopt;
    }
    const Reading reading = Read(cell, Range{0, 1e9, false, true});
    if (!reading.value) {
        Refuse(who, TemplateColumn::Cost,
               QStringLiteral("は数か「支払時間」にしてください（%1）").arg(reading.error));
    }
    return QJsonValue(*reading.value);
}

// "0 / 40", "2 /", "/ 40" or empty.
void Limits(const QString& who, const QString& cell, QJsonObject& shift) {
    if (cell.isEmpty()) {
        return;
    }
    const auto [least, most] = StepParts(cell);
    static const QRegularExpression slash(QStringLiteral("[/／]"));
    if (!cell.contains(slash)) {
        Refuse(who, TemplateColumn::Limits,
               QStringLiteral("は「0 / 40」（最少 / 最多の人数、空けると制限なし）の形にして"
                              "ください"));
    }
    const Range whole{0, 1e6, true};
    const struct {
        const QString& text;
        QLatin1String key;
        const char16_t* words;
    } limits[] = {{least, QLatin1String("min"), u"最少"}, {most, QLatin1String("max"), u"最多"}};
    for (const auto& limit : limits) {
        if (limit.text.isEmpty()) {
            continue;
        }
        const Reading reading = Read(limit.text, whole);
        if (!reading.value) {
            Refuse(who, TemplateColumn::Limits,
                   QStringLiteral("の%1: %2").arg(QString::fromUtf16(limit.words), reading.error));
        }
        shift[limit.key] = *reading.value;
    }
}

// "月火水木金", "月–金", "mon, tue" or empty for every day.
std::optional<QJsonArray> Days(const QString& who, const QString& cell) {
    if (cell.isEmpty()) {
        return std::nullopt;
    }
    std::set<int> days;
    static const QRegularExpression items(QStringLiteral("[\\s,、，・]+"));
    const auto weekday = [&](const QString& text) -> int {
        if (text.size() == 1 && kWeekdays.contains(text)) {
            return static_cast<int>(kWeekdays.indexOf(text));
        }
        const std::optional<int> day = shifts::ReadWeekday(text.toStdString());
        if (!day) {
            Refuse(
                who, TemplateColumn::Days,
                QStringLiteral("の「%1」は曜日ではありません（月火水木金、月–金、mon, tue など）")
                    .arg(text));
        }
        return *day;
    };
    for (const QString& item : cell.split(items, Qt::SkipEmptyParts)) {
        const QStringList ends = RangeParts(item);
        if (ends.size() == 2) {
            const int first = weekday(ends[0]);
            const int last = weekday(ends[1]);
            for (int day = first;; day = (day + 1) % 7) {
                days.insert(day);
                if (day == last) {
                    break;
                }
            }
        } else if (ends.size() == 1 && ends[0].size() > 1 &&
                   std::ranges::all_of(ends[0], [](QChar c) { return kWeekdays.contains(c); })) {
            for (const QChar c : ends[0]) {
                days.insert(static_cast<int>(kWeekdays.indexOf(c)));
            }
        } else if (ends.size() == 1) {
            days.insert(weekday(ends[0]));
        } else {
            Refuse(who, TemplateColumn::Days, QStringLiteral("の「%1」が読めません").arg(item));
        }
    }
    QJsonArray names;
    for (const int day : days) {
        names.append(QString::fromUtf8(shifts::WeekdayName(day).data()));
    }
    return names;
}

QJsonObject RowJson(const ShiftTemplateTable::Cells& cells, int row) {
    const auto cell = [&](TemplateColumn column) {
        return cells[static_cast<std::size_t>(column)].trimmed();
    };
    const QString name = cell(TemplateColumn::Name);
    const QString who = name.isEmpty() ? QStringLiteral("%1 行目").arg(row + 1) : name;
    if (name.isEmpty()) {
        Refuse(who, TemplateColumn::Name, QStringLiteral("がありません"));
    }
    QJsonObject shift{{QStringLiteral("name"), name},
                      {QStringLiteral("start"), Start(who, cell(TemplateColumn::Start))},
                      {QStringLiteral("length"), Length(who, cell(TemplateColumn::Length))}};
    if (const QJsonArray breaks = Breaks(who, cell(TemplateColumn::Breaks)); !breaks.isEmpty()) {
        shift[QStringLiteral("breaks")] = breaks;
    }
    if (const std::optional<QJsonValue> cost = Cost(who, cell(TemplateColumn::Cost))) {
        shift[QStringLiteral("cost")] = *cost;
    }
    Limits(who, cell(TemplateColumn::Limits), shift);
    if (const std::optional<QJsonArray> days = Days(who, cell(TemplateColumn::Days))) {
        shift[QStringLiteral("days")] = *days;
    }
    return shift;
}

QString JsonText(const QJsonArray& shifts) {
    return QString::fromUtf8(QJsonDocument(QJsonObject{{QStringLiteral("shifts"), shifts}})
                                 .toJson(QJsonDocument::Compact));
}

const char kName[] = "シフトのひな型";

QString Clock(const shifts::ShiftTemplate& shift, int minutes) {
    return QString::fromStdString(shift.weekClock ? shifts::WeekText(minutes)
                                                  : shifts::ClockText(minutes));
}

QString Duration(int minutes) {
    return QString::fromStdString(shifts::DurationText(minutes));
}

QString Number(double value) {
    return QString::number(value, 'g', 15);
}

} // namespace

ShiftTemplateTable::Cells TemplateCells(const shifts::ShiftTemplate& shift) {
    ShiftTemplateTable::Cells cells;
    const auto set = [&](TemplateColumn column, QString text) {
        cells[static_cast<std::size_t>(column)] = std::move(text);
    };
    set(TemplateColumn::Name, QString::fromStdString(shift.name));
    QString start = Clock(shift, shift.earliest);
    if (shift.latest != shift.earliest) {
        start += u'–' + Clock(shift, shift.latest);
    }
    if (shift.step > 0) {
        start += QStringLiteral(" / %1").arg(shift.step);
    }
    set(TemplateColumn::Start, start);
    QString length = Duration(shift.minLength);
    if (shift.lengthStep != 0) {
        length += u'–' + Duration(shift.maxLength);
        if (shift.lengthStep > 0) {
            length += QStringLiteral(" / %1").arg(shift.lengthStep);
        }
    }
    set(TemplateColumn::Length, length);
    QStringList breaks;
    for (const shifts::BreakRule& pause : shift.breaks) {
        breaks << QStringLiteral("%1分 %2–%3%4")
                      .arg(pause.length)
                      .arg(Duration(pause.after), Duration(pause.before),
                           pause.paid ? QString() : u' ' + kUnpaid);
    }
    set(TemplateColumn::Breaks, breaks.join(QStringLiteral("; ")));
    set(TemplateColumn::Cost, shift.cost ? Number(*shift.cost) : kPaidHours);
    if (shift.min > 0 || shift.max) {
        set(TemplateColumn::Limits, QStringLiteral("%1 / %2")
                                        .arg(shift.min)
                                        .arg(shift.max ? QString::number(*shift.max) : QString())
                                        .trimmed());
    }
    QString days;
    for (int day = 0; day < 7; ++day) {
        if (shift.days[static_cast<std::size_t>(day)]) {
            days += kWeekdays[day];
        }
    }
    set(TemplateColumn::Days, days.size() == 7 ? QString() : days);
    return cells;
}

ShiftTemplateTable::ShiftTemplateTable(QObject* parent)
    : QAbstractTableModel(parent) {
    readJson(DefaultShiftTemplates());
}

int ShiftTemplateTable::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

int ShiftTemplateTable::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : kTemplateColumns;
}

QVariant ShiftTemplateTable::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount()) {
        return {};
    }
    const auto row = static_cast<std::size_t>(index.row());
    if (role == Qt::DisplayRole || role == Qt::EditRole) {
        return rows_[row][static_cast<std::size_t>(index.column())];
    }
    if (role == Qt::ToolTipRole) {
        // The reason a row is refused, or the cell whole where it is cut.
        return errors_[row].isEmpty() ? rows_[row][static_cast<std::size_t>(index.column())]
                                      : errors_[row];
    }
    return {};
}

QVariant ShiftTemplateTable::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole) {
        return {};
    }
    if (orientation == Qt::Vertical) {
        return section + 1;
    }
    return section >= 0 && section < kTemplateColumns ? QString::fromUtf16(kHeadings[section])
                                                      : QVariant();
}

bool ShiftTemplateTable::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (!index.isValid() || role != Qt::EditRole || index.row() >= rowCount()) {
        return false;
    }
    rows_[static_cast<std::size_t>(index.row())][static_cast<std::size_t>(index.column())] =
        value.toString();
    check();
    emit dataChanged(this->index(0, 0), this->index(rowCount() - 1, kTemplateColumns - 1));
    return true;
}

Qt::ItemFlags ShiftTemplateTable::flags(const QModelIndex& index) const {
    return QAbstractTableModel::flags(index) | Qt::ItemIsEditable;
}

void ShiftTemplateTable::addRow(std::optional<int> like) {
    Cells cells;
    if (like && *like >= 0 && *like < rowCount()) {
        cells = rows_[static_cast<std::size_t>(*like)];
    } else if (!rows_.empty()) {
        cells = rows_.back();
    } else {
        cells =
            TemplateCells(shifts::ReadTemplates(DefaultShiftTemplates().toStdString(), kName)[0]);
    }
    // A name of its own, so that the row reads as it is.
    std::set<QString> names;
    for (const Cells& row : rows_) {
        names.insert(row[0].trimmed());
    }
    const QString base =
        cells[0].trimmed().isEmpty() ? QStringLiteral("シフト") : cells[0].trimmed();
    for (int n = 2; names.contains(cells[0].trimmed()); ++n) {
        cells[0] = QStringLiteral("%1 %2").arg(base).arg(n);
    }
    beginInsertRows({}, rowCount(), rowCount());
    rows_.push_back(cells);
    check();
    endInsertRows();
}

void ShiftTemplateTable::removeTemplate(int row) {
    if (row < 0 || row >= rowCount()) {
        return;
    }
    beginRemoveRows({}, row, row);
    rows_.erase(rows_.begin() + row);
    check();
    endRemoveRows();
}

void ShiftTemplateTable::setRows(std::vector<Cells> rows) {
    beginResetModel();
    rows_ = std::move(rows);
    check();
    endResetModel();
}

void ShiftTemplateTable::check() {
    errors_.assign(rows_.size(), QString());
    std::map<QString, int> names; // rows by name, as the room trims it
    for (const Cells& cells : rows_) {
        ++names[cells[0].trimmed()];
    }
    for (std::size_t row = 0; row < rows_.size(); ++row) {
        try {
            const QJsonObject shift = RowJson(rows_[row], static_cast<int>(row));
            shifts::ReadTemplates(JsonText(QJsonArray{shift}).toStdString(), kName);
            const QString name = shift[QStringLiteral("name")].toString();
            if (names[name] > 1) {
                errors_[row] = QStringLiteral("%1: 名前がほかの行と同じです。ひな型ごとに別の名前"
                                              "にしてください")
                                   .arg(name);
            }
        } catch (const CellError& error) {
            errors_[row] = error.text;
        } catch (const std::exception& error) {
            errors_[row] = ShiftErrorText(error);
        }
    }
}

QString ShiftTemplateTable::rowError(int row) const {
    // Asked by a view painting, where a row past the end would end the program.
    return row >= 0 && row < rowCount() ? errors_[static_cast<std::size_t>(row)] : QString();
}

QString ShiftTemplateTable::error() const {
    if (rows_.empty()) {
        return QStringLiteral("シフトのひな型がありません。「追加」で加えてください。");
    }
    for (const QString& error : errors_) {
        if (!error.isEmpty()) {
            return error;
        }
    }
    // The rows read one by one; the room reads them once more together.
    try {
        shifts::ReadTemplates(json().toStdString(), kName);
    } catch (const std::exception& error) {
        return ShiftErrorText(error);
    }
    return {};
}

QString ShiftTemplateTable::json() const {
    QJsonArray shifts;
    for (std::size_t row = 0; row < rows_.size(); ++row) {
        try {
            shifts.append(RowJson(rows_[row], static_cast<int>(row)));
        } catch (const CellError&) {
            // Left out: such a table says so by error(), and is never solved.
        }
    }
    return JsonText(shifts);
}

std::optional<QString> ShiftTemplateTable::readJson(const QString& json) {
    std::vector<shifts::ShiftTemplate> read;
    try {
        read = shifts::ReadTemplates(json.toStdString(), kName);
    } catch (const std::exception& error) {
        return ShiftErrorText(error);
    }
    std::vector<Cells> rows;
    for (const shifts::ShiftTemplate& shift : read) {
        rows.push_back(TemplateCells(shift));
    }
    setRows(std::move(rows));
    return std::nullopt;
}

QString ShiftTemplateTable::cellsText() const {
    QJsonArray rows;
    for (const Cells& cells : rows_) {
        QJsonArray row;
        for (const QString& cell : cells) {
            row.append(cell);
        }
        rows.append(row);
    }
    return QString::fromUtf8(QJsonDocument(rows).toJson(QJsonDocument::Compact));
}

bool ShiftTemplateTable::readCellsText(const QString& text) {
    const QJsonDocument document = QJsonDocument::fromJson(text.toUtf8());
    if (!document.isArray()) {
        return false;
    }
    std::vector<Cells> rows;
    for (const QJsonValue& row : document.array()) {
        if (!row.isArray() || row.toArray().size() != kTemplateColumns) {
            return false;
        }
        Cells cells;
        for (int column = 0; column < kTemplateColumns; ++column) {
            const QJsonValue cell = row.toArray()[column];
            if (!cell.isString()) {
                return false;
            }
            cells[static_cast<std::size_t>(column)] = cell.toString();
        }
        rows.push_back(cells);
    }
    setRows(std::move(rows));
    return true;
}

} // namespace tables
