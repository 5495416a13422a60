// シフト作成's table of templates and the room's refusals in the window's
// words, without a screen: the table turns into the room's JSON and back
// without a field changed, refuses a bad cell on its row naming the template
// and the field, and every form of refusal the room has comes out Japanese.
#include "shifts/error.h"
#include "shifts/options.h"
#include "shifts/schedule.h"
#include "support/print_qt.h"
#include "tables/models/shift_error.h"
#include "tables/models/shift_templates.h"

#include <gtest/gtest.h>

#include <QRegularExpression>

namespace {

using S = QString;
using namespace tables;
using Column = TemplateColumn;

// The issue's own templates, a week clock, an unpaid break and a cost among them.
const S kRoomJson = S(R"({"shifts": [
 {"name": "early", "start": {"earliest": "06:00", "latest": "09:00", "step": 15},
  "length": "8:30", "cost": 8,
  "breaks": [{"length": 15, "after": "1:30", "before": "3:00"},
             {"length": 30, "after": "3:30", "before": "5:30", "paid": false},
             {"length": 15, "after": "5:30", "before": "7:30"}],
  "min": 2, "max": 40, "days": ["mon", "tue", "wed", "thu", "fri"]},
 {"name": "part", "start": {"earliest": "10:00", "latest": "17:00", "step": 30},
  "length": {"min": "4:00", "max": "6:00", "step": 30}, "cost": "paid-hours"},
 {"name": "night", "start": {"earliest": "sat 22:00", "latest": "sun 02:00"},
  "length": {"min": "6:00", "max": "7:00"}, "max": 3}]})");

std::vector<shifts::ShiftTemplate> Read(const S& json) {
    return shifts::ReadTemplates(json.toStdString(), "t");
}

void ExpectSame(const shifts::ShiftTemplate& a, const shifts::ShiftTemplate& b) {
    EXPECT_EQ(a.name, b.name);
    EXPECT_EQ(std::tie(a.earliest, a.latest, a.step, a.weekClock),
              std::tie(b.earliest, b.latest, b.step, b.weekClock))
        << a.name;
    EXPECT_EQ(std::tie(a.minLength, a.maxLength, a.lengthStep),
              std::tie(b.minLength, b.maxLength, b.lengthStep))
        << a.name;
    EXPECT_EQ(std::tie(a.cost, a.min, a.max, a.days), std::tie(b.cost, b.min, b.max, b.days))
        << a.name;
    ASSERT_EQ(a.breaks.size(), b.breaks.size()) << a.name;
    for (std::size_t k = 0; k < a.breaks.size(); ++k) {
        const auto& x = a.breaks[k];
        const auto& y = b.breaks[k];
        EXPECT_EQ(std::tie(x.length, x.after, x.before, x.paid),
                  std::tie(y.length, y.after, y.before, y.paid))
            << a.name << " break " << k;
    }
}

// From the room's JSON into cells and back, every field as the room read it.
TEST(ShiftTemplateTable, TheRoomsJsonComesBackUnchanged) {
    ShiftTemplateTable table;
    ASSERT_EQ(table.readJson(kRoomJson), std::nullopt);
    ASSERT_EQ(table.error(), S());
    EXPECT_EQ(table.rows()[0][static_cast<int>(Column::Breaks)],
              S("15分 1:30–3:00; 30分 3:30–5:30 無給; 15分 5:30–7:30"));
    const auto direct = Read(kRoomJson);
    const auto through = Read(table.json());
    ASSERT_EQ(through.size(), direct.size());
    for (std::size_t i = 0; i < direct.size(); ++i) {
        ExpectSame(through[i], direct[i]);
    }
    // And from the cells as kept in the settings.
    ShiftTemplateTable again;
    ASSERT_TRUE(again.readCellsText(table.cellsText()));
    EXPECT_EQ(again.json(), table.json());
}

