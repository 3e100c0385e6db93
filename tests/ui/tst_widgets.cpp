// SPDX-License-Identifier: GPL-3.0-or-later
#include <QAbstractButton>
#include <QApplication>
#include <QImage>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>
#include <limits>

#include "pixel_counts.h"
#include "text/fonts.h"
#include "widgets/animation_control.h"
#include "widgets/browse_edit.h"
#include "widgets/image_button.h"
#include "widgets/picture_strip.h"

namespace {

// A strip whose frames are solid colours, so a grabbed widget tells which frame it shows.
PictureStrip SolidStrip(const QList<QColor>& colours, QSize frameSize) {
    QPixmap picture(frameSize.width() * colours.size(), frameSize.height());
    QPainter painter(&picture);
    for (int i = 0; i < colours.size(); ++i) {
        painter.fillRect(QRect(QPoint(i * frameSize.width(), 0), frameSize), colours[i]);
    }
    painter.end();
    return PictureStrip(picture, frameSize);
}

QColor PixelOf(QWidget& widget, int x, int y) {
    return widget.grab().toImage().pixelColor(x, y);
}

}  // namespace

class TestWidgets : public QObject {
    Q_OBJECT

  private slots:
    void initTestCase() { InstallFontSubstitutes(); }
    void cleanup();

    void animationStartsOnFirstFrameAndLoops();
    void animationStopRestsOnFirstFrame();
    void animationStartWhileRunningChangesNothing();
    void animationNewStripKeepsRunningFromFirstFrame();
    void animationSameStripChangesNothing();
    void animationNewStripWhileStoppedStaysStopped();
    void animationWithoutPictureDrawsWhite();
    void animationDoubleClick_data();
    void animationDoubleClick();
    void imageButtonDoubleClickIsOneClick_data();
    void imageButtonDoubleClickIsOneClick();

    void imageButtonNeverTakesFocus();
    void imageButtonFaceFollowsMouse();
    void imageButtonFacesScaledToItsSize();
    void imageButtonGlyphBesideCaption_data();
    void imageButtonGlyphBesideCaption();
    void imageButtonDisabledIsGreyed();

    void browseEditRequestsDialog();
    void browseButtonSitsInsideRightEnd();
};

void TestWidgets::cleanup() {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    const QWidgetList left = QApplication::topLevelWidgets();
    QVERIFY2(left.isEmpty(), qPrintable(QString("%1 top-level widget(s) leaked").arg(left.size())));
}

// ---- AnimationControl -----------------------------------------------------------------------

namespace {

const QList<QColor> kFrameColours = {Qt::red, Qt::green, Qt::blue, Qt::yellow};

// The frames the control stands on after each of its ticks.
struct TickLog {
    explicit TickLog(AnimationControl& control) {
        auto* timer = control.findChild<QTimer*>();
        if (timer != nullptr) {
            QObject::connect(timer, &QTimer::timeout, &control,
                             [this, &control] { frames.push_back(control.currentFrame()); });
        }
    }
    std::vector<int> frames;
};

}  // namespace

void TestWidgets::animationStartsOnFirstFrameAndLoops() {
    AnimationControl movie;
    movie.resize(10, 10);
    movie.setInterval(15);
    movie.setStrip("colours", SolidStrip(kFrameColours, QSize(10, 10)));
    TickLog log(movie);
    QVERIFY(!movie.isRunning());
    movie.start();
    QVERIFY(movie.isRunning());
    QCOMPARE(movie.currentFrame(), 0);
    QCOMPARE(PixelOf(movie, 5, 5), QColor(Qt::red));
    QTRY_VERIFY(log.frames.size() >= 6);
    const std::vector<int> first(log.frames.begin(), log.frames.begin() + 6);
    QCOMPARE(first, (std::vector<int>{1, 2, 3, 0, 1, 2}));
}

void TestWidgets::animationStopRestsOnFirstFrame() {
    AnimationControl movie;
    movie.resize(10, 10);
    movie.setInterval(15);
    movie.setStrip("colours", SolidStrip(kFrameColours, QSize(10, 10)));
    movie.start();
    QTRY_VERIFY(movie.currentFrame() != 0);
    QVERIFY(PixelOf(movie, 5, 5) != QColor(Qt::red));
    movie.stop();
    QVERIFY(!movie.isRunning());
    QCOMPARE(movie.currentFrame(), 0);
    QTest::qWait(60);
    QCOMPARE(movie.currentFrame(), 0);
    QCOMPARE(PixelOf(movie, 5, 5), QColor(Qt::red));
}

