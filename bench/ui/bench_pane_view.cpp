// 100,000 rows loaded into a shown report list: the pane model through its Qt adapter (one
// reset) against a QStandardItemModel filled row by row (the usual Qt way), in one run.
#include <QApplication>
#include <QElapsedTimer>
#include <QStandardItemModel>
#include <QTreeView>
#include <cstdio>
#include <vector>

#include "../bench_timing.h"
#include "../window_bench_main.h"
#include "ui/pane_view.h"

namespace {

constexpr int kRows = 100000;
constexpr int kRounds = 3;

std::vector<quay::PaneItem> makeRows() {
    std::vector<quay::PaneItem> rows(kRows);
    char name[32];
    for (int i = 0; i < kRows; ++i) {
        std::snprintf(name, sizeof name, "file%06d.txt", i);
        rows[static_cast<std::size_t>(i)] = {
            name, 2, {std::to_string(i * 37), "01.02.2024", "12:34", "-rw-r--r--"}, false, {}};
    }
    return rows;
}

const QList<quay::PaneColumn> kColumns = {{"Dateiname", 140},
                                          {"Größe", 65, Qt::AlignRight},
                                          {"Datum ", 55, Qt::AlignHCenter},
                                          {"Zeit", 40, Qt::AlignHCenter},
                                          {"Datei-Attribute", 180}};

double paneModelMs(const std::vector<quay::PaneItem>& rows) {
    quay::PaneModel pane;
    pane.setViewStyle(quay::ViewStyle::vsReport);
    quay::PaneView view(pane, kColumns);
    view.resize(600, 400);
    view.show();
    QApplication::processEvents();
    QElapsedTimer clock;
    clock.start();
    pane.assign(rows);
    QApplication::processEvents();
    return static_cast<double>(clock.nsecsElapsed()) / 1e6;
}

double standardModelMs(const std::vector<quay::PaneItem>& rows) {
    QStandardItemModel model(0, 5);
    QTreeView view;
    view.setModel(&model);
    view.resize(600, 400);
    view.show();
    QApplication::processEvents();
    QElapsedTimer clock;
    clock.start();
    for (const quay::PaneItem& row : rows) {
        QList<QStandardItem*> cells{new QStandardItem(QString::fromStdString(row.caption))};
        for (const std::string& text : row.subItems)
            cells.append(new QStandardItem(QString::fromStdString(text)));
        model.appendRow(cells);
    }
    QApplication::processEvents();
    return static_cast<double>(clock.nsecsElapsed()) / 1e6;
}

// Both ways, kRounds rounds each, and the medians with their ratio.
int runBench(int, char**) {
    const std::vector<quay::PaneItem> rows = makeRows();
    std::vector<double> ours, peer;
    for (int i = 0; i < kRounds; ++i) {
        ours.push_back(paneModelMs(rows));
        peer.push_back(standardModelMs(rows));
    }
    const double a = quay::bench::median(ours), b = quay::bench::median(peer);
    std::printf("pane model + adapter      %8.1f ms for %d rows (median of %d)\n", a, kRows,
                kRounds);
    std::printf("QStandardItemModel (peer) %8.1f ms\n", b);
    std::printf("ratio pane/peer: %.2f\n", a / b);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    quay::bench::drawOffscreenUnlessChosen();
    return quay::bench::runWindowBench(argc, argv, "bench_ui_pane_view", runBench);
}
