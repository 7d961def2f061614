// Compares what an X screen shows with a 1024 x 768 picture drawn full-window
// at a given window origin and width (so scale = width / 1024).
//
// Usage:
//   ml_e2e_screen compare <png> <winX> <winY> <winWidth> <x> <y> <w> <h> <tolerance>
//       Region x, y, w, h in picture pixels. Each screen pixel whose centre
//       falls in the region is compared with the picture sampled bilinearly
//       at that centre (RGB only; alpha is ignored). Prints
//       "<differing fraction> <screen mean R G B> <picture mean R G B> <gold>
//       <blue>", where a pixel differs when a channel is off by more than
//       <tolerance>, and gold and blue are the fractions of screen pixels of
//       a saturated gold (about 200,150,50) or deep blue (about 40,60,160).
//   ml_e2e_screen save <out.ppm> <x> <y> <w> <h>
//       Writes that rectangle of the screen (screen pixels) as a binary PPM.
// Exit 0 when done, 2 on bad arguments, unreadable files or no display.
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <png.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

struct Picture {
    int width = 0;
    int height = 0;
    std::vector<unsigned char> rgba;
};

bool LoadPicture(const char *path, Picture &out) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, path))
        return false;
    image.format = PNG_FORMAT_RGBA;
    out.width = static_cast<int>(image.width);
    out.height = static_cast<int>(image.height);
    out.rgba.resize(PNG_IMAGE_SIZE(image));
    if (!png_image_finish_read(&image, nullptr, out.rgba.data(), 0, nullptr)) {
        png_image_free(&image);
        return false;
    }
    return true;
}

// Channel c of the picture at (u, v) in pixel units, pixel centres at integers.
float Sample(const Picture &p, float u, float v, int c) {
    u = std::clamp(u, 0.0f, static_cast<float>(p.width - 1));
    v = std::clamp(v, 0.0f, static_cast<float>(p.height - 1));
    const int x0 = static_cast<int>(u);
    const int y0 = static_cast<int>(v);
    const int x1 = std::min(x0 + 1, p.width - 1);
    const int y1 = std::min(y0 + 1, p.height - 1);
    const float fx = u - static_cast<float>(x0);
    const float fy = v - static_cast<float>(y0);
    auto at = [&](int x, int y) {
        return static_cast<float>(p.rgba[(static_cast<size_t>(y) * p.width + x) * 4 + c]);
    };
    const float top = at(x0, y0) + (at(x1, y0) - at(x0, y0)) * fx;
    const float bottom = at(x0, y1) + (at(x1, y1) - at(x0, y1)) * fx;
    return top + (bottom - top) * fy;
}

// Splits an X pixel into 8-bit channels with the image's masks.
int Channel(unsigned long pixel, unsigned long mask) {
    if (mask == 0)
        return 0;
    int shift = 0;
    while (((mask >> shift) & 1u) == 0)
        ++shift;
    const unsigned long value = (pixel & mask) >> shift;
    const unsigned long max = mask >> shift;
    return static_cast<int>(value * 255u / max);
}

// Warm yellow with little blue: a gold rim, lit or in shade.
bool IsGold(const int *rgb) {
    return rgb[0] >= 110 && rgb[1] >= 70 && rgb[2] * 2 <= rgb[1] && rgb[0] >= rgb[1];
}

// Blue well above red and green: a deep blue face.
bool IsBlue(const int *rgb) {
    return rgb[2] >= 90 && rgb[2] >= rgb[0] * 2 && rgb[2] >= rgb[1] + 40;
}

// Grabs a screen rectangle, clipped to the root window. Null on failure.
XImage *Grab(Display *display, int &x, int &y, int &w, int &h) {
    const Window root = DefaultRootWindow(display);
    XWindowAttributes attributes{};
    XGetWindowAttributes(display, root, &attributes);
    const int x1 = std::min(x + w, attributes.width);
    const int y1 = std::min(y + h, attributes.height);
    x = std::max(x, 0);
    y = std::max(y, 0);
    w = x1 - x;
    h = y1 - y;
    if (w <= 0 || h <= 0)
        return nullptr;
    return XGetImage(display, root, x, y, static_cast<unsigned>(w), static_cast<unsigned>(h),
                     AllPlanes, ZPixmap);
}

