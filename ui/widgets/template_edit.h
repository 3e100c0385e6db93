// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QLineEdit>
#include <cstddef>

#include "partory/name_template.h"

// The single-line edit of a part-name template. It keeps and shows its selection while it does
// not have the focus, and getting the focus (Tab included) never selects the whole text.
//
// The engine counts template positions in characters (code points) of UTF-8 text; the edit
// counts UTF-16 units. templateState() and applyTemplateState() translate between the two.
class TemplateLineEdit : public QLineEdit {
    Q_OBJECT
  public:
    explicit TemplateLineEdit(QWidget* parent = nullptr);

    // The text with its selection (or bare caret) as the engine sees them.
    partory::TemplateEdit templateState() const;
    // Puts the engine's text and selection into the edit. The changed stretch is replaced as
    // one edit, so that Undo takes it back.
    void applyTemplateState(const partory::TemplateEdit& state);

  protected:
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

  private:
    void restoreSelection(int anchor, int cursor);
    int anchorPosition() const;
};

// Code points in the first `utf16Index` units of `text` (a surrogate pair counts once).
std::size_t CodePointIndex(const QString& text, int utf16Index);
// The UTF-16 position of code point `codePointIndex` of `text`, the end when beyond it.
int Utf16Index(const QString& text, std::size_t codePointIndex);
