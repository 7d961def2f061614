// The embedded scroll texts of sides A to D meet the form the scroll line
// relies on: CR LF lines of at most 31 bytes, printable characters the font
// has, an empty first line, no percent sign.
#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "app/resources.h"
#include "glyph_order.h"

namespace {

struct TextCase {
    int id;
    const char *title; // the side's track title, which the text names
};

class ScrollText : public testing::TestWithParam<TextCase> {
  protected:
    void SetUp() override {
        uint32_t size = 0;
        const unsigned char *bytes = LoadResourceBytes(GetParam().id, &size);
        ASSERT_NE(bytes, nullptr);
        m_text.assign(reinterpret_cast<const char *>(bytes), size);
    }

    // Lines without their CR LF; a final line without a line end is kept.
    std::vector<std::string> Lines() const {
        std::vector<std::string> lines;
        size_t start = 0;
        while (start < m_text.size()) {
            size_t lf = m_text.find('\n', start);
            if (lf == std::string::npos)
                lf = m_text.size();
            std::string line = m_text.substr(start, lf - start);
            if (!line.empty() && line.back() == '\r')
                line.pop_back();
            lines.push_back(line);
            start = lf + 1;
        }
        return lines;
    }

    std::string m_text;
};

TEST_P(ScrollText, BeginsWithAnEmptyLine) {
    ASSERT_GE(m_text.size(), 2u);
    EXPECT_EQ(m_text.substr(0, 2), "\r\n");
}

TEST_P(ScrollText, LinesEndInCrLf) {
    for (size_t i = 0; i < m_text.size(); ++i) {
        if (m_text[i] == '\r') {
            ASSERT_LT(i + 1, m_text.size()) << "CR at the very end";
            EXPECT_EQ(m_text[i + 1], '\n') << "bare CR at byte " << i;
        }
        if (m_text[i] == '\n') {
            EXPECT_TRUE(i > 0 && m_text[i - 1] == '\r') << "bare LF at byte " << i;
        }
    }
}

TEST_P(ScrollText, UsesOnlyCharactersTheFontDraws) {
    std::set<char> allowed(kGlyphOrder, kGlyphOrder + std::strlen(kGlyphOrder));
    allowed.erase('\n');
    allowed.insert(' ');
    for (size_t i = 0; i < m_text.size(); ++i) {
        const char c = m_text[i];
        if (c == '\r' || c == '\n')
            continue;
        EXPECT_TRUE(static_cast<unsigned char>(c) >= 0x20 && static_cast<unsigned char>(c) < 0x7F)
            << "byte " << i << " is not printable ASCII";
        EXPECT_TRUE(allowed.count(c)) << "byte " << i << " ('" << c << "') has no glyph";
        EXPECT_NE(c, '%') << "a percent sign would be read as a format";
    }
    EXPECT_EQ(m_text.find('\0'), std::string::npos);
}

TEST_P(ScrollText, LinesAreShortAndCountIsRight) {
    const std::vector<std::string> lines = Lines();
    EXPECT_GE(lines.size(), 20u);
    EXPECT_LE(lines.size(), 60u);
    for (const std::string &line : lines)
        EXPECT_LE(line.size() + 1, 31u) << line; // with its CR
    EXPECT_TRUE(lines.front().empty());
    // Not a blank text: most lines say something.
    size_t said = 0;
    for (const std::string &line : lines)
        said += !line.empty();
    EXPECT_GE(said, lines.size() * 2 / 3);
}

TEST_P(ScrollText, NamesItsTrack) {
    EXPECT_NE(m_text.find(GetParam().title), std::string::npos) << GetParam().title;
}

INSTANTIATE_TEST_SUITE_P(Sides, ScrollText,
                         testing::Values(TextCase{109, "Undertow Lights"},
                                         TextCase{110, "Dusk Over Marrowlake"},
                                         TextCase{111, "Pixel Ferry"},
                                         TextCase{112, "Last Light, Still Water"}));

TEST(ScrollTexts, EachSideHasItsOwnText) {
    std::set<std::string> texts;
    for (int id = 109; id <= 112; ++id) {
        uint32_t size = 0;
        const unsigned char *bytes = LoadResourceBytes(id, &size);
        ASSERT_NE(bytes, nullptr);
        texts.insert(std::string(reinterpret_cast<const char *>(bytes), size));
    }
    EXPECT_EQ(texts.size(), 4u);
}

} // namespace