// Cells as planners type them, full-width and Japanese forms among them.
TEST(ShiftTemplateTable, TypedFormsReadAsTheRoomsFields) {
    ShiftTemplateTable table;
    table.setRows(
        {{S("遅番"), S("13:00〜15:00／30"), S("480"), S("60分 3:00-5:00 無給"), S("7.5"), S("/ 12"),
          S("月–水, 土")},
         {S("短時間"), S("mon 09:00"), S("4:00 – 5:00"), S(""), S("支払時間"), S("1 /"), S("")}});
    ASSERT_EQ(table.error(), S());
    const auto read = Read(table.json());
    ASSERT_EQ(read.size(), 2U);
    EXPECT_EQ(std::tie(read[0].earliest, read[0].latest, read[0].step), std::tuple(780, 900, 30));
    EXPECT_EQ(std::tie(read[0].minLength, read[0].maxLength), std::tuple(480, 480));
    EXPECT_EQ(read[0].breaks.size(), 1U);
    EXPECT_FALSE(read[0].breaks[0].paid);
    EXPECT_EQ(read[0].cost, 7.5);
    EXPECT_EQ(std::tie(read[0].min, read[0].max), std::tuple(0, std::optional(12)));
    EXPECT_EQ(read[0].days, (std::array{true, true, true, false, false, true, false}));
    EXPECT_TRUE(read[1].weekClock);
    EXPECT_EQ(read[1].lengthStep, shifts::ShiftTemplate::kEveryPeriod);
    EXPECT_EQ(std::tie(read[1].cost, read[1].min, read[1].max),
              std::tuple(std::nullopt, 1, std::nullopt));
}

// A bad cell marks its own row, naming the template and the field, in
// Japanese, whether the cell's form or the room refused it; the good rows stay.
TEST(ShiftTemplateTable, ABadCellIsRefusedOnItsRowNamingTheField) {
    const struct {
        const char* behaviour;
        Column column;
        S text;
        S says;
        bool otherRowToo = false;
    } cases[] = {
        {"a break longer than its window", Column::Breaks, S("15分 1:30–3:00; 45分 3:30–4:00"),
         S("早番: 休憩 2 が枠より長い")},
        {"a break with no room after the one before", Column::Breaks,
         S("15分 1:00–2:00; 60分 1:00–2:00"), S("早番: 休憩 2 が長さ 8:00 のシフトに、前の休憩")},
        {"a break not in its form", Column::Breaks, S("15分"), S("早番: 休憩 1 は「15分")},
        {"a start not a clock", Column::Start, S("9時–10時"), S("早番: 開始の最早は HH:MM")},
        {"a start of three times", Column::Start, S("6:00–7:00–8:00"), S("早番: 開始は「")},
        {"an empty length range", Column::Length, S("5:00–4:00"),
         S("早番: 長さの最短 5:00 が最長 4:00 を超えています")},
        {"a cost of nothing", Column::Cost, S("0"), S("早番: コストは数か「支払時間」")},
        {"a max below the min", Column::Limits, S("5 / 2"), S("早番: 最多は最少 5 以上")},
        {"a limit not whole", Column::Limits, S("1.5 / 3"), S("早番: 最少 / 最多の最少")},
        {"a weekday misspelt", Column::Days, S("月火x"), S("早番: 曜日の「月火x」は曜日では")},
        {"no name", Column::Name, S(" "), S("1 行目: 名前がありません")},
        {"a name twice, both rows", Column::Name, S(" 遅番"), S("遅番: 名前がほかの行と同じ"),
         true},
    };
    for (const auto& c : cases) {
        ShiftTemplateTable table;
        table.setRows(
            {{S("早番"), S("06:00–09:00"), S("8:00"), S("15分 1:30–3:00"), S(""), S(""), S("")},
             {S("遅番"), S("12:00"), S("8:00"), S(""), S(""), S(""), S("")}});
        ASSERT_EQ(table.error(), S()) << c.behaviour;
        table.setData(table.index(0, static_cast<int>(c.column)), c.text, Qt::EditRole);
        EXPECT_TRUE(table.rowError(0).startsWith(c.says))
            << c.behaviour << ": " << table.rowError(0);
        EXPECT_EQ(table.rowError(1).isEmpty(), !c.otherRowToo) << c.behaviour;
        EXPECT_EQ(table.error(), table.rowError(0)) << c.behaviour;
        EXPECT_EQ(table.rows()[0][static_cast<int>(c.column)], c.text) << c.behaviour;
    }
}

