#include <gtest/gtest.h>

#include "session/server_features.h"

namespace quay {
namespace {

using Lines = std::vector<std::string>;

TEST(ServerFeatures, FeatureLinesBetweenTheFirstAndLastLineInAnyCase) {
    const ServerFeatures offered =
        parseFeatures({"211-Extensions supported:", " MLST type*;size*;modify*;", " utf8", "  SIZE",
                       "", "211 End"});
    EXPECT_TRUE(offered.mlst);
    EXPECT_TRUE(offered.utf8);
    EXPECT_EQ(offered.lines, (Lines{"MLST type*;size*;modify*;", "utf8", "SIZE"}));
    EXPECT_EQ(featuresLogLine(offered), "Features: MLST type*;size*;modify*;, utf8, SIZE");

    // MLSD alone or a word that only starts like one offers nothing; nor does a one-line reply
    // or a reply whose last line names a feature.
    const ServerFeatures none =
        parseFeatures({"211-Features", " MLSD", " UTF8X", " MLSTX", "211 MLST"});
    EXPECT_FALSE(none.mlst);
    EXPECT_FALSE(none.utf8);
    EXPECT_FALSE(parseFeatures({"211 MLST UTF8"}).mlst);
    EXPECT_EQ(featuresLogLine(parseFeatures({"211 no features"})), "Features: none");
}

TEST(ServerFeatures, TheLogLineNamesFiftyAndCountsTheRest) {
    Lines reply{"211-Features"};
    for (int i = 0; i < 10000; ++i)
        reply.push_back(" F" + std::to_string(i));
    reply.push_back("211 End");
    const std::string line = featuresLogLine(parseFeatures(reply));
    EXPECT_TRUE(line.ends_with(", F49 and 9950 more")) << line;
    EXPECT_EQ(line.find("F50,"), std::string::npos);
}

}  // namespace
}  // namespace quay