void TestWidgets::animationStartWhileRunningChangesNothing() {
    AnimationControl movie;
    movie.setInterval(15);
    movie.setStrip("colours", SolidStrip(kFrameColours, QSize(10, 10)));
    movie.start();
    QTRY_VERIFY(movie.currentFrame() != 0);
    const int frame = movie.currentFrame();
    movie.start();
    QCOMPARE(movie.currentFrame(), frame);
    QVERIFY(movie.isRunning());
}

void TestWidgets::animationNewStripKeepsRunningFromFirstFrame() {
    AnimationControl movie;
    movie.resize(10, 10);
    movie.setInterval(15);
    movie.setStrip("movie", SolidStrip(kFrameColours, QSize(10, 10)));
    movie.start();
    QTRY_VERIFY(movie.currentFrame() != 0);
    const QList<QColor> other = {Qt::black, Qt::cyan, Qt::magenta};
    movie.setStrip("reversed", SolidStrip(other, QSize(10, 10)));
    QCOMPARE(movie.stripName(), QString("reversed"));
    QCOMPARE(movie.currentFrame(), 0);
    QCOMPARE(PixelOf(movie, 5, 5), QColor(Qt::black));
    QVERIFY(movie.isRunning());
    TickLog log(movie);
    QTRY_VERIFY(log.frames.size() >= 4);
    const std::vector<int> first(log.frames.begin(), log.frames.begin() + 4);
    QCOMPARE(first, (std::vector<int>{1, 2, 0, 1}));  // the new strip's three frames
}

void TestWidgets::animationSameStripChangesNothing() {
    AnimationControl movie;
    movie.resize(10, 10);
    movie.setInterval(15);
    movie.setStrip("movie", SolidStrip(kFrameColours, QSize(10, 10)));
    movie.start();
    QTRY_VERIFY(movie.currentFrame() != 0);
    const int frame = movie.currentFrame();
    movie.setStrip("movie", SolidStrip({Qt::black, Qt::black}, QSize(10, 10)));
    QCOMPARE(movie.currentFrame(), frame);
    QCOMPARE(PixelOf(movie, 5, 5), kFrameColours[frame]);
    QVERIFY(movie.isRunning());
}

void TestWidgets::animationNewStripWhileStoppedStaysStopped() {
    AnimationControl movie;
    movie.resize(10, 10);
    movie.setInterval(15);
    movie.setStrip("movie", SolidStrip(kFrameColours, QSize(10, 10)));
    movie.setStrip("reversed", SolidStrip({Qt::cyan, Qt::black}, QSize(10, 10)));
    QTest::qWait(50);
    QVERIFY(!movie.isRunning());
    QCOMPARE(movie.currentFrame(), 0);
    QCOMPARE(PixelOf(movie, 5, 5), QColor(Qt::cyan));
}

void TestWidgets::animationWithoutPictureDrawsWhite() {
    AnimationControl movie;
    movie.resize(20, 20);
    movie.setInterval(10);
    movie.setStrip("missing", PictureStrip::load("no_such_picture", QSize(20, 20)));
    movie.start();
    QTest::qWait(40);
    QCOMPARE(movie.currentFrame(), 0);
    QCOMPARE(PixelOf(movie, 10, 10), QColor(Qt::white));
}

namespace {

// A mouse event stamped by hand, sent straight to `widget`.
void SendMouse(QWidget& widget, QEvent::Type type, quint64 stamp) {
    const QPointF spot = widget.rect().center();
    QMouseEvent event(type, spot, widget.mapToGlobal(spot), Qt::LeftButton,
                      type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton,
                      Qt::NoModifier);
    event.setTimestamp(stamp);
    QApplication::sendEvent(&widget, &event);
}

}  // namespace

