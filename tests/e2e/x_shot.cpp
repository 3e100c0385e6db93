// SPDX-License-Identifier: GPL-3.0-or-later
// Takes a picture of the whole screen of an X display, for the end-to-end suite:
//
//     e2e_xshot <picture.png | -> [<pixels.ppm>]
//
// The PNG is for people to look at ("-" for none); the optional binary PPM is for the driver,
// which reads pixels from it without any image library.

#include <QImage>
#include <QString>
#include <cstdio>
#include <cstring>

// After Qt: Xlib defines macros (Status, None...) that Qt's headers use as names.
// clang-format off
#include <X11/Xlib.h>
#include <X11/Xutil.h>
// clang-format on

int main(int argc, char* argv[]) {
    if (argc < 2 || argc > 3) {
        std::fprintf(stderr, "usage: e2e_xshot <picture.png | -> [<pixels.ppm>]\n");
        return 2;
    }
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr) {
        std::fprintf(stderr, "e2e_xshot: cannot open the display\n");
        return 1;
    }
    const Window root = DefaultRootWindow(display);
    XWindowAttributes attributes;
    XGetWindowAttributes(display, root, &attributes);
    XImage* shot =
        XGetImage(display, root, 0, 0, attributes.width, attributes.height, AllPlanes, ZPixmap);
    if (shot == nullptr) {
        std::fprintf(stderr, "e2e_xshot: cannot read the screen\n");
        XCloseDisplay(display);
        return 1;
    }

    // The masks say where each colour sits in a pixel, whatever the server's depth.
    const auto channel = [](unsigned long pixel, unsigned long mask) {
        if (mask == 0) return 0;
        int shift = 0;
        while (((mask >> shift) & 1UL) == 0) ++shift;
        const unsigned long top = mask >> shift;
        return static_cast<int>(((pixel >> shift) & top) * 255 / top);
    };
    QImage picture(attributes.width, attributes.height, QImage::Format_RGB888);
    for (int y = 0; y < attributes.height; ++y) {
        uchar* row = picture.scanLine(y);
        for (int x = 0; x < attributes.width; ++x) {
            const unsigned long pixel = XGetPixel(shot, x, y);
            row[3 * x] = static_cast<uchar>(channel(pixel, shot->red_mask));
            row[3 * x + 1] = static_cast<uchar>(channel(pixel, shot->green_mask));
            row[3 * x + 2] = static_cast<uchar>(channel(pixel, shot->blue_mask));
        }
    }
    XDestroyImage(shot);
    XCloseDisplay(display);

    const bool wantsPng = std::strcmp(argv[1], "-") != 0;
    if (wantsPng && !picture.save(QString::fromLocal8Bit(argv[1]), "PNG")) {
        std::fprintf(stderr, "e2e_xshot: cannot write %s\n", argv[1]);
        return 1;
    }
    if (argc == 3) {
        std::FILE* out = std::fopen(argv[2], "wb");
        if (out == nullptr) {
            std::fprintf(stderr, "e2e_xshot: cannot write %s\n", argv[2]);
            return 1;
        }
        std::fprintf(out, "P6\n%d %d\n255\n", picture.width(), picture.height());
        for (int y = 0; y < picture.height(); ++y) {
            std::fwrite(picture.constScanLine(y), 3, static_cast<size_t>(picture.width()), out);
        }
        const bool written = std::fclose(out) == 0;
        if (!written) return 1;
    }
    return 0;
}
