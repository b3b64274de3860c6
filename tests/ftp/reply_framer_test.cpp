#include "ftp/reply_framer.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace quay {
namespace {

using Line = ReplyFramer::Line;

// Feeds lines and returns each classification with the code it reported (0 when none).
std::vector<std::pair<Line, int>> frame(ReplyFramer& framer,
                                        const std::vector<std::string>& lines) {
    std::vector<std::pair<Line, int>> out;
    for (const std::string& line : lines) {
        int code = 0;
        const Line kind = framer.take(line, code);
        out.emplace_back(kind, code);
    }
    return out;
}

TEST(ReplyFramer, MultiLineReplyEndsOnlyAtItsOwnCodeAndABlank) {
    ReplyFramer framer;
    const auto got = frame(framer, {"257-Your directory:", "2021 was a year", "257-still text",
                                    "257x neither", "230 another code", "   indented",
                                    "257 \"/home/joe\"", "200 next reply", "noise", "220"});
    const std::vector<std::pair<Line, int>> want = {
        {Line::Opening, 257}, {Line::Text, 0},   {Line::Text, 0},    {Line::Text, 0},
        {Line::Text, 0},      {Line::Text, 0},   {Line::Final, 257}, {Line::Final, 200},
        {Line::Text, 0},      {Line::Final, 220}};
    EXPECT_EQ(got, want);
    EXPECT_FALSE(framer.insideMultiLine());
}

TEST(ReplyFramer, AReplyWithoutEndIsCutAtItsBoundButFinishedRepliesStartAfresh) {
    ReplyFramer framer;
    int code = 0;
    // Two long replies one after the other are fine: the count starts again at each end.
    for (int reply = 0; reply < 2; ++reply) {
        ASSERT_EQ(framer.take("220-greeting", code), Line::Opening);
        for (std::size_t i = 2; i < ReplyFramer::MaxLines; ++i)
            ASSERT_EQ(framer.take("220-more", code), Line::Text);
        ASSERT_EQ(framer.take("220 ready", code), Line::Final);
    }
    ASSERT_EQ(framer.take("220-greeting", code), Line::Opening);
    for (std::size_t i = 1; i < ReplyFramer::MaxLines; ++i)
        ASSERT_EQ(framer.take("220-more", code), Line::Text);
    EXPECT_EQ(framer.take("220 ready", code), Line::TooLong);

    // The byte bound holds for few long lines; noise between replies counts as well.
    framer.reset();
    const std::string line(4000, 'x');
    std::size_t lines = 0;
    while (framer.take(line, code) != Line::TooLong)
        ASSERT_LE(++lines, ReplyFramer::MaxBytes / line.size());
    EXPECT_GE(lines, ReplyFramer::MaxBytes / (line.size() + 2));
}

}  // namespace
}  // namespace quay
