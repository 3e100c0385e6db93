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

#include "fonts.h"
#include "widgets/animation_control.h"
#include "widgets/browse_edit.h"
#include "widgets/image_button.h"
#include "widgets/percent_bar.h"
#include "widgets/picture_strip.h"

namespace {

const QColor kBarColor(79, 79, 255);

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

bool Near(const QColor& a, const QColor& b, int tolerance = 24) {
    return qAbs(a.red() - b.red()) <= tolerance && qAbs(a.green() - b.green()) <= tolerance &&
           qAbs(a.blue() - b.blue()) <= tolerance;
}

// Counts the pixels of `area` close to `colour`.
int CountNear(const QImage& image, const QRect& area, const QColor& colour, int tolerance = 24) {
    int n = 0;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            n += Near(image.pixelColor(x, y), colour, tolerance) ? 1 : 0;
        }
    }
    return n;
}

}  // namespace

class TestWidgets : public QObject {
    Q_OBJECT

  private slots:
    void initTestCase() { InstallFontSubstitutes(); }
    void cleanup();

    void percentBarStartsWithMaximumOne();
    void percentBarMaximumRules_data();
    void percentBarMaximumRules();
    void percentBarPositionIsClamped_data();
    void percentBarPositionIsClamped();
    void percentBarRoundsHalfToEven_data();
    void percentBarRoundsHalfToEven();
    void percentBarShowsAtFirstWholePercent_data();
    void percentBarShowsAtFirstWholePercent();
    void percentBarSamePercentDoesNotRepaint();
    void percentBarFillWidth_data();
    void percentBarFillWidth();
    void percentBarTextInTwoColours();

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

// ---- PercentBar -----------------------------------------------------------------------------

void TestWidgets::percentBarStartsWithMaximumOne() {
    PercentBar bar;
    QCOMPARE(bar.maximum(), 1);
    QCOMPARE(bar.position(), 0);
    QCOMPARE(bar.percent(), 0);
    bar.SetPosition(5);
    QCOMPARE(bar.position(), 1);
    QCOMPARE(bar.percent(), 100);
}

void TestWidgets::percentBarMaximumRules_data() {
    QTest::addColumn<qint64>("firstMaximum");
    QTest::addColumn<qint64>("firstPosition");
    QTest::addColumn<qint64>("newMaximum");
    QTest::addColumn<qint64>("expectedMaximum");
    QTest::addColumn<qint64>("expectedPosition");
    QTest::newRow("same maximum ignored")
        << qint64(10) << qint64(7) << qint64(10) << qint64(10) << qint64(7);
    QTest::newRow("zero ignored") << qint64(10) << qint64(7) << qint64(0) << qint64(10)
                                  << qint64(7);
    QTest::newRow("negative ignored")
        << qint64(10) << qint64(7) << qint64(-3) << qint64(10) << qint64(7);
    QTest::newRow("raised keeps position")
        << qint64(10) << qint64(7) << qint64(300) << qint64(300) << qint64(7);
    QTest::newRow("lowered below position")
        << qint64(10) << qint64(7) << qint64(4) << qint64(4) << qint64(4);
    QTest::newRow("lowered above position")
        << qint64(10) << qint64(3) << qint64(4) << qint64(4) << qint64(3);
    QTest::newRow("one after a larger job")
        << qint64(300) << qint64(300) << qint64(1) << qint64(1) << qint64(1);
}

void TestWidgets::percentBarMaximumRules() {
    QFETCH(qint64, firstMaximum);
    QFETCH(qint64, firstPosition);
    QFETCH(qint64, newMaximum);
    QFETCH(qint64, expectedMaximum);
    QFETCH(qint64, expectedPosition);
    PercentBar bar;
    bar.SetMaximum(firstMaximum);
    bar.SetPosition(firstPosition);
    bar.SetMaximum(newMaximum);
    QCOMPARE(bar.maximum(), expectedMaximum);
    QCOMPARE(bar.position(), expectedPosition);
}

void TestWidgets::percentBarPositionIsClamped_data() {
    QTest::addColumn<qint64>("position");
    QTest::addColumn<qint64>("expected");
    QTest::newRow("negative") << qint64(-5) << qint64(0);
    QTest::newRow("most negative") << std::numeric_limits<qint64>::min() << qint64(0);
    QTest::newRow("zero") << qint64(0) << qint64(0);
    QTest::newRow("inside") << qint64(7) << qint64(7);
    QTest::newRow("maximum") << qint64(10) << qint64(10);
    QTest::newRow("above") << qint64(11) << qint64(10);
    QTest::newRow("largest") << std::numeric_limits<qint64>::max() << qint64(10);
}

void TestWidgets::percentBarPositionIsClamped() {
    QFETCH(qint64, position);
    QFETCH(qint64, expected);
    PercentBar bar;
    bar.SetMaximum(10);
    bar.SetPosition(position);
    QCOMPARE(bar.position(), expected);
}

void TestWidgets::percentBarRoundsHalfToEven_data() {
    constexpr qint64 kLargest = std::numeric_limits<qint64>::max();
    QTest::addColumn<qint64>("maximum");
    QTest::addColumn<qint64>("position");
    QTest::addColumn<int>("expected");
    QTest::newRow("1/200 half to even 0") << qint64(200) << qint64(1) << 0;
    QTest::newRow("3/200 half to even 2") << qint64(200) << qint64(3) << 2;
    QTest::newRow("5/200 half to even 2") << qint64(200) << qint64(5) << 2;
    QTest::newRow("1/8 half to even 12") << qint64(8) << qint64(1) << 12;
    QTest::newRow("3/8 half to even 38") << qint64(8) << qint64(3) << 38;
    QTest::newRow("197/200 half to even 98") << qint64(200) << qint64(197) << 98;
    QTest::newRow("199/200 half to even 100") << qint64(200) << qint64(199) << 100;
    // Where 5/1000*100 in floating point is a hair above one half.
    QTest::newRow("5/1000 exact half") << qint64(1000) << qint64(5) << 0;
    QTest::newRow("25/1000 exact half") << qint64(1000) << qint64(25) << 2;
    QTest::newRow("1/3 down") << qint64(3) << qint64(1) << 33;
    QTest::newRow("2/3 up") << qint64(3) << qint64(2) << 67;
    QTest::newRow("1/300 below one") << qint64(300) << qint64(1) << 0;
    QTest::newRow("2/300 one") << qint64(300) << qint64(2) << 1;
    QTest::newRow("zero") << qint64(300) << qint64(0) << 0;
    QTest::newRow("whole") << qint64(300) << qint64(300) << 100;
    QTest::newRow("largest, half") << kLargest << kLargest / 2 << 50;
    QTest::newRow("largest, 1") << kLargest << qint64(1) << 0;
    QTest::newRow("largest, all but one") << kLargest << kLargest - 1 << 100;
    QTest::newRow("largest, whole") << kLargest << kLargest << 100;
    QTest::newRow("large, 7 per cent")
        << qint64(100'000'000'000'000'000) << qint64(7'000'000'000'000'000) << 7;
}

void TestWidgets::percentBarRoundsHalfToEven() {
    QFETCH(qint64, maximum);
    QFETCH(qint64, position);
    QFETCH(int, expected);
    PercentBar bar;
    bar.SetMaximum(maximum);
    bar.SetPosition(position);
    QCOMPARE(bar.percent(), expected);
}

void TestWidgets::percentBarShowsAtFirstWholePercent_data() {
    // A script: R reset at job start, Mn set maximum n, Pn set position n.
    QTest::addColumn<QString>("script");
    QTest::addColumn<bool>("shown");
    QTest::addColumn<int>("drawn");
    QTest::newRow("fresh bar at job start") << "R M300 P0" << false << 0;
    QTest::newRow("300 parts, part 1 is 0%") << "R M300 P0 P1" << false << 0;
    QTest::newRow("300 parts, part 2 is 1%") << "R M300 P0 P1 P2" << true << 1;
    QTest::newRow("300 parts, part 3 still 1%") << "R M300 P0 P1 P2 P3" << true << 1;
    QTest::newRow("one unit comes up full") << "R M1 P0 P1" << true << 100;
    QTest::newRow("empty source never shows") << "R M0 P0" << false << 0;
    QTest::newRow("second job hidden at its start") << "R M1 P0 P1 R M1 P0" << false << 0;
    QTest::newRow("second job, first per cent") << "R M1 P0 P1 R M4 P0 P1" << true << 25;
    QTest::newRow("second job of the same size") << "R M2 P0 P1 P2 R M2 P0 P1" << true << 50;
}

void TestWidgets::percentBarShowsAtFirstWholePercent() {
    QFETCH(QString, script);
    QFETCH(bool, shown);
    QFETCH(int, drawn);
    QWidget page;
    auto* bar = new PercentBar(&page);
    for (const QString& step : script.split(' ')) {
        const qint64 value = step.mid(1).toLongLong();
        switch (step.at(0).toLatin1()) {
            case 'R':
                bar->resetForJob();
                break;
            case 'M':
                bar->SetMaximum(value);
                break;
            case 'P':
                bar->SetPosition(value);
                break;
            default:
                QFAIL("bad script");
        }
    }
    QCOMPARE(!bar->isHidden(), shown);
    QCOMPARE(bar->drawnPercent(), drawn);
}

void TestWidgets::percentBarSamePercentDoesNotRepaint() {
    struct PaintCounter : QObject {
        int paints = 0;
        bool eventFilter(QObject*, QEvent* event) override {
            paints += event->type() == QEvent::Paint ? 1 : 0;
            return false;
        }
    } counter;
    QWidget page;
    page.resize(600, 200);
    auto* bar = new PercentBar(&page);
    bar->setGeometry(8, 96, 545, 20);
    bar->installEventFilter(&counter);
    bar->resetForJob();
    page.show();
    QVERIFY(QTest::qWaitForWindowExposed(&page));
    bar->SetMaximum(300);
    bar->SetPosition(2);
    QTRY_VERIFY(counter.paints > 0);
    QTest::qWait(50);
    const int paintsAtOnePercent = counter.paints;
    bar->SetPosition(3);
    bar->SetPosition(4);
    QTest::qWait(50);
    QCOMPARE(counter.paints, paintsAtOnePercent);
    bar->SetPosition(5);  // 1.67 -> 2 per cent
    QTRY_VERIFY(counter.paints > paintsAtOnePercent);
}

void TestWidgets::percentBarFillWidth_data() {
    QTest::addColumn<int>("percent");
    QTest::addColumn<int>("fillWidth");  // of the 543-pixel inside, rounded down
    QTest::newRow("0%") << 0 << 0;
    QTest::newRow("1%") << 1 << 5;
    QTest::newRow("50%") << 50 << 271;
    QTest::newRow("99%") << 99 << 537;
    QTest::newRow("100%") << 100 << 543;
}

void TestWidgets::percentBarFillWidth() {
    QFETCH(int, percent);
    QFETCH(int, fillWidth);
    PercentBar bar;
    bar.resize(545, 20);
    bar.SetMaximum(100);
    bar.SetPosition(percent);
    QCOMPARE(bar.drawnPercent(), percent);
    const QImage image = bar.grab().toImage();
    const QColor ground = bar.palette().color(QPalette::Active, QPalette::Button);
    const int row = 3;  // above the text
    // The inside starts at x = 1; the fill covers x = 1 .. fillWidth.
    if (fillWidth > 2) QCOMPARE(image.pixelColor(fillWidth - 1, row), kBarColor);
    if (fillWidth < 543) QCOMPARE(image.pixelColor(fillWidth + 2, row), ground);
    int barPixels = 0;
    for (int x = 1; x <= 543; ++x) barPixels += image.pixelColor(x, row) == kBarColor ? 1 : 0;
    // The raised edge takes the fill's first and last columns.
    QCOMPARE(barPixels, qMax(0, fillWidth - 2));
}

void TestWidgets::percentBarTextInTwoColours() {
    PercentBar bar;
    bar.resize(545, 20);
    bar.SetMaximum(2);
    bar.SetPosition(1);
    QCOMPARE(bar.drawnPercent(), 50);
    const QImage image = bar.grab().toImage();
    const QColor ground = bar.palette().color(QPalette::Active, QPalette::Button);
    const int fillEnd = 1 + 271;  // first column past the fill

    const QFontMetrics metrics(PercentFont());
    const int textWidth = metrics.horizontalAdvance(QStringLiteral("50%"));
    const int textLeft = (545 - textWidth) / 2;
    QVERIFY(textLeft < fillEnd && textLeft + textWidth > fillEnd);  // the edge cuts the text
    const QRect overFill(textLeft, 4, fillEnd - 1 - textLeft, 12);
    const QRect overEmpty(fillEnd + 1, 4, textLeft + textWidth - fillEnd - 1, 12);
    // The characters show in the ground colour over the fill and in the bar colour beyond it.
    QVERIFY(CountNear(image, overFill, ground) >= 3);
    QVERIFY(CountNear(image, overEmpty, kBarColor) >= 3);
    // Away from the text the two parts are plain.
    QCOMPARE(CountNear(image, QRect(20, 4, 40, 12), ground), 0);
    QCOMPARE(CountNear(image, QRect(480, 4, 40, 12), kBarColor), 0);
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
