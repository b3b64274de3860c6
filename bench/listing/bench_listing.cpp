#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "listing/list_line_parser.h"
#include "listing/remote_pane.h"
#include "panes/list_order.h"

namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono;

constexpr year_month_day kToday{year{2026}, December, day{6}};

double cpuMillis() {
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) * 1e3 + static_cast<double>(now.tv_nsec) / 1e6;
}

// Wall-clock and processor milliseconds of a piece of work.
struct Millis {
    double wall = 1e18;
    double cpu = 1e18;
};

// The best of several runs, so that a busy shared machine skews less; the processor time
// shows what the work costs when other processes take turns on the cores.
Millis bestMillis(const std::function<void()>& work, int runs) {
    Millis best;
    for (int run = 0; run < runs; ++run) {
        auto start = Clock::now();
        double cpuStart = cpuMillis();
        work();
        best.cpu = std::min(best.cpu, cpuMillis() - cpuStart);
        best.wall = std::min(best.wall, duration<double, std::milli>(Clock::now() - start).count());
    }
    return best;
}

void report(const char* what, const char* peerName, Millis ours, Millis peer) {
    std::printf("%-32s ours %7.1f ms (cpu %7.1f)  %s %7.1f ms (cpu %7.1f)  ratio %.2f\n", what,
                ours.wall, ours.cpu, peerName, peer.wall, peer.cpu, ours.cpu / peer.cpu);
}

// count lines, each written into a buffer by write from the next number of a fixed
// pseudo-random sequence and the line's index.
using LineWriter =
    std::function<void(char* buffer, std::size_t size, std::uint32_t seed, std::size_t n)>;
std::vector<std::string> generatedLines(std::size_t count, std::uint32_t seed,
                                        const LineWriter& write) {
    std::vector<std::string> lines;
    lines.reserve(count);
    char buffer[200];
    for (std::size_t n = 0; n < count; ++n) {
        seed = seed * 1103515245u + 12345u;
        write(buffer, sizeof buffer, seed, n);
        lines.emplace_back(buffer);
    }
    return lines;
}

// Lines as Unix servers write them: a mix of files and directories, recent and old dates,
// sizes up to 10^10, names with and without blanks.
std::vector<std::string> unixLines(std::size_t count) {
    static const char* const kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                          "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    return generatedLines(
        count, 2026, [](char* buffer, std::size_t size, std::uint32_t seed, std::size_t) {
            bool dir = seed % 7 == 0;
            char yearOrTime[8];
            if (seed % 3 == 0)
                std::snprintf(yearOrTime, sizeof yearOrTime, "%02u:%02u", seed % 24,
                              seed / 24 % 60);
            else
                std::snprintf(yearOrTime, sizeof yearOrTime, " %u", 1995 + seed % 30);
            std::snprintf(buffer, size, "%s    1 ftpuser  ftpgroup %12llu %s %2u %5s %s%u%s",
                          dir ? "drwxr-xr-x" : "-rw-r--r--",
                          static_cast<unsigned long long>(seed) * (seed % 3 + 1),
                          kMonths[seed / 7 % 12], seed / 13 % 28 + 1, yearOrTime,
                          seed % 5 == 0 ? "report " : "file", seed % 100000,
                          dir ? "" : (seed % 2 ? ".txt" : ".tar.gz"));
        });
}

// The date and size of a generated line, picked by the next number of the sequence.
struct LineParts {
    unsigned month;  // 0 to 11
    unsigned day;
    unsigned year;
    unsigned hour;
    unsigned minute;
    unsigned long long bytes;
};

LineParts lineParts(std::uint32_t seed) {
    return {seed / 7 % 12, seed / 13 % 28 + 1, 1995 + seed % 30,
            seed % 24,     seed / 24 % 60,     seed % 1000000};
}

// Lines in the other shapes servers write, in turn: no group column, an owner and a group
// with blanks, ISO dates (ls --time-style=long-iso), and an ACL mark with a German month.
std::vector<std::string> otherShapeLines(std::size_t count) {
    static const char* const kMonths[] = {"Jan", "Feb", "M\xc3\xa4r", "Apr", "Mai", "Jun",
                                          "Jul", "Aug", "Sep",        "Okt", "Nov", "Dez"};
    return generatedLines(
        count, 2027, [](char* buffer, std::size_t size, std::uint32_t seed, std::size_t n) {
            LineParts p = lineParts(seed);
            if (n % 4 == 0)
                std::snprintf(buffer, size, "drwxr-xr-x 1 ftp %llu %s %u %02u:%02u dir%u", p.bytes,
                              kMonths[p.month], p.day, p.hour, p.minute, seed % 1000);
            else if (n % 4 == 1)
                std::snprintf(buffer, size,
                              "-rw-r--r--   1 DOMAIN\\John Smith  Domain Users %10llu Jan %2u  %u "
                              "Quarterly report %u.xlsx",
                              p.bytes, p.day, p.year, seed % 1000);
            else if (n % 4 == 2)
                std::snprintf(buffer, size,
                              "-rw-r--r-- 1 user group %llu %u-%02u-%02u %02u:%02u file %u.txt",
                              p.bytes, p.year, p.month + 1, p.day, p.hour, p.minute, seed % 100000);
            else
                std::snprintf(buffer, size, "-rw-rw-r--+ 1 anna users %8llu %s %2u  %u notes %u",
                              p.bytes, kMonths[p.month], p.day, p.year, seed % 100000);
        });
}

