// Times what the tables window promises at a million rows: the CSV export of
// rows 1 to LAST (default 1,000,000) over the seven default columns, the
// engine's share of it, and a scroll of the table view to its last row; and
// first a day of 96 quarter-hours staffed by Erlang A, as the call-centre tab
// staffs it, for a small centre and one a hundred times larger, and a day's
// row by each model beside what the tab estimates (DayCost).
// usage: bench_tables [LAST [STEP]]     QT_QPA_PLATFORM=offscreen for no screen
#include "tables/models/csv_export.h"
#include "tables/models/day_staffing.h"
#include "tables/models/erlang_table.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QHeaderView>
#include <QTableView>
#include <QTemporaryDir>

#include <sys/resource.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

double CpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const auto seconds = [](timeval t) { return static_cast<double>(t.tv_sec) + t.tv_usec / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

} // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    tables::TableSetup setup;
    setup.last = argc > 1 ? std::atof(argv[1]) : 1e6;
    setup.step = argc > 2 ? std::atof(argv[2]) : 1;

    QElapsedTimer wall;
    for (int scale : {1, 100}) {
        tables::Volumes volumes;
        for (int i = 0; i < 96; ++i) { // a morning and an afternoon peak
            const int calls = scale * (20 + 5 * std::min(i % 48, 48 - i % 48));
            volumes.rows.push_back({QString::number(i), QString::number(calls), calls, {}, {}, {}});
        }
        tables::StaffingInputs in;
        in.intervalMinutes = 15;
        in.patienceSeconds = 300;
        in.shrinkage = 0.3;
        in.maxOccupancy = 0.85;
        qint64 best = -1;
        qint64 peak = 0;
        for (int run = 0; run < 5; ++run) {
            wall.start();
            const tables::Day day = tables::StaffDay(volumes, in);
            const qint64 took = wall.nsecsElapsed();
            best = best < 0 ? took : std::min(best, took);
            peak =
                day.peak < 0 ? -1 : day.rows[static_cast<std::size_t>(day.peak)].staffing.scheduled;
        }
        std::printf("a day of 96 quarter-hours by Erlang A, %lld agents at the peak: %.2f ms "
                    "(best of 5)\n",
                    static_cast<long long>(peak), static_cast<double>(best) / 1e6);
    }
    // A row of a day by each model, against what DayCost takes it for: the
    // window staffs a day off its thread from 100 ms of it.
    {
        tables::Volumes volumes;
        for (int i = 0; i < 48; ++i) {
            const int calls = 40 + 10 * std::min(i, 48 - i);
            volumes.rows.push_back({QString::number(i), QString::number(calls), calls, {}, {}, {}});
        }
        struct Model {
            const char* name;
            tables::StaffingInputs in;
        };
        std::vector<Model> models(4);
        models[0].name = "Erlang C";
        models[1].name = "Erlang A";
        models[1].in.patienceSeconds = 300;
        models[2].name = "Erlang X, lines and redials";
        models[2].in.patienceSeconds = 300;
        models[2].in.lines = 400;
        models[2].in.redial = 0.5;
        models[3].name = "Erlang X over a forecast's spread";
        models[3].in.patienceSeconds = 300;
        models[3].in.calls = 200;
        models[3].in.callsVariance = 400;
        for (const Model& model : models) {
            qint64 best = -1;
            for (int run = 0; run < 3; ++run) {
                wall.start();
                tables::StaffDay(volumes, model.in);
                const qint64 took = wall.nsecsElapsed();
                best = best < 0 ? took : std::min(best, took);
            }
            std::printf("a day's row by %s: %.0f us (DayCost: %.0f us)\n", model.name,
                        static_cast<double>(best) / 1e3 / 48,
                        tables::DayCost(volumes, model.in) / 48);
        }
    }
    QTemporaryDir dir;
    const double cpu0 = CpuSeconds();
    wall.start();
    tables::ExportCsv(setup, dir.filePath(QStringLiteral("t.csv")));
    const double exportWall = static_cast<double>(wall.elapsed()) / 1000;
    const double exportCpu = CpuSeconds() - cpu0;
    std::printf("export of %lld rows x %zu columns: %.1f s wall, %.1f s CPU, %lld bytes\n",
                static_cast<long long>(setup.rowCount()), setup.targets.size(), exportWall,
                exportCpu, static_cast<long long>(QFileInfo(dir.filePath("t.csv")).size()));

    // The engine alone on one row in 100, on one thread, scaled up.
    const double cpu1 = CpuSeconds();
    double sink = 0;
    for (qint64 row = 0; row < setup.rowCount(); row += 100) {
        for (int column = 0; column < static_cast<int>(setup.targets.size()); ++column) {
            sink += setup.cell(row, column);
        }
    }
    const double engineCpu = (CpuSeconds() - cpu1) * 100;
    std::printf("engine cells alone: %.1f s CPU (from 1 row in 100), %.0f %% of the export's "
                "CPU (%g)\n",
                engineCpu, 100 * engineCpu / exportCpu, sink > 0 ? 1.0 : 0.0);

    // Formatting and writing alone, the cells stood in for by their row value.
    wall.restart();
    QFile file(dir.filePath(QStringLiteral("f.csv")));
    file.open(QIODevice::WriteOnly);
    std::string text;
    for (qint64 row = 0; row < setup.rowCount(); ++row) {
        tables::AppendRowHeading(text, setup.rowValue(row));
        for (std::size_t column = 0; column < setup.targets.size(); ++column) {
            text += ',';
            tables::AppendCell(text, setup, setup.rowValue(row) * 0.987654321);
        }
        text += "\r\n";
        if (text.size() > (1 << 20)) {
            file.write(text.data(), static_cast<qint64>(text.size()));
            text.clear();
        }
    }
    file.write(text.data(), static_cast<qint64>(text.size()));
    file.close();
    std::printf("formatting and writing alone, one thread: %.2f s\n",
                static_cast<double>(wall.elapsed()) / 1000);

    tables::ErlangTableModel model;
    model.setSetup(setup);
    QTableView view;
    view.setModel(&model);
    view.verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    view.resize(800, 600);
    view.show();
    QApplication::processEvents();
    wall.restart();
    view.scrollToBottom();
    view.grab(); // paints the rows now in view
    std::printf("scroll to the last of %d rows and paint: %lld ms\n", model.rowCount(),
                static_cast<long long>(wall.elapsed()));
    return 0;
}
