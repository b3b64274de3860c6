// The icon of every row of a 100,000-row listing of mixed names (a dozen kinds of file, one
// name in ten without a dot): the lists' kept lookups (FileIcons, a fresh one each round, so
// its first lookups count) against the MIME database asked per row with the icon made from
// the theme each time (the plain way), in one run.
#include <QApplication>
#include <QElapsedTimer>
#include <QMimeDatabase>
#include <cstdio>
#include <vector>

#include "../bench_timing.h"
#include "../window_bench_main.h"
#include "ui/file_icons.h"
#include "ui/theme_icons.h"

namespace {

constexpr int kRows = 100000;
constexpr int kRounds = 3;

QStringList makeNames() {
    const char* const kinds[] = {".txt",  ".png", ".jpg", ".tar.gz", ".pdf", ".mp3",
                                 ".html", ".sh",  ".odt", ".cpp",    ".zip", ".unknownkind"};
    QStringList names;
    for (int i = 0; i < kRows; ++i)
        names << (i % 10 == 9
                      ? QStringLiteral("README%1").arg(i)
                      : QStringLiteral("file%1%2").arg(i).arg(QLatin1String(kinds[i % 12])));
    return names;
}

double keptMs(const QStringList& names) {
    QElapsedTimer clock;
    clock.start();
    quay::FileIcons icons;
    for (const QString& name : names)
        icons.forFileName(name);
    return static_cast<double>(clock.nsecsElapsed()) / 1e6;
}

double perRowMs(const QStringList& names) {
    QElapsedTimer clock;
    clock.start();
    QMimeDatabase mimeTypes;
    for (const QString& name : names) {
        const QMimeType type = mimeTypes.mimeTypeForFile(name, QMimeDatabase::MatchExtension);
        QIcon::fromTheme(type.iconName(), quay::themeIcon(type.genericIconName()));
    }
    return static_cast<double>(clock.nsecsElapsed()) / 1e6;
}

// Both ways, kRounds rounds each, and the medians with their ratio.
int runBench(int, char**) {
    const QStringList names = makeNames();
    std::vector<double> ours, peer;
    for (int i = 0; i < kRounds; ++i) {
        ours.push_back(keptMs(names));
        peer.push_back(perRowMs(names));
    }
    const double a = quay::bench::median(ours), b = quay::bench::median(peer);
    std::printf("file icons, kept lookups  %8.1f ms for %d rows (median of %d)\n", a, kRows,
                kRounds);
    std::printf("per-row MIME+theme (peer) %8.1f ms\n", b);
    std::printf("ratio kept/peer: %.2f\n", a / b);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    quay::bench::drawOffscreenUnlessChosen();
    return quay::bench::runWindowBench(argc, argv, "bench_ui_file_icons", runBench);
}
