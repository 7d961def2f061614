// The embedded font image: every character of the glyph order is one run of
// inked columns in its band, in order, apart from its neighbours.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "app/resources.h"
#include "decoded_png.h"
#include "glyph_order.h"

namespace {

struct InkRun {
    uint32_t first, end; // inked columns [first, end)
};

std::vector<std::string> BandLines() {
    std::vector<std::string> lines(1);
    for (const char *p = kGlyphOrder; *p != '\0'; ++p) {
        if (*p == '\n')
            lines.emplace_back();
        else
            lines.back().push_back(*p);
    }
    return lines;
}

class FontImage : public testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(DecodeTextureResource(108, &m_png));
        ASSERT_EQ(m_png.width, 512u);
        ASSERT_EQ(m_png.height, 512u);
    }

    uint32_t BandTop(size_t band) const { return uint32_t(band) * kBandHeight; }
    uint32_t BandEnd(size_t band) const {
        return std::min(BandTop(band) + kBandHeight, m_png.height);
    }

    bool ColumnInked(size_t band, uint32_t x) const {
        for (uint32_t y = BandTop(band); y < BandEnd(band); ++y)
            if (m_png.Alpha(x, y) != 0)
                return true;
        return false;
    }

    // Runs of inked columns of a band; a run still open at the right edge is
    // reported with end == width.
    std::vector<InkRun> Runs(size_t band) const {
        std::vector<InkRun> runs;
        bool in = false;
        for (uint32_t x = 0; x < m_png.width; ++x) {
            const bool ink = ColumnInked(band, x);
            if (ink && !in)
                runs.push_back(InkRun{x, x});
            if (ink)
                runs.back().end = x + 1;
            in = ink;
        }
        return runs;
    }

    // Glyph width per character, from the runs.
    std::map<unsigned char, uint32_t> Widths() const {
        std::map<unsigned char, uint32_t> widths;
        const std::vector<std::string> lines = BandLines();
        for (size_t band = 0; band < lines.size(); ++band) {
            const std::vector<InkRun> runs = Runs(band);
            for (size_t i = 0; i < runs.size() && i < lines[band].size(); ++i)
                widths[static_cast<unsigned char>(lines[band][i])] = runs[i].end - runs[i].first;
        }
        return widths;
    }

    DecodedPng m_png;
};

TEST_F(FontImage, EachBandHoldsOneRunPerCharacter) {
    const std::vector<std::string> lines = BandLines();
    ASSERT_EQ(lines.size(), 9u);
    size_t total = 0;
    for (size_t band = 0; band < lines.size(); ++band) {
        const std::vector<InkRun> runs = Runs(band);
        EXPECT_EQ(runs.size(), lines[band].size()) << "band " << band;
        total += runs.size();
        if (runs.empty())
            continue;
        if (band > 0) {
            EXPECT_GE(runs.front().first, 1u) << "column 0 is never scanned in band " << band;
        }
        EXPECT_LT(runs.back().end, m_png.width) << "band " << band << " runs into the edge";
        for (size_t i = 1; i < runs.size(); ++i)
            EXPECT_GE(runs[i].first - runs[i - 1].end, 2u)
                << "glyphs " << i - 1 << " and " << i << " of band " << band << " nearly touch";
    }
    EXPECT_EQ(total, 91u);
}

TEST_F(FontImage, InkStaysInsideItsBand) {
    // The first and last row of every band are clear, so no glyph spills into
    // the next band when the cell is drawn with filtering.
    for (size_t band = 0; band < 9; ++band)
        for (uint32_t x = 0; x < m_png.width; ++x) {
            ASSERT_EQ(m_png.Alpha(x, BandTop(band)), 0) << "band " << band << " column " << x;
            ASSERT_EQ(m_png.Alpha(x, BandEnd(band) - 1), 0) << "band " << band << " column " << x;
        }
}

TEST_F(FontImage, GlyphsAreWhiteWhereverTheyHaveInk) {
    uint32_t coloured = 0;
    for (size_t i = 0; i < m_png.rgba.size(); i += 4)
        if (m_png.rgba[i + 3] != 0 &&
            (m_png.rgba[i] != 255 || m_png.rgba[i + 1] != 255 || m_png.rgba[i + 2] != 255))
            ++coloured;
    EXPECT_EQ(coloured, 0u);
}

TEST_F(FontImage, WidthsFitTheirCharacters) {
    const std::map<unsigned char, uint32_t> w = Widths();
    ASSERT_EQ(w.size(), 91u);
    for (const auto &[code, width] : w) {
        EXPECT_GE(width, 4u) << "character " << int(code);
        EXPECT_LE(width, 48u) << "character " << int(code);
    }
    // Narrow against wide characters of the same band: a glyph given to the
    // wrong character shows up here.
    const std::pair<unsigned char, unsigned char> narrowWide[] = {
        {'I', 'M'}, {'I', 'K'}, {'J', 'H'}, {'L', 'M'},  {'T', 'Q'}, {'Y', 'W'},
        {'c', 'W'}, {'i', 'm'}, {'l', 'k'}, {'j', 'p'},  {'r', 'w'}, {'t', 'x'},
        {'1', '8'}, {'!', '%'}, {'"', '&'}, {0xA3, '%'}, {'(', '*'}, {'.', '@'},
        {',', '#'}, {':', '+'}, {';', '='}, {'\'', '~'}, {'[', '<'}, {']', 0xE9}};
    for (const auto &[narrow, wide] : narrowWide)
        EXPECT_LT(w.at(narrow), w.at(wide)) << narrow << " vs " << wide;
}

// Advance of a text at scale 1: each glyph's width plus spacing 3, spaces 32 wide.
float LineWidth(const std::map<unsigned char, uint32_t> &widths, const std::string &text) {
    float w = 0.0f;
    for (char ch : text) {
        const unsigned char c = static_cast<unsigned char>(ch);
        const auto it = widths.find(c);
        w += (c == ' ' ? 32.0f : (it != widths.end() ? float(it->second) : 0.0f)) + 3.0f;
    }
    return w;
}

TEST_F(FontImage, ThirtyCharacterLinesFitTheScreen) {
    const std::map<unsigned char, uint32_t> w = Widths();
    const float sample = LineWidth(w, "The quick brown fox jumps over");
    EXPECT_GE(sample, 600.0f);
    EXPECT_LE(sample, 800.0f);
    // Every line of the embedded scroll texts stays on a 1024 pixel screen.
    for (int id = 109; id <= 112; ++id) {
        uint32_t size = 0;
        const unsigned char *text = LoadResourceBytes(id, &size);
        ASSERT_NE(text, nullptr);
        std::string line;
        for (uint32_t i = 0; i <= size; ++i) {
            if (i == size || text[i] == '\n') {
                EXPECT_LE(LineWidth(w, line), 990.0f) << "text " << id << ": " << line;
                line.clear();
            } else {
                line.push_back(static_cast<char>(text[i]));
            }
        }
    }
}

} // namespace
