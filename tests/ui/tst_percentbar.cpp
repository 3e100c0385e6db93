// SPDX-License-Identifier: GPL-3.0-or-later
#include <QApplication>
#include <QEvent>
#include <QImage>
#include <QPainter>
#include <QTest>
#include <QWidget>
#include <limits>

#include "pixel_counts.h"
#include "text/fonts.h"
#include "widgets/percent_bar.h"

namespace {

const QColor kBarColor(79, 79, 255);

}  // namespace

class TestPercentBar : public QObject {
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
    void percentBarTextAsATextLayoutPlacesIt_data();
    void percentBarTextAsATextLayoutPlacesIt();
};

void TestPercentBar::cleanup() {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    const QWidgetList left = QApplication::topLevelWidgets();
    QVERIFY2(left.isEmpty(), qPrintable(QString("%1 top-level widget(s) leaked").arg(left.size())));
}

void TestPercentBar::percentBarStartsWithMaximumOne() {
    PercentBar bar;
    QCOMPARE(bar.maximum(), 1);
    QCOMPARE(bar.position(), 0);
    QCOMPARE(bar.percent(), 0);
    bar.SetPosition(5);
    QCOMPARE(bar.position(), 1);
    QCOMPARE(bar.percent(), 100);
}

void TestPercentBar::percentBarMaximumRules_data() {
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

void TestPercentBar::percentBarMaximumRules() {
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

void TestPercentBar::percentBarPositionIsClamped_data() {
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

void TestPercentBar::percentBarPositionIsClamped() {
    QFETCH(qint64, position);
    QFETCH(qint64, expected);
    PercentBar bar;
    bar.SetMaximum(10);
    bar.SetPosition(position);
    QCOMPARE(bar.position(), expected);
}

void TestPercentBar::percentBarRoundsHalfToEven_data() {
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

void TestPercentBar::percentBarRoundsHalfToEven() {
    QFETCH(qint64, maximum);
    QFETCH(qint64, position);
    QFETCH(int, expected);
    PercentBar bar;
    bar.SetMaximum(maximum);
    bar.SetPosition(position);
    QCOMPARE(bar.percent(), expected);
}

void TestPercentBar::percentBarShowsAtFirstWholePercent_data() {
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

void TestPercentBar::percentBarShowsAtFirstWholePercent() {
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

void TestPercentBar::percentBarSamePercentDoesNotRepaint() {
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

void TestPercentBar::percentBarFillWidth_data() {
    QTest::addColumn<int>("percent");
    QTest::addColumn<int>("fillWidth");  // of the 543-pixel inside, rounded down
    QTest::newRow("0%") << 0 << 0;
    QTest::newRow("1%") << 1 << 5;
    QTest::newRow("50%") << 50 << 271;
    QTest::newRow("99%") << 99 << 537;
    QTest::newRow("100%") << 100 << 543;
}

void TestPercentBar::percentBarFillWidth() {
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

void TestPercentBar::percentBarTextInTwoColours() {
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

void TestPercentBar::percentBarTextAsATextLayoutPlacesIt_data() {
    QTest::addColumn<int>("percent");
    QTest::addColumn<bool>("overFill");  // the text's colours: ground on bar, or bar on ground
    QTest::addColumn<int>("fromX");      // compared from here to the inside's end
    QTest::newRow("0%") << 0 << false << 2;
    QTest::newRow("8%") << 8 << false << 1 + 43 + 2;
    QTest::newRow("100%") << 100 << true << 2;
}

// The bar places its text from looked-up glyphs; it must look as QPainter's own layout of the
// same text would, in the same place.
void TestPercentBar::percentBarTextAsATextLayoutPlacesIt() {
    QFETCH(int, percent);
    QFETCH(bool, overFill);
    QFETCH(int, fromX);
    PercentBar bar;
    bar.resize(545, 20);
    bar.SetMaximum(100);
    bar.SetPosition(percent);
    const QImage image = bar.grab().toImage().convertToFormat(QImage::Format_RGB32);
    const QColor ground = bar.palette().color(QPalette::Active, QPalette::Button);

    QImage laidOut(image.size(), QImage::Format_RGB32);
    laidOut.fill(overFill ? kBarColor : ground);
    {
        QPainter painter(&laidOut);
        painter.setFont(PercentFont());
        painter.setPen(overFill ? ground : kBarColor);
        painter.drawText(laidOut.rect(), Qt::AlignCenter | Qt::TextSingleLine,
                         QString::number(percent) + QLatin1Char('%'));
    }
    int differ = 0;
    int textPixels = 0;
    for (int y = 2; y < image.height() - 2; ++y) {
        for (int x = fromX; x < image.width() - 2; ++x) {
            differ += image.pixel(x, y) != laidOut.pixel(x, y);
            textPixels += laidOut.pixelColor(x, y) != (overFill ? kBarColor : ground);
        }
    }
    QVERIFY(textPixels > 20);
    QCOMPARE(differ, 0);
}

QTEST_MAIN(TestPercentBar)
#include "tst_percentbar.moc"