void TestWidgets::animationDoubleClick_data() {
    QTest::addColumn<bool>("firstPressHere");
    QTest::addColumn<int>("firstPressBefore");  // milliseconds before the double-click
    QTest::addColumn<int>("emitted");
    QTest::newRow("both presses on it") << true << 150 << 1;
    // The second press of a double-click on a button that made way for the animation.
    QTest::newRow("first press elsewhere") << false << 150 << 0;
    QTest::newRow("its own press too long before") << true << 5000 << 0;
}

void TestWidgets::animationDoubleClick() {
    QFETCH(bool, firstPressHere);
    QFETCH(int, firstPressBefore);
    QFETCH(int, emitted);
    AnimationControl movie;
    movie.resize(249, 30);
    QSignalSpy spy(&movie, &AnimationControl::doubleClicked);
    const quint64 stamp = 1'000'000;
    if (firstPressHere) {
        SendMouse(movie, QEvent::MouseButtonPress, stamp - firstPressBefore);
        SendMouse(movie, QEvent::MouseButtonRelease, stamp - firstPressBefore + 50);
    }
    SendMouse(movie, QEvent::MouseButtonDblClick, stamp);
    SendMouse(movie, QEvent::MouseButtonRelease, stamp + 50);
    QCOMPARE(spy.count(), emitted);
}

void TestWidgets::imageButtonDoubleClickIsOneClick_data() {
    QTest::addColumn<int>("refusedFor");  // milliseconds after the first click's release
    QTest::addColumn<int>("secondPressAfter");
    QTest::addColumn<bool>("asDoubleClick");
    QTest::addColumn<int>("clicks");
    QTest::newRow("a double-click") << 0 << 150 << true << 1;
    QTest::newRow("two clicks apart") << 0 << 150 << false << 2;
    QTest::newRow("a press while refused") << 400 << 150 << false << 1;
    QTest::newRow("a press after the refusal") << 400 << 600 << false << 2;
}

void TestWidgets::imageButtonDoubleClickIsOneClick() {
    QFETCH(int, refusedFor);
    QFETCH(int, secondPressAfter);
    QFETCH(bool, asDoubleClick);
    QFETCH(int, clicks);
    ImageButton button;
    button.resize(105, 30);
    QSignalSpy spy(&button, &QAbstractButton::clicked);
    const quint64 stamp = 2'000'000;
    SendMouse(button, QEvent::MouseButtonPress, stamp);
    SendMouse(button, QEvent::MouseButtonRelease, stamp + 50);
    if (refusedFor > 0) button.refuseMousePressesBefore(stamp + 50 + refusedFor);
    SendMouse(button, asDoubleClick ? QEvent::MouseButtonDblClick : QEvent::MouseButtonPress,
              stamp + secondPressAfter);
    SendMouse(button, QEvent::MouseButtonRelease, stamp + secondPressAfter + 50);
    QCOMPARE(spy.count(), clicks);
    // The keyboard and the program are never refused.
    button.refuseMousePressesBefore(std::numeric_limits<quint64>::max());
    button.click();
    QCOMPARE(spy.count(), clicks + 1);
}

// ---- ImageButton ----------------------------------------------------------------------------

void TestWidgets::imageButtonNeverTakesFocus() {
    QWidget window;
    auto* layout = new QVBoxLayout(&window);
    auto* edit = new QLineEdit(&window);
    auto* button = new ImageButton(&window);
    button->setText("Next");
    button->setFaces(SolidStrip({Qt::gray, Qt::lightGray, Qt::darkGray}, QSize(105, 30)));
    button->setFixedSize(105, 30);
    layout->addWidget(edit);
    layout->addWidget(button);
    QSignalSpy clicked(button, &QAbstractButton::clicked);
    int focusOuts = 0;
    struct FocusWatch : QObject {
        int* count;
        explicit FocusWatch(int* c) : count(c) {}
        bool eventFilter(QObject*, QEvent* event) override {
            *count += event->type() == QEvent::FocusOut ? 1 : 0;
            return false;
        }
    } watch(&focusOuts);
    edit->installEventFilter(&watch);

    window.show();
    QApplication::setActiveWindow(&window);
    QVERIFY(QTest::qWaitForWindowActive(&window));
    edit->setFocus();
    QTRY_VERIFY(edit->hasFocus());
    focusOuts = 0;

    QTest::mouseClick(button, Qt::LeftButton, Qt::NoModifier, QPoint(50, 15));
    QCOMPARE(clicked.count(), 1);
    QCOMPARE(QApplication::focusWidget(), edit);
    QCOMPARE(focusOuts, 0);
    QTest::keyClick(&window, Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), edit);  // nowhere else to tab to
}

