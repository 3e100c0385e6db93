// SPDX-License-Identifier: GPL-3.0-or-later
#include "text/fonts.h"

namespace {

const QString kLiberationSans = QStringLiteral("Liberation Sans");

// The named Windows faces do not exist on a Linux desktop; without the substitutes Qt would
// fall back to whatever fontconfig picks, with other metrics than the layout expects.
void EnsureSubstitutes() {
    static const bool installed = [] {
        InstallFontSubstitutes();
        return true;
    }();
    (void)installed;
}

QFont MakeFont(const QString& family, int pixelSize, bool bold) {
    EnsureSubstitutes();
    QFont font(family);
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(pixelSize);
    font.setBold(bold);
    return font;
}

}  // namespace

void InstallFontSubstitutes() {
    for (const char* family : {"MS Sans Serif", "Microsoft Sans Serif", "Arial"}) {
        QFont::insertSubstitution(QString::fromLatin1(family), kLiberationSans);
    }
}

QFont WindowFont() {
    return MakeFont(QStringLiteral("MS Sans Serif"), 11, false);
}

QFont BoldLabelFont() {
    return MakeFont(QStringLiteral("Microsoft Sans Serif"), 13, true);
}

QFont HeaderFont() {
    return MakeFont(QStringLiteral("Arial"), 21, true);
}

QFont PercentFont() {
    return MakeFont(QStringLiteral("MS Sans Serif"), 11, true);
}
