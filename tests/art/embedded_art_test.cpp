// The generated artwork as the program embeds it: pictures, the deck's button marks,
// the font image and the scroll texts of sides A to D.
#include <gtest/gtest.h>
#include <png.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <iterator>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "app/resources.h"
#include "scene/hot_spots.h"

namespace {

// An embedded picture decoded to 8-bit RGBA rows, top row first.
struct DecodedPng {
    uint32_t width = 0, height = 0;
    std::vector<uint8_t> rgba;
    bool hasAlphaChannel = false;

    uint8_t Alpha(uint32_t x, uint32_t y) const { return rgba[(size_t(y) * width + x) * 4 + 3]; }
};

// Decodes "TEXTURES" resource `id`; false when it is missing or not a PNG.
bool Decode(int id, DecodedPng *out) {
    uint32_t size = 0;
    const unsigned char *bytes = LoadTypedResourceBytes(id, "TEXTURES", &size);
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    if (bytes == nullptr || !png_image_begin_read_from_memory(&image, bytes, size))
        return false;
    out->hasAlphaChannel = (image.format & PNG_FORMAT_FLAG_ALPHA) != 0;
    image.format = PNG_FORMAT_RGBA;
    out->width = image.width;
    out->height = image.height;
    out->rgba.assign(PNG_IMAGE_SIZE(image), 0);
    return png_image_finish_read(&image, nullptr, out->rgba.data(), 0, nullptr) != 0;
}

// The intro pictures are opaque and shown over black: none may be (nearly) all black,
// and no two may be the same picture.
TEST(Pictures, HaveTheirSizeAndAlpha) {
    const struct {
        int id;
        uint32_t width, height;
        bool intro;
    } cases[] = {{101, 1024, 768, true}, {102, 1024, 768, true}, {103, 1024, 768, true},
                 {104, 1024, 768, true}, {105, 1024, 768, true}, {106, 1024, 768, false},
                 {108, 512, 512, false}};
    std::vector<std::vector<uint8_t>> intros;
    for (const auto &c : cases) {
        SCOPED_TRACE(c.id);
        DecodedPng png;
        ASSERT_TRUE(Decode(c.id, &png));
        EXPECT_EQ(png.width, c.width);
        EXPECT_EQ(png.height, c.height);
        EXPECT_TRUE(png.hasAlphaChannel);
        if (!c.intro)
            continue;
        uint64_t sum = 0, translucent = 0;
        for (size_t i = 0; i < png.rgba.size(); i += 4) {
            sum += png.rgba[i] + png.rgba[i + 1] + png.rgba[i + 2];
            translucent += png.rgba[i + 3] != 255;
        }
        EXPECT_EQ(translucent, 0u);
        EXPECT_GT(sum / (png.rgba.size() / 4), 40u) << "too dark";
        EXPECT_EQ(std::count(intros.begin(), intros.end(), png.rgba), 0) << "a repeat";
        intros.push_back(png.rgba);
    }
}

struct Button {
    uint32_t x, y, w, h;
    uint8_t mark;
};

// Corner, size and alpha mark of each button of the deck (picture 106), in scan order.
const Button kButtons[kHotSpotCount] = {
    {481, 249, 52, 54, 1},  // play
    {445, 337, 50, 53, 3},  // previous side
    {513, 364, 49, 56, 4},  // next side
    {529, 687, 110, 46, 7}, // logo sign board
    {309, 699, 49, 46, 7},  // pause
    {197, 703, 46, 46, 6},  // stop
    {87, 706, 46, 45, 5},   // quit
};

TEST(Panel, MarksArePaintedBlocksThatScanAsTheSevenButtons) {
    DecodedPng panel;
    ASSERT_TRUE(Decode(106, &panel));
    ASSERT_EQ(panel.width, 1024u);
    ASSERT_EQ(panel.height, 768u);
    std::vector<int> owner(size_t(1024) * 768, -1);
    for (int i = 0; i < kHotSpotCount; ++i) {
        const Button &b = kButtons[i];
        int lo = 255 * 3, hi = 0; // brightness range: the key's icon must show
        for (uint32_t y = b.y; y < b.y + b.h; ++y)
            for (uint32_t x = b.x; x < b.x + b.w; ++x) {
                owner[size_t(y) * 1024 + x] = i;
                const uint8_t *p = &panel.rgba[(size_t(y) * 1024 + x) * 4];
                lo = std::min(lo, p[0] + p[1] + p[2]);
                hi = std::max(hi, p[0] + p[1] + p[2]);
            }
        EXPECT_GT(hi - lo, 150) << "button " << i << " shows no icon";
    }
    uint32_t wrong = 0;
    for (uint32_t y = 0; y < 768; ++y)
        for (uint32_t x = 0; x < 1024; ++x) {
            const int i = owner[size_t(y) * 1024 + x];
            const uint8_t a = panel.Alpha(x, y);
            wrong += i >= 0 ? a != kButtons[i].mark : a < 220;
        }
    EXPECT_EQ(wrong, 0u);
    HotSpot spots[kHotSpotCount];
    ASSERT_EQ(
        FindHotSpotRects(panel.rgba.data(), panel.width, panel.height, panel.width, 1024, spots),
        kHotSpotCount);
    for (int i = 0; i < kHotSpotCount; ++i) {
        const Button &b = kButtons[i];
        EXPECT_FLOAT_EQ(spots[i].position.x, float(b.x)) << "button " << i;
        EXPECT_FLOAT_EQ(spots[i].position.y, float(b.y)) << "button " << i;
        EXPECT_FLOAT_EQ(spots[i].size.x, float(b.w)) << "button " << i;
        EXPECT_FLOAT_EQ(spots[i].size.y, float(b.h)) << "button " << i;
    }
}

// The characters of the font image in reading order, one line per band of 57 rows
// (Latin-1: 0xA3 is the pound sign, 0xE9 the e with acute accent).
const char *const kBands[] = {"ABCDEFGHIJK",    "LMNOPQRSTU", "VWXYZabcde",
                              "fghijklmnop",    "qrstuvwxyz", "0123456789",
                              "!\"\xA3$%^&*()", "-+=.,?:;@#", "<>{}[]'~\xE9"};
constexpr uint32_t kBandHeight = 57;

struct InkRun {
    uint32_t first, end; // inked columns [first, end)
};

class FontImage : public testing::Test {
  protected:
    // Finds the runs of inked columns of each band and the glyph width of each character.
    void SetUp() override {
        ASSERT_TRUE(Decode(108, &m_png));
        for (uint32_t top = 0; top < m_png.height; top += kBandHeight) {
            m_runs.emplace_back();
            bool in = false;
            for (uint32_t x = 0; x < m_png.width; ++x) {
                bool ink = false;
                for (uint32_t y = top; y < std::min(top + kBandHeight, m_png.height); ++y)
                    ink = ink || m_png.Alpha(x, y) != 0;
                if (ink && !in)
                    m_runs.back().push_back(InkRun{x, x});
                if (ink)
                    m_runs.back().back().end = x + 1;
                in = ink;
            }
        }
        for (size_t band = 0; band < std::min(m_runs.size(), std::size(kBands)); ++band)
            for (size_t i = 0; i < m_runs[band].size() && kBands[band][i] != '\0'; ++i)
                m_widths[static_cast<unsigned char>(kBands[band][i])] =
                    m_runs[band][i].end - m_runs[band][i].first;
    }

