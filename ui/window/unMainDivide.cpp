// SPDX-License-Identifier: GPL-3.0-or-later
// The divide page: the controls that hold the settings of a divide job, the proposals made when
// a source file is picked, the insert buttons of the name template and the size field's rules.

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QRegularExpression>
#include <QTimer>
#include <QUrl>
#include <functional>
#include <optional>
#include <string>

#include "partory/name_template.h"
#include "partory/paths.h"
#include "platform/user_dialogs.h"
#include "text/fonts.h"
#include "widgets/browse_edit.h"
#include "widgets/image_button.h"
#include "widgets/page_labels.h"
#include "window/unMain.h"

namespace {

// The test made when the focus leaves the size field: leading blanks, an optional sign,
// digits with at most one ".", an optional exponent, and nothing after.
bool IsSizeText(const QString& text) {
    static const QRegularExpression kNumber(
        QStringLiteral(R"(^ *[+-]?([0-9]+\.?[0-9]*|\.[0-9]+)([eE][+-]?[0-9]+)?$)"));
    return kNumber.match(text).hasMatch();
}

// Lets a field take one file (or one folder) dragged from the file manager. Other drags with
// addresses are refused, so that an address never lands in the field as text; plain text
// drags are left to the field.
class PathDropFilter : public QObject {
  public:
    enum class Takes { File, Folder };

    PathDropFilter(QLineEdit* field, Takes takes, std::function<void(const QString&)> dropped)
        : QObject(field), takes_(takes), dropped_(std::move(dropped)) {
        field->setAcceptDrops(true);
        field->installEventFilter(this);
    }

  protected:
    bool eventFilter(QObject*, QEvent* event) override {
        const QEvent::Type type = event->type();
        if (type != QEvent::DragEnter && type != QEvent::DragMove && type != QEvent::Drop) {
            return false;
        }
        auto* drag = static_cast<QDropEvent*>(event);
        if (drag->mimeData() == nullptr || !drag->mimeData()->hasUrls()) return false;
        const QString path = droppedPath(*drag->mimeData());
        if (path.isEmpty()) {
            drag->ignore();
            return true;
        }
        drag->setDropAction(Qt::CopyAction);
        drag->accept();
        if (type == QEvent::Drop) dropped_(path);
        return true;
    }

  private:
    QString droppedPath(const QMimeData& data) const {
        const QList<QUrl> urls = data.urls();
        if (urls.size() != 1 || !urls.first().isLocalFile()) return QString();
        const QString path = QDir::cleanPath(urls.first().toLocalFile());
        const QFileInfo info(path);
        const bool fits = takes_ == Takes::File ? info.isFile() : info.isDir();
        return fits ? QDir::toNativeSeparators(path) : QString();
    }

    Takes takes_;
    std::function<void(const QString&)> dropped_;
};

}  // namespace

// A text the check left as it was keeps the field's cursor and selection.
void WriteBack(QLineEdit* field, const std::string& tidied) {
    const QString text = QString::fromStdString(tidied);
    if (field->text() != text) field->setText(text);
}

