// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>

// Orders names the way people count: runs of digits compare by their value, so "part_2" comes
// before "part_10"; letters compare without regard to case. Names that differ only in case or
// in leading zeros still get a fixed order (plain code-unit order), so sorting is repeatable.
//
// Returns a negative number, 0 or a positive number as `a` goes before, with or after `b`.
int NaturalCompare(const QString& a, const QString& b);
bool NaturalLess(const QString& a, const QString& b);
// The same names, stably sorted by NaturalLess.
QStringList InNaturalOrder(QStringList names);
