#include "fonts.h"

#include <QFontMetrics>
#include <QStringList>
#include <algorithm>
#include <utility>

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

// Fills lines word by word. A word too wide for a line of its own does not move to a new
// line: it starts where it is and breaks wherever a line is full.
QStringList WrapToWidth(const QString& text, const QFont& font, int width) {
    const QFontMetrics metrics(font);
    const auto fits = [&](const QString& line) { return metrics.horizontalAdvance(line) <= width; };
    QStringList lines;
    QString line;
    for (const QString& word : text.split(QLatin1Char(' '))) {
        const QString joined = line.isEmpty() ? word : line + QLatin1Char(' ') + word;
        if (fits(joined)) {
            line = joined;
            continue;
        }
        if (fits(word)) {
            lines << line;
            line = word;
            continue;
        }
        if (!line.isEmpty()) line += QLatin1Char(' ');
        for (qsizetype i = 0; i < word.size();) {
            // A character outside the basic plane is two code units; they stay together.
            const qsizetype units = word.at(i).isHighSurrogate() && i + 1 < word.size() ? 2 : 1;
            const QString piece = word.mid(i, units);
            if (!fits(line + piece) && !line.trimmed().isEmpty()) {
                lines << line.trimmed();
                line.clear();
            }
            line += piece;
            i += units;
        }
    }
    lines << line;
    return lines;
}

// The longest run of characters without a blank: [start, start + length).
std::pair<qsizetype, qsizetype> LongestWord(const QString& text) {
    std::pair<qsizetype, qsizetype> longest{0, 0};
    qsizetype start = 0;
    for (qsizetype i = 0; i <= text.size(); ++i) {
        if (i == text.size() || text.at(i) == QLatin1Char(' ')) {
            if (i - start > longest.second) longest = {start, i - start};
            start = i + 1;
        }
    }
    return longest;
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

QStringList FitToLines(const QString& text, const QFont& font, int width, int maxLines) {
    QStringList lines = WrapToWidth(text, font, width);
    if (lines.size() <= maxLines) return lines;
    // Take out as few characters from the middle of the longest word as makes the text fit.
    const auto [start, length] = LongestWord(text);
    const auto shortened = [&, start = start, length = length](qsizetype removed) {
        const qsizetype from = start + (length - removed) / 2;
        return text.left(from) + QChar(0x2026) + text.mid(from + removed);
    };
    qsizetype low = 1;
    qsizetype high = std::max<qsizetype>(1, length - 2);
    while (low < high) {
        const qsizetype middle = (low + high) / 2;
        if (WrapToWidth(shortened(middle), font, width).size() <= maxLines) {
            high = middle;
        } else {
            low = middle + 1;
        }
    }
    lines = WrapToWidth(shortened(low), font, width);
    return lines.mid(0, maxLines);
}
