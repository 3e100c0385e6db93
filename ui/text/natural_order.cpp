// SPDX-License-Identifier: GPL-3.0-or-later
#include "text/natural_order.h"

#include <algorithm>

namespace {

bool IsDigit(QChar c) {
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

// Compares the digit runs starting at a[i] and b[j] by value and moves both indexes past them.
// Any number of digits: no conversion that could overflow.
int CompareNumbers(const QString& a, qsizetype& i, const QString& b, qsizetype& j) {
    const auto run = [](const QString& s, qsizetype& at, qsizetype& first) {
        while (at < s.size() && s[at] == QLatin1Char('0')) ++at;
        first = at;
        while (at < s.size() && IsDigit(s[at])) ++at;
        return at - first;
    };
    qsizetype firstA = 0;
    qsizetype firstB = 0;
    const qsizetype lengthA = run(a, i, firstA);
    const qsizetype lengthB = run(b, j, firstB);
    if (lengthA != lengthB) return lengthA < lengthB ? -1 : 1;
    for (qsizetype k = 0; k < lengthA; ++k) {
        const QChar x = a[firstA + k];
        const QChar y = b[firstB + k];
        if (x != y) return x < y ? -1 : 1;
    }
    return 0;
}

}  // namespace

int NaturalCompare(const QString& a, const QString& b) {
    qsizetype i = 0;
    qsizetype j = 0;
    while (i < a.size() && j < b.size()) {
        if (IsDigit(a[i]) && IsDigit(b[j])) {
            if (const int byValue = CompareNumbers(a, i, b, j); byValue != 0) return byValue;
            continue;
        }
        const char16_t x = a[i].toCaseFolded().unicode();
        const char16_t y = b[j].toCaseFolded().unicode();
        if (x != y) return x < y ? -1 : 1;
        ++i;
        ++j;
    }
    if (i < a.size()) return 1;
    if (j < b.size()) return -1;
    // Equal but for case or leading zeros.
    return QString::compare(a, b, Qt::CaseSensitive);
}

bool NaturalLess(const QString& a, const QString& b) {
    return NaturalCompare(a, b) < 0;
}

QStringList InNaturalOrder(QStringList names) {
    std::stable_sort(names.begin(), names.end(), NaturalLess);
    return names;
}
