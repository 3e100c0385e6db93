// SPDX-License-Identifier: GPL-3.0-or-later
// Draws every picture of Partory and writes them as PNG files under the resources folder given
// as the argument: the window's pictures into pictures/ (embedded in the program) and the
// desktop icons into icons/ (installed into the icon theme). The PNGs are kept in the source
// tree; draw them again after changing a picture:
//
//     QT_QPA_PLATFORM=offscreen partory_draw_pictures resources
//
// The drawing code lives in pictures/, one file per family of pictures.

#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "pictures/drawing.h"

namespace {

using namespace pictures;

struct Picture {
    // Path under the resources folder, without ".png".
    const char* name;
    int width;
    int height;
    QImage (*draw)();
};

template <int Size>
QImage ProductIcon() {
    return DrawProductIcon(Size);
}
template <int Size>
QImage DesktopIcon() {
    return DrawDesktopIcon(Size);
}

const Picture kPictures[] = {
    {"pictures/new_3d", 315, 30, DrawNew3d},
    {"pictures/new_long", 930, 30, DrawNewLong},
    {"pictures/small_balls", 90, 30, DrawSmallBalls},
    {"pictures/movie", 9213, 30, DrawMovie},
    {"pictures/reversed", 9213, 30, DrawReversed},
    {"pictures/movie_arrows", 207, 136, DrawMovieArrows},
    {"pictures/header_ramp", 1, 142, DrawHeaderRamp},
    {"pictures/product_icon", 48, 48, ProductIcon<48>},
    {"pictures/product_icon_256", 256, 256, ProductIcon<256>},
    {"pictures/badge", 64, 74, DrawBadge},
    {"pictures/ribbon_tails", 64, 34, DrawRibbonTails},
    {"pictures/glyph_left", 12, 11, DrawGlyphLeft},
    {"pictures/glyph_right", 12, 11, DrawGlyphRight},
    {"pictures/glyph_pause", 12, 11, DrawGlyphPause},
    {"pictures/list_glyphs", 96, 16, DrawListGlyphs},
    {"pictures/done_ok", 32, 32, DrawDoneOk},
    {"pictures/done_error", 32, 32, DrawDoneError},
    {"pictures/browse_open", 12, 12, DrawBrowseOpen},
    {"pictures/browse_folder", 12, 12, DrawBrowseFolder},
    {"pictures/browse_save", 12, 12, DrawBrowseSave},
    {"icons/partory_16", 16, 16, DesktopIcon<16>},
    {"icons/partory_32", 32, 32, DesktopIcon<32>},
    {"icons/partory_48", 48, 48, DesktopIcon<48>},
    {"icons/partory_64", 64, 64, DesktopIcon<64>},
    {"icons/partory_128", 128, 128, DesktopIcon<128>},
    {"icons/partory_256", 256, 256, DesktopIcon<256>},
};

// Drawing may differ by a rounding step between processors, so colours within 2 levels match.
bool SamePixels(const QImage& drawn, const QImage& stored) {
    const QImage a = drawn.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    const QImage b = stored.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    for (int y = 0; y < a.height(); ++y) {
        const QRgb* rowA = reinterpret_cast<const QRgb*>(a.constScanLine(y));
        const QRgb* rowB = reinterpret_cast<const QRgb*>(b.constScanLine(y));
        for (int x = 0; x < a.width(); ++x) {
            const QRgb pa = rowA[x], pb = rowB[x];
            if (std::abs(qRed(pa) - qRed(pb)) > 2 || std::abs(qGreen(pa) - qGreen(pb)) > 2 ||
                std::abs(qBlue(pa) - qBlue(pb)) > 2 || std::abs(qAlpha(pa) - qAlpha(pb)) > 2) {
                return false;
            }
        }
    }
    return true;
}

// The ribbons must go on from the badge's last row into the tails' first row at the same
// columns (a slanted edge moves by a fraction of a pixel per row), or they look broken.
bool RibbonsJoin(const QImage& badge, const QImage& tails) {
    int covered = 0;
    for (int x = 0; x < badge.width(); ++x) {
        const int above = qAlpha(badge.pixel(x, badge.height() - 1));
        const int below = qAlpha(tails.pixel(x, 0));
        if (std::abs(above - below) > 96) return false;
        if (above == 255) ++covered;
    }
    return covered > 0;
}

// Compares the pictures in `folder` with what this program draws now.
int CheckFolder(const QDir& folder) {
    int failures = 0;
    for (const Picture& picture : kPictures) {
        const QString path = folder.filePath(QString::fromLatin1(picture.name) + ".png");
        const QImage stored(path);
        if (stored.isNull()) {
            std::fprintf(stderr, "%s: missing or unreadable\n", qPrintable(path));
            ++failures;
        } else if (stored.width() != picture.width || stored.height() != picture.height) {
            std::fprintf(stderr, "%s: %dx%d, expected %dx%d\n", picture.name, stored.width(),
                         stored.height(), picture.width, picture.height);
            ++failures;
        } else if (!SamePixels(picture.draw(), stored)) {
            std::fprintf(stderr, "%s: differs from the drawing code; redraw the pictures\n",
                         picture.name);
            ++failures;
        }
    }
    const QImage badge(folder.filePath("pictures/badge.png"));
    const QImage tails(folder.filePath("pictures/ribbon_tails.png"));
    if (!badge.isNull() && !tails.isNull() && !RibbonsJoin(badge, tails)) {
        std::fprintf(stderr, "badge.png and ribbon_tails.png: the ribbons do not join\n");
        ++failures;
    }
    return failures;
}

int WriteFolder(const QDir& folder) {
    int failures = 0;
    for (const Picture& picture : kPictures) {
        const QImage image = picture.draw();
        const QString path = folder.filePath(QString::fromLatin1(picture.name) + ".png");
        if (image.width() != picture.width || image.height() != picture.height) {
            std::fprintf(stderr, "%s: drawn %dx%d, expected %dx%d\n", picture.name, image.width(),
                         image.height(), picture.width, picture.height);
            ++failures;
            continue;
        }
        if (!QDir().mkpath(QFileInfo(path).path()) || !image.save(path, "PNG")) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
            ++failures;
        }
    }
    return failures;
}

}  // namespace

// partory_draw_pictures <resources>          draws every picture under the folder
// partory_draw_pictures --check <resources>  fails when the pictures there are out of date
int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    const bool check = argc == 3 && std::strcmp(argv[1], "--check") == 0;
    if (argc != 2 && !check) {
        std::fprintf(stderr, "usage: %s [--check] <resources folder>\n", argv[0]);
        return 2;
    }
    const QDir folder(QString::fromLocal8Bit(argv[argc - 1]));
    if (check) return CheckFolder(folder) == 0 ? 0 : 1;
    if (!folder.exists() && !QDir().mkpath(folder.path())) {
        std::fprintf(stderr, "cannot create %s\n", argv[argc - 1]);
        return 1;
    }
    return WriteFolder(folder) == 0 ? 0 : 1;
}