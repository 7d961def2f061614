#pragma once
#include <string>

#include "art_config.h"
#include "lettering.h"

// What every picture painter needs: the authored words, palettes and layout,
// and the typefaces. The faces pair on purpose: the serif bold carries the
// display lines, its italic the soft words beside them, the condensed sans
// bold the labels, the font and anything that must read small.
struct ArtKit {
    explicit ArtKit(const std::string &fontDir)
        : sans(fontDir + "/DejaVuSans.ttf"), sansBold(fontDir + "/DejaVuSans-Bold.ttf"),
          serif(fontDir + "/DejaVuSerif.ttf"), serifBold(fontDir + "/DejaVuSerif-Bold.ttf"),
          serifItalic(fontDir + "/DejaVuSerif-Italic.ttf"),
          condensedBold(fontDir + "/DejaVuSansCondensed-Bold.ttf") {}

    bool FontsOk() const {
        return sans.Ok() && sansBold.Ok() && serif.Ok() && serifBold.Ok() && serifItalic.Ok() &&
               condensedBold.Ok();
    }

    CArtConfig config;
    CTypeface sans;
    CTypeface sansBold;
    CTypeface serif;
    CTypeface serifBold;
    CTypeface serifItalic;
    CTypeface condensedBold;
};

constexpr int kPictureWidth = 1024;
constexpr int kPictureHeight = 768;