    // Advance of a text at scale 1: each glyph's width plus spacing 3, spaces 32 wide.
    float LineWidth(const std::string &text) const {
        float w = 0.0f;
        for (char ch : text) {
            const auto it = m_widths.find(static_cast<unsigned char>(ch));
            w += (ch == ' ' ? 32.0f : (it != m_widths.end() ? float(it->second) : 0.0f)) + 3.0f;
        }
        return w;
    }

    DecodedPng m_png;
    std::vector<std::vector<InkRun>> m_runs;
    std::map<unsigned char, uint32_t> m_widths;
};

TEST_F(FontImage, BandsHoldOneOutlinedGlyphPerCharacterInOrder) {
    for (size_t band = 0; band < m_runs.size(); ++band) {
        SCOPED_TRACE(band);
        const std::vector<InkRun> &runs = m_runs[band];
        ASSERT_EQ(runs.size(), band < std::size(kBands) ? std::strlen(kBands[band]) : 0u);
        if (runs.empty())
            continue;
        if (band > 0) {
            EXPECT_GE(runs.front().first, 1u) << "column 0 is never scanned";
        }
        EXPECT_LT(runs.back().end, m_png.width) << "runs into the edge";
        for (size_t i = 1; i < runs.size(); ++i)
            EXPECT_GE(runs[i].first - runs[i - 1].end, 2u) << "glyphs " << i << " nearly touch";
        // Clear first and last rows keep filtered cells from bleeding into the next band.
        const uint32_t top = uint32_t(band) * kBandHeight;
        for (uint32_t x = 0; x < m_png.width; ++x) {
            ASSERT_EQ(m_png.Alpha(x, top), 0) << "column " << x;
            ASSERT_EQ(m_png.Alpha(x, std::min(top + kBandHeight, m_png.height) - 1), 0)
                << "column " << x;
        }
    }
    // The look the scroll line is drawn with (white vertex colour): every glyph
    // has a dark outline, so an opaque texel entered from the transparent ground
    // is dark, and a fill that runs from light at the cap line to deep at the foot.
    const auto luma = [&](uint32_t x, uint32_t y) {
        const uint8_t *p = &m_png.rgba[(size_t(y) * m_png.width + x) * 4];
        return (p[0] * 3 + p[1] * 6 + p[2]) / 10;
    };
    uint32_t edges = 0, darkEdges = 0;
    uint64_t upper = 0, upperCount = 0, lower = 0, lowerCount = 0;
    for (uint32_t y = 0; y < m_png.height; ++y) {
        const uint32_t row = y % kBandHeight;
        for (uint32_t x = 1; x < m_png.width; ++x) {
            if (m_png.Alpha(x, y) == 255 && luma(x, y) > 140) {
                (row < 22 ? upper : lower) += row < 22 || row > 32 ? luma(x, y) : 0;
                (row < 22 ? upperCount : lowerCount) += row < 22 || row > 32;
            }
            if (m_png.Alpha(x, y) < 200 || m_png.Alpha(x - 1, y) >= 200)
                continue;
            bool fromGround = false;
            for (uint32_t k = 1; k <= 3 && k <= x; ++k)
                fromGround = fromGround || m_png.Alpha(x - k, y) == 0;
            edges += fromGround;
            darkEdges += fromGround && luma(x, y) < 90;
        }
    }
    EXPECT_GT(edges, 1000u);
    EXPECT_GE(darkEdges * 100, edges * 95u) << "glyph edges without their dark outline";
    ASSERT_GT(upperCount, 0u);
    ASSERT_GT(lowerCount, 0u);
    EXPECT_GT(upper / upperCount, lower / lowerCount + 30) << "no light-to-deep fill";
    // A glyph given to the wrong character shows up as a narrow one wider than a wide one.
    const std::pair<unsigned char, unsigned char> narrowWide[] = {
        {'I', 'M'}, {'J', 'H'}, {'T', 'Q'},  {'Y', 'W'}, {'c', 'W'},  {'i', 'm'},
        {'l', 'k'}, {'r', 'w'}, {'1', '8'},  {'!', '%'}, {0xA3, '%'}, {'.', '@'},
        {',', '#'}, {':', '+'}, {'\'', '~'}, {'[', '<'}, {']', 0xE9}};
    for (const auto &[narrow, wide] : narrowWide)
        EXPECT_LT(m_widths.at(narrow), m_widths.at(wide)) << narrow << " vs " << wide;
}

// The scroll line shows one line at a time, so a line must neither carry on the
// previous one (sentence case: no line starts in lower case) nor leave its phrase
// hanging on a little word for the next one.
bool StandsAlone(const std::string &line) {
    if (line.empty())
        return true;
    if (std::islower(static_cast<unsigned char>(line.front())))
        return false;
    size_t end = line.size();
    while (end > 0 && !std::isalpha(static_cast<unsigned char>(line[end - 1])))
        --end;
    size_t begin = end;
    while (begin > 0 && std::isalpha(static_cast<unsigned char>(line[begin - 1])))
        --begin;
    // In sentence case a hanging article is in lower case; "Side A" ends on a name.
    const std::string last = line.substr(begin, end - begin);
    static const std::set<std::string> kHanging = {"the", "to",  "a",    "an", "and",
                                                   "of",  "who", "that", "in", "on"};
    return kHanging.count(last) == 0;
}

// The form the scroll line relies on: an empty first line, CR LF lines of at most 31
// bytes that fit the deck's scroll strip, only characters the font has, no percent
// sign (the line is used as a format).
TEST_F(FontImage, ScrollTextsHaveTheLineFormAndNameTheirTrack) {
    const std::pair<int, const char *> sides[] = {{109, "Undertow Lights"},
                                                  {110, "Dusk Over Marrowlake"},
                                                  {111, "Pixel Ferry"},
                                                  {112, "Last Light, Still Water"}};
    std::set<std::string> texts;
    for (const auto &[id, title] : sides) {
        SCOPED_TRACE(id);
        uint32_t size = 0;
        const unsigned char *bytes = LoadResourceBytes(id, &size);
        ASSERT_NE(bytes, nullptr);
        const std::string text(reinterpret_cast<const char *>(bytes), size);
        texts.insert(text);
        EXPECT_EQ(text.substr(0, 2), "\r\n");
        EXPECT_NE(text.find(title), std::string::npos) << title;
        size_t lines = 0, said = 0;
        for (size_t start = 0, lf = 0; start < text.size(); start = lf + 1) {
            lf = std::min(text.find('\n', start), text.size());
            const bool ended = lf < text.size(); // the last line may lack its line end
            ASSERT_TRUE(!ended || (lf > start && text[lf - 1] == '\r')) << "bare LF at " << lf;
            const std::string line = text.substr(start, lf - start - ended);
            EXPECT_LE(line.size() + 1, 31u) << line;
            // Centred as (1024 - (W - 32)) / 2 with a 4 pixel shadow, all times the screen
            // scale: the line stays inside the deck's scroll strip (columns 24 to 1000 of
            // the picture) at every size when W is at most 936.
            EXPECT_LE(LineWidth(line + '\r'), 936.0f) << line;
            for (char c : line)
                EXPECT_TRUE(c == ' ' || (c > 0x20 && c < 0x7F && c != '%' && m_widths.count(c)))
                    << "no glyph for '" << c << "' in: " << line;
            EXPECT_TRUE(StandsAlone(line))
                << "shown alone for three seconds, this line is a fragment: " << line;
            ++lines;
            said += !line.empty();
        }
        EXPECT_GE(lines, 20u);
        EXPECT_LE(lines, 60u);
        EXPECT_GE(said, lines * 2 / 3) << "mostly blank";
    }
    EXPECT_EQ(texts.size(), 4u) << "each side has its own text";
}

} // namespace
