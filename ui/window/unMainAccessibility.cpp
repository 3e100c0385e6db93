// SPDX-License-Identifier: GPL-3.0-or-later
// What a screen reader learns of the window's controls beyond their own texts: names for the
// controls that show none, and the label each field is read with.

#include <QAbstractItemView>
#include <QComboBox>
#include <QItemSelectionModel>
#include <QLabel>
#include <utility>

#include "widgets/browse_edit.h"
#include "widgets/image_button.h"
#include "widgets/percent_bar.h"
#include "window/unMain.h"

void TfmMain::nameControlsForAccessibility() {
    // The side buttons show only a glyph: they are named as their hints begin.
    const std::pair<ImageButton*, const char*> glyphButtons[] = {
        {btnCombinedAdd, "Add files..."},    {btnCombinedRemove, "Drop file..."},
        {btnCombinedClear, "Clear list..."}, {btnCombinedReverse, "Reverse order"},
        {btnCombinedMoveUp, "Move up"},      {btnCombinedMoveDown, "Move down"},
    };
    for (const auto& [button, name] : glyphButtons) {
        button->setAccessibleName(QString::fromLatin1(name));
    }
    for (BrowseEdit* edit : {edFromFile, edToFolder, edSaveCombined}) {
        edit->browseButton()->setAccessibleName(QStringLiteral("Browse"));
    }
    edDivideBytes->upButton()->setAccessibleName(QStringLiteral("Step up"));
    edDivideBytes->downButton()->setAccessibleName(QStringLiteral("Step down"));

    // A field is read out with the label beside it, as a sighted user reads it.
    const std::pair<QLabel*, QWidget*> labelled[] = {
        {Label6, edFromFile},  {Label12, edToFolder},     {Label13, edDivideBytes},
        {Label16, edNewNames}, {Label11, edSaveCombined},
    };
    for (const auto& [label, field] : labelled) label->setBuddy(field);
    // The label shows a Cyrillic "а", which a speech synthesizer reads as another letter; a
    // field is read with its label's name.
    const QString fromFile = QStringLiteral("Select a file to divide:");
    Label6->setAccessibleName(fromFile);
    edFromFile->setAccessibleName(fromFile);
    // On Linux Qt names a drop-down list by its current item; this says what the item is.
    boxDivideType->setAccessibleDescription(QStringLiteral("Unit of the part size"));
    // A screen reader sets the list by the action of one of its items, which only selects the
    // item in the closed list: that choice is the list's. While the list is open, selecting
    // only highlights, until Return or a click.
    QComboBox* units = boxDivideType;
    connect(units->view()->selectionModel(), &QItemSelectionModel::selectionChanged, units,
            [units](const QItemSelection& selected) {
                if (units->view()->isVisible() || selected.indexes().isEmpty()) return;
                units->setCurrentIndex(selected.indexes().first().row());
            });
    list->setAccessibleName(QStringLiteral("List of files to be combined"));

    bar->setAccessibleName(QStringLiteral("Job progress"));
    imgDoneOK->setAccessibleName(QStringLiteral("Success"));
    imgDoneError->setAccessibleName(QStringLiteral("Error"));
    imgProductIcon->setAccessibleName(QStringLiteral("Partory"));
}
