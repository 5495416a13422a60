// Overflow to a final group: a few first-choice (high-usage) groups each pass
// the calls they block on to one final group. What overflows is peaked (its
// variance above its mean), so a final group sized by Erlang B on the mean
// alone blocks more than its target; the equivalent random method (ERT) and
// Hayward's approximation size it for the mean and the variance together.
//
// FirstChoiceModel is the list of groups as typed, each cell read against its
// range, with each group's overflow and their sum; while any cell is blank or
// bad it computes nothing. SizeFinalGroup sizes the final group for a blocking
// target, and FinalGroupModel shows its blocking over the line counts around
// the answers.
#pragma once

#include "teletraffic/overflow.h"

#include <QAbstractTableModel>
#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

namespace tables {

inline constexpr int kMaxGroups = 20;

// Roles beside Qt's: the reason a cell will not read (a QString, absent when
// it reads), and whether a cell is one of the answers (a bool).
inline constexpr int kErrorRole = Qt::UserRole + 1;
inline constexpr int kAnswerRole = Qt::UserRole + 2;

struct GroupText {
    QString traffic; // erlangs offered
    QString lines;   // the group's lines, whole
};

// The groups as a flat list, traffic then lines, for the settings; a list
// of odd length leaves the last group's lines blank.
QStringList GroupsToList(const std::vector<GroupText>& groups);
std::vector<GroupText> GroupsFromList(const QStringList& list);

class FirstChoiceModel : public QAbstractTableModel {
    Q_OBJECT

public:
    enum Column { kTraffic, kLines, kMean, kVariance, kPeakedness, kColumns };

    explicit FirstChoiceModel(QObject* parent = nullptr);

    // A row per group, then a row for their sum.
    int groupCount() const { return static_cast<int>(groups_.size()); }
    const std::vector<GroupText>& groups() const { return groups_; }
    void setGroups(std::vector<GroupText> groups);
    // Adds an empty group at the end; false when there are kMaxGroups.
    bool addGroup();
    // Removes the groups at `rows` (the sum's row and unknown rows ignored);
    // one group always stays.
    void removeGroups(std::vector<int> rows);

    // The summed overflow, or nothing while a cell is blank or bad.
    const std::optional<teletraffic::Overflow>& total() const { return total_; }
    // The first cell that will not read, as "2 行目の回線数: ...", or empty.
    const QString& problem() const { return problem_; }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    // Reads every cell and, if all read, computes every overflow and the sum.
    void recompute();

    std::vector<GroupText> groups_;
    std::vector<QString> trafficErrors_;
    std::vector<QString> linesErrors_;
    std::vector<teletraffic::Overflow> overflows_; // empty unless every cell reads
    std::optional<teletraffic::Overflow> total_;
    QString problem_;
};

// One way of sizing the final group: the lines, or why there is no answer.
struct Sizing {
    std::optional<double> lines;
    QString error;
};

struct FinalGroup {
    teletraffic::Overflow offered; // the summed overflow
    double target = 0.01;          // blocking of the overflow stream
    Sizing ert;                    // by the equivalent random method
    Sizing hayward;                // by Hayward's approximation
    Sizing meanOnly;               // by Erlang B on the mean, the variance ignored
    // What the mean-only count really blocks, by ERT; NaN without one.
    double meanOnlyBlocking = 0;
};

// `target` in the engine's range of blocking targets; never throws.
FinalGroup SizeFinalGroup(const teletraffic::Overflow& offered, double target);

// Lines, then the blocking of the overflow stream by ERT, by Hayward and by
// Erlang B on the mean; NaN where the engine gives no answer.
struct FinalRow {
    double lines;
    double ert;
    double hayward;
    double meanOnly;
};

// The line counts from a few below the smallest answer to a few above the
// largest, every one near an answer and some forty between; none without an
// answer.
std::vector<FinalRow> FinalRows(const FinalGroup& group);

class FinalGroupModel : public QAbstractTableModel {
    Q_OBJECT

public:
    enum Column { kLines, kErt, kHayward, kMeanOnly, kColumns };

    explicit FinalGroupModel(QObject* parent = nullptr);

    const FinalGroup& group() const { return group_; }
    void setGroup(FinalGroup group);
    void clear();

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    FinalGroup group_;
    std::vector<FinalRow> rows_;
};

} // namespace tables
