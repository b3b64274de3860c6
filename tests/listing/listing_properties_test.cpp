#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "listing/list_line_parser.h"
#include "listing_properties.h"
#include "test_support.h"

namespace quay {
namespace {

// The corpus of the parser's fuzz target: the real-world lines of the layout tables and the
// captures, under several layouts, and what fuzzing grew from them.
const std::filesystem::path kCorpus =
    std::filesystem::path(QUAY_LISTING_DATA_DIR) / "../../../fuzz/listing/corpus/parse_list_line";

TEST(ListingProperties, EveryCorpusEntryKeepsTheRules) {
    std::size_t inputs = 0;
    std::size_t datedUnixNames = 0;
    for (const auto& file : std::filesystem::directory_iterator(kCorpus)) {
        std::string bytes = test::readFile(file.path().string());
        listingproperty::ParserInput in = listingproperty::splitParserInput(bytes);
        for (std::string_view layout : {in.layout, std::string_view("7")}) {
            RemoteEntry e = parseListLine(in.line, layout, in.today);
            EXPECT_EQ(listingproperty::violation(in.line, layout, e), "")
                << file.path().filename() << " layout " << layout << ": " << in.line;
            datedUnixNames += e.date != "error" && e.name != "." && !e.size.empty() &&
                              (layout[0] == '0' || layout[0] == '7');
        }
        ++inputs;
    }
    // The corpus is there, and many of its lines are dated Unix entries, so the tail rule is
    // really tried.
    EXPECT_GT(inputs, 150u);
    EXPECT_GT(datedUnixNames, 100u);
}

// The rules catch the faults they are there for.
TEST(ListingProperties, RulesRejectNamesFromOtherColumns) {
    const char* line = "-rw-r--r-- 1 ann smith staff 4096 Mar 2 15:13 notes";
    RemoteEntry shifted{false, "15:13 notes", "staff", "02.03.26", "", "-rw-r--r--"};
    EXPECT_NE(listingproperty::violation(line, "0", shifted), "");
    RemoteEntry wrongSize{false, "notes", "smith", "02.03.26", "15:13", "-rw-r--r--"};
    EXPECT_NE(listingproperty::violation(line, "7", wrongSize), "");
    RemoteEntry invented{false, "Annual", "1", "", "", ""};
    EXPECT_NE(listingproperty::violation("06-12-25  09:41AM  1 annual", "2", invented), "");
    RemoteEntry right{false, "notes", "4096", "02.03.26", "15:13", "-rw-r--r--"};
    EXPECT_EQ(listingproperty::violation(line, "0", right), "");
    // A link's name ends at its arrow; a name cut anywhere else is no tail.
    const char* link = "lrwxrwxrwx 1 u g 7 Jan 1 12:00 my bin -> usr/bin";
    RemoteEntry linkName{true, "my bin", "", "01.01.26", "12:00", "lrwxrwxrwx"};
    EXPECT_EQ(listingproperty::violation(link, "0", linkName), "");
    linkName.name = "bin";
    EXPECT_NE(listingproperty::violation(link, "0", linkName), "");
}

}  // namespace
}  // namespace quay