// Every form of refusal the room has, as it throws it, comes out in
// Japanese with the template and the field named; one of no form known
// stays the room's own English, not hidden.
TEST(ShiftErrorText, TheRoomsRefusalsInJapanese) {
    const auto templateError = [](const char* json) -> S {
        try {
            shifts::ReadTemplates(json, "シフトのひな型");
        } catch (const std::exception& error) {
            return ShiftErrorText(error);
        }
        return S("(none)");
    };
    const struct {
        const char* json;
        S says;
    } templates[] = {
        {R"([{"name": "a", "start": {"earliest": "06:00"}}])", S("a: 長さがありません")},
        {R"([{"name": "a", "start": {"earliest": "06:00"}, "length": 60,
              "breaks": [{"length": 30, "after": 45, "before": 120}]}])",
         S("a: 休憩 1 が長さ 1:00 のシフトに収まりません（終わりが 1:15 になります）")},
        {R"([{"name": "a", "start": {"earliest": "06:00"}, "length": "8:00", "lenght": 1}])",
         S("1 番目のひな型: 「lenght」は、ここでは使えない項目です")},
        {R"([{"name": "a", "start": {"earliest": "mon 06:00", "latest": "07:00"}, "length": 60}])",
         S("a: 開始の最早と最遅は")},
        {R"([{"name": "a", "start": {"earliest": "06:00", "step": 0}, "length": 60}])",
         S("a: 開始の刻みは 0 より大きく")},
        {R"([{"name": "a", "start": {"earliest": "06:00"}, "length": 60, "days": ["mon"],
              "breaks": [{"length": 60, "after": 0, "before": 60, "paid": false}]}])",
         S("a: コストは支払時間ですが")},
        {R"([{"name": "a", "start": {"earliest": "mon 06:00"}, "length": 60, "days": ["mon"]}])",
         S("a: 曜日は、週の中の開始枠")},
        {R"([{"name": "a", "start": {"earliest": "06:00"}, "length": 60, "days": ["x"]}])",
         S("a: 曜日 1 は曜日ではありません")},
        {R"([{"start": {"earliest": "06:00"}, "length": 60}])",
         S("1 番目のひな型: 名前がありません")},
        {R"([{"name": "a", "start": {"earliest": "06:00"}, "length": 60},
             {"name": "a", "start": {"earliest": "07:00"}, "length": 60}])",
         S("「a」という名前のひな型が 2 つあります")},
        {R"({"shift": []})", S("「shift」は、ここでは使えない項目です")},
        {"[{", S("JSON として読めません")},
    };
    for (const auto& c : templates) {
        const S text = templateError(c.json);
        EXPECT_TRUE(text.startsWith(c.says)) << c.json << "\n -> " << text;
    }

    // The solve's: an option the objective needs, one out of its range, a
    // cycle of part of a day, and a message of no form known.
    shifts::Settings settings;
    settings.objective = shifts::Objective::Service;
    settings.serviceLevel = 0.8;
    const auto settingsError = [](const shifts::Settings& given) -> S {
        try {
            shifts::CheckSettings(given);
        } catch (const std::exception& error) {
            return ShiftErrorText(error);
        }
        return S("(none)");
    };
    EXPECT_EQ(settingsError(settings),
              S("目的「サービスレベルを満たす」には平均処理時間が要ります"));
    settings = {};
    settings.timeLimit = 0;
    EXPECT_TRUE(settingsError(settings).startsWith(S("計算できません: 時間制限 (秒)が 0 になり")))
        << settingsError(settings);
    try {
        settings.cyclic = true;
        shifts::RequirementsFrom(std::vector<std::string>{"09:00", "09:30"},
                                 std::vector<double>{1, 2}, settings.Source("1日"));
        ADD_FAILURE() << "a cycle of an hour";
    } catch (const std::exception& error) {
        EXPECT_EQ(ShiftErrorText(error),
                  S("日をまたいで繰り返すには、1 日全体の 48 区間（30 分ずつ）"
                    "が要ります。この 1 日は 2 区間です"));
    }
    // A period with calls that no shift reaches, under service.
    shifts::Problem problem;
    problem.settings.objective = shifts::Objective::Service;
    problem.settings.serviceLevel = 0.8;
    problem.settings.centre.aht = 180;
    problem.settings.centre.targetTime = 20;
    problem.requirements =
        shifts::RequirementsFrom(std::vector<std::string>{"09:00", "09:30"},
                                 std::vector<double>{50, 50}, problem.settings.Source("1日"));
    problem.templates = Read(S(R"([{"name": "a", "start": {"earliest": "09:30"}, "length": 30}])"));
    try {
        shifts::Solve(problem);
        ADD_FAILURE() << "09:00 unreached";
    } catch (const std::exception& error) {
        EXPECT_TRUE(ShiftErrorText(error).startsWith(S("09:00 に電話に出られるシフトがありません")))
            << ShiftErrorText(error);
    }
    EXPECT_EQ(
        ShiftErrorText(shifts::NoSchedule("the solve was stopped before any schedule was found")),
        S("シフトが見つかる前に中止しました。"));
    EXPECT_EQ(ShiftErrorText(shifts::InputError("something new")), S("something new"));
}

} // namespace