// Lines as servers write them in other languages and time styles, in turn: the day before a
// French month, a numeric date with the year last, a Japanese date, Hungarian with the year
// first and a size with a unit.
std::vector<std::string> localisedLines(std::size_t count) {
    static const char* const kMonths[] = {"janv.", "févr.", "mars",  "avr.", "mai",  "juin",
                                          "juil.", "août",  "sept.", "oct.", "nov.", "déc."};
    return generatedLines(
        count, 2028, [](char* buffer, std::size_t size, std::uint32_t seed, std::size_t n) {
            LineParts p = lineParts(seed);
            if (n % 5 == 0)
                std::snprintf(buffer, size, "-rw-r--r-- 1 jean users %llu %u %s %02u:%02u f%u.txt",
                              p.bytes, p.day, kMonths[p.month], p.hour, p.minute, seed % 1000);
            else if (n % 5 == 1)
                std::snprintf(buffer, size, "-rw-r--r-- 1 root root %llu %02u-%02u-%u 17:12 d%u",
                              p.bytes, p.day, p.month + 1, p.year, seed % 1000);
            else if (n % 5 == 2)
                std::snprintf(buffer, size, "-rw-r--r-- 1 user group %llu %2u月 %2u日 %u年 j%u",
                              p.bytes, p.month + 1, p.day, p.year, seed % 1000);
            else if (n % 5 == 3)
                std::snprintf(buffer, size, "-rw-r--r-- 1 janos users %llu %u. szept. %u. h%u",
                              p.bytes, p.year, p.day, seed % 1000);
            else
                std::snprintf(buffer, size, "-rw-r--r-- 1 user group %llu.%uk Mar %2u  %u s%u",
                              p.bytes % 1000, seed % 10, p.day, p.year, seed % 1000);
        });
}

// The peer: a plain sscanf reader of the same words into fixed buffers, without the date
// arithmetic.
std::size_t sscanfLines(const std::vector<std::string>& lines) {
    std::size_t named = 0;
    char attr[64], links[64], owner[64], group[64], size[64], month[64], dayText[64], time[64];
    int nameAt = 0;
    for (const std::string& line : lines) {
        if (std::sscanf(line.c_str(), "%63s %63s %63s %63s %63s %63s %63s %63s %n", attr, links,
                        owner, group, size, month, dayText, time, &nameAt) == 8 &&
            line[static_cast<std::size_t>(nameAt)] != '\0')
            ++named;
    }
    return named;
}

void benchParse(const char* what, const std::vector<std::string>& lines) {
    std::size_t named = 0;
    Millis ours = bestMillis(
        [&] {
            named = 0;
            for (const std::string& line : lines)
                named += quay::parseListLine(line, "0", kToday).date == "error" ? 0 : 1;
        },
        5);
    std::size_t peerNamed = 0;
    Millis peer = bestMillis([&] { peerNamed = sscanfLines(lines); }, 5);
    report(what, "sscanf", ours, peer);
    std::printf("  %.2f million lines/s (wall), %.2f million lines/s (cpu)\n",
                static_cast<double>(lines.size()) / ours.wall / 1e3,
                static_cast<double>(lines.size()) / ours.cpu / 1e3);
    if (named != lines.size())
        std::printf("  (unexpected: %zu of %zu dated)\n", named, lines.size());
    if (peerNamed != lines.size())
        std::printf("  (sscanf misreads %zu of them)\n", lines.size() - peerNamed);
}

void writeListing(const std::filesystem::path& file, const std::vector<std::string>& lines) {
    std::ofstream out(file, std::ios::binary);
    for (const std::string& line : lines)
        out << line << "\r\n";
}

// The best of five loads of the listing file into view.
Millis loadTimes(const std::vector<std::string>& lines, const quay::RemotePaneLoad& load,
                 quay::PaneModel& view) {
    quay::ComboModel pathBox;
    Millis best;
    for (int run = 0; run < 5; ++run) {
        writeListing(load.listFile, lines);  // the loader deletes the file it read
        Millis one = bestMillis([&] { quay::loadListingIntoPane(load, view, pathBox); }, 1);
        best.wall = std::min(best.wall, one.wall);
        best.cpu = std::min(best.cpu, one.cpu);
    }
    return best;
}

void benchLoad() {
    std::vector<std::string> lines = unixLines(100000);
    quay::RemotePaneLoad load;
    load.listFile =
        std::filesystem::temp_directory_path() / ("bench-listing-" + std::to_string(getpid()));
    load.format = quay::ListingFormat{"0", kToday};
    load.view.currentYear = 2026;
    load.hostName = "127.0.0.1";
    load.hostDirName = "/pub/";
    // The pane as the session has it: sorted by name through the panes' sort rule.
    quay::PaneModel view;
    int sortKey = 0;
    quay::usePaneOrder(view, sortKey);
    Millis ours = loadTimes(lines, load, view);
    quay::PaneModel unsortedView;
    Millis unsorted = loadTimes(lines, load, unsortedView);

    writeListing(load.listFile, lines);
    Millis peer = bestMillis(
        [&] {
            std::ifstream in(load.listFile, std::ios::binary);
            std::vector<std::string> read;
            for (std::string line; std::getline(in, line);)
                read.push_back(line);
            sscanfLines(read);
        },
        5);
    std::filesystem::remove(load.listFile);
    report("load 100,000 entries into pane", "getline+sscanf", ours, peer);
    report("  the same without a sort rule", "getline+sscanf", unsorted, peer);
    std::printf("  %zu rows shown\n", view.count());
}

}  // namespace

int main() {
    // The load first: the million lines of the parse run leave a fragmented heap behind.
    benchLoad();
    benchParse("parse 1,000,000 Unix lines", unixLines(1000000));
    benchParse("  lines of other shapes", otherShapeLines(1000000));
    benchParse("  lines in other languages", localisedLines(1000000));
    return 0;
}