int Compare(Display *display, const char *pngPath, const int *n) {
    Picture picture;
    if (!LoadPicture(pngPath, picture)) {
        std::fprintf(stderr, "cannot read %s\n", pngPath);
        return 2;
    }
    const int winX = n[0];
    const int winY = n[1];
    const float scale = static_cast<float>(n[2]) / 1024.0f;
    const int rx = n[3], ry = n[4], rw = n[5], rh = n[6], tolerance = n[7];
    int gx = winX + static_cast<int>(std::floor(rx * scale)) - 1;
    int gy = winY + static_cast<int>(std::floor(ry * scale)) - 1;
    int gw = static_cast<int>(std::ceil(rw * scale)) + 2;
    int gh = static_cast<int>(std::ceil(rh * scale)) + 2;
    XImage *image = Grab(display, gx, gy, gw, gh);
    if (image == nullptr) {
        std::fprintf(stderr, "cannot grab the screen\n");
        return 2;
    }
    long counted = 0;
    long differing = 0;
    long gold = 0;
    long blue = 0;
    double screenSum[3] = {0, 0, 0};
    double pictureSum[3] = {0, 0, 0};
    for (int sy = gy; sy < gy + gh; ++sy) {
        const float v = (static_cast<float>(sy - winY) + 0.5f) / scale;
        if (v < static_cast<float>(ry) || v >= static_cast<float>(ry + rh))
            continue;
        for (int sx = gx; sx < gx + gw; ++sx) {
            const float u = (static_cast<float>(sx - winX) + 0.5f) / scale;
            if (u < static_cast<float>(rx) || u >= static_cast<float>(rx + rw))
                continue;
            const unsigned long pixel = XGetPixel(image, sx - gx, sy - gy);
            const int shown[3] = {Channel(pixel, image->red_mask),
                                  Channel(pixel, image->green_mask),
                                  Channel(pixel, image->blue_mask)};
            bool off = false;
            for (int c = 0; c < 3; ++c) {
                const float want = Sample(picture, u - 0.5f, v - 0.5f, c);
                off = off || std::fabs(static_cast<float>(shown[c]) - want) > tolerance;
                screenSum[c] += shown[c];
                pictureSum[c] += want;
            }
            ++counted;
            differing += off;
            gold += IsGold(shown);
            blue += IsBlue(shown);
        }
    }
    XDestroyImage(image);
    if (counted == 0) {
        std::fprintf(stderr, "region holds no screen pixel\n");
        return 2;
    }
    const double k = 1.0 / static_cast<double>(counted);
    std::printf("%.5f %.0f %.0f %.0f %.0f %.0f %.0f %.5f %.5f\n",
                static_cast<double>(differing) * k, screenSum[0] * k, screenSum[1] * k,
                screenSum[2] * k, pictureSum[0] * k, pictureSum[1] * k, pictureSum[2] * k,
                static_cast<double>(gold) * k, static_cast<double>(blue) * k);
    return 0;
}

int Save(Display *display, const char *outPath, const int *n) {
    int x = n[0], y = n[1], w = n[2], h = n[3];
    XImage *image = Grab(display, x, y, w, h);
    FILE *file = image ? std::fopen(outPath, "wb") : nullptr;
    if (file == nullptr) {
        if (image)
            XDestroyImage(image);
        std::fprintf(stderr, "cannot save the screen to %s\n", outPath);
        return 2;
    }
    std::fprintf(file, "P6\n%d %d\n255\n", w, h);
    for (int sy = 0; sy < h; ++sy) {
        for (int sx = 0; sx < w; ++sx) {
            const unsigned long pixel = XGetPixel(image, sx, sy);
            const unsigned char rgb[3] = {
                static_cast<unsigned char>(Channel(pixel, image->red_mask)),
                static_cast<unsigned char>(Channel(pixel, image->green_mask)),
                static_cast<unsigned char>(Channel(pixel, image->blue_mask))};
            std::fwrite(rgb, 1, 3, file);
        }
    }
    std::fclose(file);
    XDestroyImage(image);
    return 0;
}

bool ParseInts(char **text, int count, int *out) {
    for (int i = 0; i < count; ++i) {
        char *end = nullptr;
        out[i] = static_cast<int>(std::strtol(text[i], &end, 10));
        if (end == text[i] || *end != '\0')
            return false;
    }
    return true;
}

} // namespace

int main(int argc, char **argv) {
    const std::string mode = argc > 1 ? argv[1] : "";
    int n[8] = {};
    const bool compare = mode == "compare" && argc == 11 && ParseInts(argv + 3, 8, n);
    const bool save = mode == "save" && argc == 7 && ParseInts(argv + 3, 4, n);
    if (!compare && !save) {
        std::fprintf(stderr,
                     "usage: %s compare <png> <winX> <winY> <winWidth> <x> <y> <w> <h> <tol>\n"
                     "       %s save <out.ppm> <x> <y> <w> <h>\n",
                     argv[0], argv[0]);
        return 2;
    }
    Display *display = XOpenDisplay(nullptr);
    if (display == nullptr) {
        std::fprintf(stderr, "cannot open display\n");
        return 2;
    }
    const int result = compare ? Compare(display, argv[2], n) : Save(display, argv[2], n);
    XCloseDisplay(display);
    return result;
}