void TfmMain::createDividePage() {
    QWidget* page = pnlDivide;
    Label5 = PageLabel(page, "Label5", QStringLiteral("Step 3: Specify job details:"), 8, 10, true);
    // The one-letter word is the Cyrillic small letter a.
    Label6 =
        PageLabel(page, "Label6", QStringLiteral("Select \u0430 file to divide:"), 8, 40, false);

    edFromFile = new BrowseEdit(BrowseEdit::Kind::OpenFile, page);
    edFromFile->setObjectName(QStringLiteral("edFromFile"));
    edFromFile->setGeometry(146, 37, 407, 21);
    edFromFile->setToolTip(QStringLiteral("Double-click to open dialog\n(Ctrl + O)"));

    Label12 =
        PageLabel(page, "Label12", QStringLiteral("Select the destination folder:"), 8, 67, false);
    // The substitute face runs wider than the one the page was laid out for: at its natural
    // spacing the caption's colon would run into the field at 146.
    QFont condensed = Label12->font();
    condensed.setLetterSpacing(QFont::PercentageSpacing, 97);
    Label12->setFont(condensed);
    Label12->adjustSize();
    edToFolder = new BrowseEdit(BrowseEdit::Kind::Folder, page);
    edToFolder->setObjectName(QStringLiteral("edToFolder"));
    edToFolder->setGeometry(146, 64, 407, 21);
    edToFolder->setToolTip(QStringLiteral("Double-click to open dialog"));

    Label13 = PageLabel(page, "Label13", QStringLiteral("Size of new file parts:"), 8, 94, false);
    // Starts at its minimum, 1, shown as 1.00.
    edDivideBytes = new SizeSpinEdit(page);
    edDivideBytes->setObjectName(QStringLiteral("edDivideBytes"));
    edDivideBytes->setGeometry(146, 91, 95, 21);

    boxDivideType = new QComboBox(page);
    boxDivideType->setObjectName(QStringLiteral("boxDivideType"));
    boxDivideType->addItems({QStringLiteral("Kbytes"), QStringLiteral("bytes")});
    boxDivideType->setCurrentIndex(0);
    boxDivideType->setGeometry(253, 91, 95, 21);

    Label16 = PageLabel(page, "Label16",
                        QStringLiteral("Step 4: Specify how new file parts will be named:"), 8, 131,
                        true);
    edNewNames = new TemplateLineEdit(page);
    edNewNames->setObjectName(QStringLiteral("edNewNames"));
    edNewNames->setGeometry(8, 152, 545, 21);

    const PictureStrip faces = strip(QStringLiteral("new_3d"));
    const auto insertButton = [&](const char* name, const QString& caption, int left, int tag) {
        auto* button = new ImageButton(page);
        button->setObjectName(QString::fromLatin1(name));
        button->setText(caption);
        button->setFaces(faces);
        button->setTag(tag);
        button->setGeometry(left, 178, 105, 30);
        return button;
    };
    btnDivide_AddName = insertButton("btnDivide_AddName", QStringLiteral("Add file name"), 7, 1);
    btnDivide_AddExtension =
        insertButton("btnDivide_AddExtension", QStringLiteral("Add file extension"), 117, 2);

    boxUpperCase = new QCheckBox(QStringLiteral("Use UPPER case"), page);
    boxUpperCase->setObjectName(QStringLiteral("boxUpperCase"));
    boxUpperCase->setGeometry(229, 186, 204, 17);
    boxUpperCase->setChecked(true);

    btnDivide_AddCounter =
        insertButton("btnDivide_AddCounter", QStringLiteral("Add counter"), 450, 3);
    btnDivide_AddCounter->setToolTip(QStringLiteral("Add [COUNTER]"));

    Label17 = PageLabel(page, "Label17", QStringLiteral("Counter: 1, 2, 3, etc."), 455, 208, false);
    Label4 = PageLabel(page, "Label4", QStringLiteral("Step 5:"), 8, 227, true);
    Label3 = PageLabel(page, "Label3",
                       QStringLiteral("Click \"Start\" after you have completed the steps above"),
                       8, 244, false);

    AlignWithFieldText(Label6, *edFromFile);
    AlignWithFieldText(Label12, *edToFolder);
    AlignWithFieldText(Label13, *edDivideBytes);

    setTabOrder(edFromFile, edToFolder);
    setTabOrder(edToFolder, edDivideBytes);
    setTabOrder(edDivideBytes, boxDivideType);
    setTabOrder(boxDivideType, edNewNames);
    setTabOrder(edNewNames, boxUpperCase);

    connect(edFromFile, &BrowseEdit::browseRequested, this, &TfmMain::edFromFileDblClick);
    connect(edToFolder, &BrowseEdit::browseRequested, this, &TfmMain::edToFolderDblClick);
    connect(edFromFile, &QLineEdit::textChanged, this, &TfmMain::edFromFileChange);
    connect(edDivideBytes, &SizeSpinEdit::exited, this, &TfmMain::edDivideBytesExit);
    for (ImageButton* button : {btnDivide_AddName, btnDivide_AddExtension, btnDivide_AddCounter}) {
        connect(button, &ImageButton::clicked, this, &TfmMain::btnDivide_AddNameClick);
    }

    // A file dropped from the file manager counts as picked in the dialog; a folder dropped on
    // the destination field as chosen in its dialog.
    new PathDropFilter(edFromFile, PathDropFilter::Takes::File, [this](const QString& path) {
        edFromFile->setFocus();
        edFromFile->setText(path);
        edFromFileDlgChange();
    });
    new PathDropFilter(edToFolder, PathDropFilter::Takes::Folder, [this](const QString& path) {
        edToFolder->setFocus();
        edToFolder->setText(path);
    });
}