void TestWidgets::imageButtonFaceFollowsMouse() {
    ImageButton button;
    button.resize(105, 30);
    button.setFaces(SolidStrip({Qt::red, Qt::green, Qt::blue}, QSize(105, 30)));
    QSignalSpy clicked(&button, &QAbstractButton::clicked);
    const QPoint inside(3, 3);
    QCOMPARE(button.faceIndex(), 0);
    QCOMPARE(PixelOf(button, inside.x(), inside.y()), QColor(Qt::red));

    QEnterEvent enter(inside, inside, button.mapToGlobal(inside));
    QApplication::sendEvent(&button, &enter);
    QCOMPARE(button.faceIndex(), 1);
    QCOMPARE(PixelOf(button, inside.x(), inside.y()), QColor(Qt::green));

    QTest::mousePress(&button, Qt::LeftButton, Qt::NoModifier, inside);
    QCOMPARE(button.faceIndex(), 2);
    QCOMPARE(PixelOf(button, inside.x(), inside.y()), QColor(Qt::blue));
    QTest::mouseRelease(&button, Qt::LeftButton, Qt::NoModifier, inside);
    QCOMPARE(clicked.count(), 1);
    QCOMPARE(button.faceIndex(), 1);

    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(&button, &leave);
    QCOMPARE(button.faceIndex(), 0);
    QCOMPARE(PixelOf(button, inside.x(), inside.y()), QColor(Qt::red));
}

void TestWidgets::imageButtonFacesScaledToItsSize() {
    // The start-over button is 313 x 29 with 310 x 30 faces.
    ImageButton button;
    button.resize(313, 29);
    button.setFaces(SolidStrip({Qt::red, Qt::green, Qt::blue}, QSize(310, 30)));
    const QImage image = button.grab().toImage();
    QCOMPARE(image.pixelColor(312, 28), QColor(Qt::red));
    QCOMPARE(image.pixelColor(0, 0), QColor(Qt::red));
}

void TestWidgets::imageButtonGlyphBesideCaption_data() {
    QTest::addColumn<int>("place");
    QTest::addColumn<QString>("caption");
    QTest::newRow("before Back") << int(ImageButton::GlyphPlace::BeforeCaption) << "Back";
    QTest::newRow("after Next") << int(ImageButton::GlyphPlace::AfterCaption) << "Next";
    QTest::newRow("before Continue") << int(ImageButton::GlyphPlace::BeforeCaption) << "Continue";
    QTest::newRow("no caption") << int(ImageButton::GlyphPlace::AfterCaption) << "";
}

void TestWidgets::imageButtonGlyphBesideCaption() {
    QFETCH(int, place);
    QFETCH(QString, caption);
    QPixmap glyph(12, 11);
    glyph.fill(Qt::red);
    ImageButton button;
    button.resize(105, 30);
    button.setFaces(SolidStrip({Qt::white, Qt::white, Qt::white}, QSize(105, 30)));
    button.setText(caption);
    button.setGlyph(glyph, static_cast<ImageButton::GlyphPlace>(place));
    const QImage image = button.grab().toImage();

    const int captionWidth =
        caption.isEmpty() ? 0 : QFontMetrics(WindowFont()).horizontalAdvance(caption);
    const int gap = caption.isEmpty() ? 0 : 10;
    const int groupLeft = (105 - (captionWidth + gap + 12)) / 2;
    const int glyphLeft = place == int(ImageButton::GlyphPlace::BeforeCaption)
                              ? groupLeft
                              : groupLeft + captionWidth + gap;
    int firstRed = -1;
    int lastRed = -1;
    for (int x = 0; x < 105; ++x) {
        if (image.pixelColor(x, 15) == QColor(Qt::red)) {
            if (firstRed < 0) firstRed = x;
            lastRed = x;
        }
    }
    QCOMPARE(firstRed, glyphLeft);
    QCOMPARE(lastRed, glyphLeft + 11);

    // The caption's ink lies on the other side of the 10-pixel gap.
    if (!caption.isEmpty()) {
        const int textLeft =
            place == int(ImageButton::GlyphPlace::BeforeCaption) ? glyphLeft + 12 + 10 : groupLeft;
        const QRect textBox(textLeft, 5, captionWidth, 20);
        QVERIFY(CountNear(image, textBox, Qt::black, 60) > 5);
        const QRect gapBox = place == int(ImageButton::GlyphPlace::BeforeCaption)
                                 ? QRect(glyphLeft + 12, 0, 9, 30)
                                 : QRect(glyphLeft - 9, 0, 8, 30);
        QCOMPARE(CountNear(image, gapBox, Qt::black, 120), 0);
    }
}

