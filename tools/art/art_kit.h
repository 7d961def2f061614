#pragma once
#include <string>

#include "art_config.h"
#include "lettering.h"

// What every picture painter needs: the authored words, palettes and layout,
// and the typefaces.
struct ArtKit {
    explicit ArtKit(const std::string &fontDir)
        : sans(fontDir + "/DejaVuSans.ttf"), sansBold(fontDir + "/DejaVuSans-Bold.ttf"),
          serif(fontDir + "/DejaVuSerif.ttf"), serifBold(fontDir + "/DejaVuSerif-Bold.ttf") {}

    bool FontsOk() const { return sans.Ok() && sansBold.Ok() && serif.Ok() && serifBold.Ok(); }

    CArtConfig config;
    CTypeface sans;
    CTypeface sansBold;
    CTypeface serif;
    CTypeface serifBold;
};

constexpr int kPictureWidth = 1024;
constexpr int kPictureHeight = 768;