void TfmMain::edFromFileDblClick() {
    edFromFile->setFocus();
    const QString chosen = dialogs_.openFile(this);
    if (chosen.isEmpty()) return;
    edFromFile->setText(QDir::toNativeSeparators(chosen));
    edFromFileDlgChange();
}

void TfmMain::edFromFileDlgChange() {
    const std::string source = edFromFile->text().toStdString();
    edToFolder->setText(QString::fromStdString(partory::FolderPart(source)));
    const std::optional<partory::TemplateEdit> built = partory::BuildDefaultTemplate(
        source, edNewNames->templateState(), boxUpperCase->isChecked());
    if (built) edNewNames->applyTemplateState(*built);
    edToFolder->setFocus();
}

void TfmMain::edFromFileChange() {
    const std::string source = edFromFile->text().toStdString();
    // A blank source keeps the hints of the last real one.
    if (partory::TrimBlanks(source).empty()) return;
    const auto hint = [](const std::string& piece) {
        return piece.empty() ? QString()
                             : QStringLiteral("Add \"%1\"").arg(QString::fromStdString(piece));
    };
    btnDivide_AddName->setToolTip(hint(partory::GetFileNameOnly(source)));
    btnDivide_AddExtension->setToolTip(hint(partory::GetFileExtension(source)));
}

void TfmMain::edToFolderDblClick() {
    edToFolder->setFocus();
    const QString chosen = dialogs_.browseFolder(this, edToFolder->text());
    if (!chosen.isEmpty()) edToFolder->setText(QDir::toNativeSeparators(chosen));
}

void TfmMain::btnDivide_AddNameClick() {
    const auto* button = qobject_cast<const ImageButton*>(sender());
    if (button == nullptr || button->tag() < 1 || button->tag() > 3) return;
    const std::optional<partory::TemplateEdit> inserted = partory::InsertTemplatePiece(
        static_cast<partory::TemplatePiece>(button->tag()), edFromFile->text().toStdString(),
        edNewNames->templateState(), boxUpperCase->isChecked());
    if (!inserted) return;
    edNewNames->applyTemplateState(*inserted);
    edNewNames->setFocus();
}

void TfmMain::edDivideBytesExit() {
    QString text = edDivideBytes->text();
    if (!text.contains(QLatin1Char('.'))) {
        text += QStringLiteral(".00");
        edDivideBytes->setText(text);
    }
    if (IsSizeText(text)) return;
    // Not a number: back into the field, without a word. Queued, since the focus is still on
    // its way to the other control.
    QTimer::singleShot(0, edDivideBytes, [this] {
        if (edDivideBytes->isVisible() && !edDivideBytes->hasFocus()) edDivideBytes->setFocus();
    });
}

double TfmMain::divideBytesValue() const {
    return edDivideBytes->value();
}

partory::DivideSettings TfmMain::readDivideSettings() const {
    partory::DivideSettings settings;
    settings.SourcePath = edFromFile->text().toStdString();
    settings.DestinationFolder = edToFolder->text().toStdString();
    settings.NameTemplate = edNewNames->text().toStdString();
    settings.PartSizeValue = divideBytesValue();
    settings.Unit =
        boxDivideType->currentIndex() == 1 ? partory::SizeUnit::Bytes : partory::SizeUnit::Kbytes;
    settings.UpperCase = boxUpperCase->isChecked();
    return settings;
}

void TfmMain::writeBackDivideSettings(const partory::DivideSettings& settings) {
    WriteBack(edFromFile, settings.SourcePath);
    WriteBack(edToFolder, settings.DestinationFolder);
    WriteBack(edNewNames, settings.NameTemplate);
}