void TestWidgets::imageButtonDisabledIsGreyed() {
    QPixmap glyph(12, 11);
    glyph.fill(Qt::blue);
    ImageButton button;
    button.resize(105, 30);
    button.setFaces(SolidStrip({Qt::white, Qt::green, Qt::red}, QSize(105, 30)));
    button.setText("Back");
    button.setGlyph(glyph, ImageButton::GlyphPlace::BeforeCaption);
    button.setEnabled(false);
    QEnterEvent enter(QPointF(3, 3), QPointF(3, 3), QPointF(3, 3));
    QApplication::sendEvent(&button, &enter);
    QCOMPARE(button.faceIndex(), 0);
    const QImage image = button.grab().toImage();
    QCOMPARE(CountNear(image, image.rect(), Qt::blue, 40), 0);
    QCOMPARE(CountNear(image, image.rect(), Qt::black, 60), 0);
    QVERIFY(CountNear(image, image.rect(), QColor(128, 128, 128), 16) > 12 * 11);
}

// ---- BrowseEdit -----------------------------------------------------------------------------

void TestWidgets::browseEditRequestsDialog() {
    QWidget window;
    auto* layout = new QVBoxLayout(&window);
    auto* other = new QLineEdit(&window);
    auto* edit = new BrowseEdit(BrowseEdit::Kind::OpenFile, &window);
    layout->addWidget(other);
    layout->addWidget(edit);
    QSignalSpy requested(edit, &BrowseEdit::browseRequested);
    window.show();
    QApplication::setActiveWindow(&window);
    QVERIFY(QTest::qWaitForWindowActive(&window));

    other->setFocus();
    QTRY_VERIFY(other->hasFocus());
    QTest::mouseClick(edit->browseButton(), Qt::LeftButton, Qt::NoModifier,
                      edit->browseButton()->rect().center());
    QCOMPARE(requested.count(), 1);
    // The focus goes to the button's own edit (where the dialog handler puts it anyway),
    // never to the button.
    QCOMPARE(QApplication::focusWidget(), edit);
    QVERIFY(!edit->browseButton()->hasFocus());

    edit->setFocus();
    QTRY_VERIFY(edit->hasFocus());
    QTest::mouseClick(edit->browseButton(), Qt::LeftButton, Qt::NoModifier,
                      edit->browseButton()->rect().center());
    QCOMPARE(requested.count(), 2);
    QCOMPARE(QApplication::focusWidget(), edit);

    QTest::mouseDClick(edit, Qt::LeftButton, Qt::NoModifier, QPoint(10, edit->height() / 2));
    QCOMPARE(requested.count(), 3);
    QTest::mouseDClick(edit, Qt::RightButton, Qt::NoModifier, QPoint(10, edit->height() / 2));
    QCOMPARE(requested.count(), 3);
}

void TestWidgets::browseButtonSitsInsideRightEnd() {
    BrowseEdit edit(BrowseEdit::Kind::Folder);
    edit.resize(300, 21);
    edit.show();
    QVERIFY(QTest::qWaitForWindowExposed(&edit));
    const QRect button = edit.browseButton()->geometry();
    QCOMPARE(button.width(), 18);
    QVERIFY(button.right() < edit.width());
    QVERIFY(button.left() >= edit.width() - 18 - 3);
    QVERIFY(button.top() >= 0 && button.bottom() < edit.height());
    QVERIFY(edit.textMargins().right() >= 18);
    edit.resize(200, 21);
    QCOMPARE(edit.browseButton()->geometry().right(), button.right() - 100);
}

QTEST_MAIN(TestWidgets)
#include "tst_widgets.moc"
