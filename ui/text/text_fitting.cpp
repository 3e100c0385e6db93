// SPDX-License-Identifier: GPL-3.0-or-later
#include "text/text_fitting.h"

#include <QFontMetrics>
#include <QTextBoundaryFinder>
#include <algorithm>

namespace {

// Where `text` may be cut without cutting a character: between graphemes, so that a
// surrogate pair or a letter with its combining marks stays whole. From 0 to text.size().
QList<qsizetype> GraphemeCuts(const QString& text) {
    QList<qsizetype> cuts{0};
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text);
    while (finder.toNextBoundary() > 0) cuts << finder.position();
    if (cuts.last() != text.size()) cuts << text.size();
    return cuts;
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
        const QList<qsizetype> cuts = GraphemeCuts(word);
        for (qsizetype c = 1; c < cuts.size(); ++c) {
            const QString piece = word.mid(cuts[c - 1], cuts[c] - cuts[c - 1]);
            if (!fits(line + piece) && !line.trimmed().isEmpty()) {
                lines << line.trimmed();
                line.clear();
            }
            line += piece;
        }
    }
    lines << line;
    return lines;
}

}  // namespace

QStringList FitToLines(const QString& text, const QFont& font, int width, int maxLines) {
    QStringList lines = WrapToWidth(text, font, width);
    if (lines.size() <= maxLines) return lines;
    // The quoted name gives way in its middle, blanks and all, so that its start, its end and
    // what follows it (the closing quote, the full stop) stay in sight. Without a quoted name
    // the whole text does.
    qsizetype start = text.indexOf(QLatin1Char('"'));
    qsizetype end = text.lastIndexOf(QLatin1Char('"'));
    if (start < 0 || end <= start) {
        start = 0;
        end = text.size();
    } else {
        ++start;
    }
    const QString name = text.mid(start, end - start);
    const QList<qsizetype> cuts = GraphemeCuts(name);
    const qsizetype graphemes = cuts.size() - 1;
    const auto shortened = [&](qsizetype removed) {
        const qsizetype kept = graphemes - removed;
        const qsizetype head = (kept + 1) / 2;
        const qsizetype tail = kept - head;
        return text.left(start) + name.left(cuts[head]) + QChar(0x2026) +
               name.mid(cuts[graphemes - tail]) + text.mid(end);
    };
    // As few graphemes taken out as make the text fit; at least one kept at either end.
    qsizetype low = 1;
    qsizetype high = std::max<qsizetype>(1, graphemes - 2);
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

QString BreakWordsWiderThan(const QString& text, const QFont& font, int width) {
    const QFontMetrics metrics(font);
    QStringList lines = text.split(QLatin1Char('\n'));
    for (QString& line : lines) {
        QStringList words = line.split(QLatin1Char(' '));
        for (QString& word : words) {
            if (metrics.horizontalAdvance(word) <= width) continue;
            const QList<qsizetype> cuts = GraphemeCuts(word);
            QString broken;
            QString piece;
            for (qsizetype c = 1; c < cuts.size(); ++c) {
                const QString grapheme = word.mid(cuts[c - 1], cuts[c] - cuts[c - 1]);
                if (!piece.isEmpty() && metrics.horizontalAdvance(piece + grapheme) > width) {
                    broken += piece + QLatin1Char('\n');
                    piece.clear();
                }
                piece += grapheme;
            }
            word = broken + piece;
        }
        line = words.join(QLatin1Char(' '));
    }
    return lines.join(QLatin1Char('\n'));
}
