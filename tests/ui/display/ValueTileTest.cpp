#include "Screenshot.h"
#include "display/CValueTile.h"
#include "display/FontMapping.h"

#include <QAccessible>
#include <QFontInfo>
#include <QFontMetrics>
#include <QImage>
#include <QSignalSpy>
#include <QTest>
#include <limits>

namespace {

QColor qcolour(Colour c) {
    return QColor(colourRed(c), colourGreen(c), colourBlue(c));
}

// Counts the paint events a widget receives.
class PaintCounter : public QObject {
public:
    explicit PaintCounter(QWidget* widget) { widget->installEventFilter(this); }
    int count = 0;

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint) {
            ++count;
        }
        return false;
    }
};

// The rows and columns of the value area that hold pixels of the text colour.
struct Ink {
    QRect bounds;
    int pixels = 0;
};

Ink inkBelow(const QImage& image, int top, QColor colour) {
    Ink ink;
    for (int y = top; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (image.pixelColor(x, y) == colour) {
                ink.bounds |= QRect(x, y, 1, 1);
                ++ink.pixels;
            }
        }
    }
    return ink;
}

} // namespace

class ValueTileTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<CValueTile> makeTile(int kind) {
        auto tile = std::make_unique<CValueTile>();
        tile->resize(360, 160);
        tile->setCaption(QStringLiteral("Temperatura"));
        tile->SetKind(kind, kind, true);
        tile->rebuildValueFont();
        tile->show();
        if (!QTest::qWaitForWindowExposed(tile.get())) {
            qWarning("tile not exposed");
        }
        return tile;
    }

    QImage image(CValueTile& tile) {
        return tile.grab().toImage().convertToFormat(QImage::Format_RGB32);
    }

private slots:
    void newTileShowsBandAndNoData() {
        auto tile = makeTile(3);
        QVERIFY(tile->hasNoData());
        QCOMPARE(tile->displayText(), QStringLiteral("???"));
        const QImage shot = image(*tile);
        saveScreenshot(tile.get(), QStringLiteral("tile_no_data"));
        const int band = tile->captionBandHeight();
        const QColor text = qcolour(0x804000);
        const QColor background = qcolour(0xFFE4CA);
        // The band: text colour from the top to one caption line, full width.
        QCOMPARE(shot.pixelColor(0, 0), text);
        QCOMPARE(shot.pixelColor(shot.width() - 1, band - 1), text);
        QCOMPARE(shot.pixelColor(0, band), background);
        // The caption is written in the background colour inside the band.
        QVERIFY(inkBelow(shot.copy(0, 0, shot.width(), band), 0, background).pixels > 20);
        // "???" in the value area, centred.
        const Ink ink = inkBelow(shot, band, text);
        QVERIFY(ink.pixels > 50);
        QVERIFY(qAbs(ink.bounds.center().x() - shot.width() / 2) <= 3);
        QVERIFY(qAbs(ink.bounds.center().y() - (band + shot.height()) / 2) <= 12);
    }

    void bandIsOneCaptionLineWhateverTheValueFont() {
        auto tile = makeTile(3);
        const int band = tile->captionBandHeight();
        // One line of the 20-pixel Arial cell.
        QVERIFY2(band >= 19 && band <= 23, qPrintable(QString::number(band)));
        LogFont big;
        big.height = 120;
        big.weight = 700;
        tile->ApplyFont(big);
        LogFont tiny;
        tiny.height = 8;
        QCOMPARE(tile->captionBandHeight(), band);
        tile->ApplyFont(tiny);
        QCOMPARE(tile->captionBandHeight(), band);
        const QImage shot = image(*tile);
        QCOMPARE(shot.pixelColor(2, band - 1), qcolour(0x804000));
        QCOMPARE(shot.pixelColor(2, band), qcolour(0xFFE4CA));
    }

    void valueIsFormattedAndCentred() {
        auto tile = makeTile(3);
        tile->SetValue(21.37);
        QCOMPARE(tile->displayText(), QStringLiteral("21.3 °C"));
        saveScreenshot(tile.get(), QStringLiteral("tile_value"));
        const QImage shot = image(*tile);
        const Ink ink = inkBelow(shot, tile->captionBandHeight(), qcolour(0x804000));
        QVERIFY(ink.pixels > 200);
        QVERIFY(qAbs(ink.bounds.center().x() - shot.width() / 2) <= 4);
        // The value font is a 60-pixel cell: its digits are about 43 high.
        QVERIFY2(ink.bounds.height() > 35 && ink.bounds.height() < 60,
                 qPrintable(QString::number(ink.bounds.height())));
    }

    void unknownKindLeavesTheValueAreaEmpty() {
        auto tile = makeTile(0);
        tile->SetValue(12.5);
        QCOMPARE(tile->displayText(), QString());
        const QImage shot = image(*tile);
        QCOMPARE(inkBelow(shot, tile->captionBandHeight(), qcolour(0x804000)).pixels, 0);
    }

    void irradianceHasARaisedTwo() {
        auto tile = makeTile(1);
        tile->SetKind(2, 1, true);
        tile->SetValue(100.0);
        QCOMPARE(tile->displayText(), QStringLiteral("147.0 W/m"));
        QVERIFY(tile->hasRaisedTwo());
        saveScreenshot(tile.get(), QStringLiteral("tile_raised_two"));
        const QImage shot = image(*tile);
        const int band = tile->captionBandHeight();
        const Ink all = inkBelow(shot, band, qcolour(0x804000));
        // The last glyph ("2") reaches higher than the digits before it, by
        // about a quarter of the line height.
        const QImage right = shot.copy(all.bounds.right() - 15, 0, 16, shot.height());
        const QImage left = shot.copy(all.bounds.left(), 0, 30, shot.height());
        const int rightTop = inkBelow(right, band, qcolour(0x804000)).bounds.top();
        const int leftTop = inkBelow(left, band, qcolour(0x804000)).bounds.top();
        const int lineHeight = QFontMetrics(tile->valueFont()).height();
        QVERIFY2(leftTop - rightTop > lineHeight / 8,
                 qPrintable(QStringLiteral("%1 %2").arg(leftTop).arg(rightTop)));
        tile->SetKind(2, 1, false);
        QCOMPARE(tile->displayText(), QStringLiteral("147.0"));
        QVERIFY(!tile->hasRaisedTwo());
    }

    void setValueRepaintsOnlyOnChange() {
        auto tile = makeTile(5);
        PaintCounter paints(tile.get());
        tile->SetValue(1013.2);
        QCOMPARE(paints.count, 1); // at once, before returning
        tile->SetValue(1013.2);
        QCOMPARE(paints.count, 1);
        tile->SetKind(5, 5, true);
        QCOMPARE(paints.count, 1);
        tile->SetNoData();
        QCOMPARE(paints.count, 2);
        tile->SetNoData();
        QCOMPARE(paints.count, 3);
        QCOMPARE(tile->displayText(), QStringLiteral("???"));
        tile->SetValue(1013.2);
        QCOMPARE(paints.count, 4);
        QCOMPARE(tile->displayText(), QStringLiteral("1013.2 hPa"));
        tile->SetKind(5, 5, false);
        QCOMPARE(paints.count, 5);
        QCOMPARE(tile->displayText(), QStringLiteral("1013.2"));
    }

    void blinkingAlternatesAndKeepsTheBand() {
        auto tile = makeTile(3);
        QVERIFY(!tile->isBlinking());
        tile->SetBlinking(true);
        QVERIFY(tile->isBlinking());
        QTRY_VERIFY_WITH_TIMEOUT(tile->blinkPhase(), 2000);
        saveScreenshot(tile.get(), QStringLiteral("tile_blank_phase"));
        QImage shot = image(*tile);
        const int band = tile->captionBandHeight();
        QCOMPARE(inkBelow(shot, band, qcolour(0x804000)).pixels, 0);
        QCOMPARE(shot.pixelColor(1, 1), qcolour(0x804000));
        QVERIFY(inkBelow(shot.copy(0, 0, shot.width(), band), 0, qcolour(0xFFE4CA)).pixels > 20);

        // On again: the same timer runs on and the phase stays.
        tile->SetBlinking(true);
        QVERIFY(tile->isBlinking());
        QVERIFY(tile->blinkPhase());
        QTRY_VERIFY_WITH_TIMEOUT(!tile->blinkPhase(), 2000);
        QTRY_VERIFY_WITH_TIMEOUT(tile->blinkPhase(), 2000);

        // Off in the blank phase: the value comes back at once.
        PaintCounter paints(tile.get());
        tile->SetBlinking(false);
        QVERIFY(!tile->isBlinking());
        QVERIFY(!tile->blinkPhase());
        QCOMPARE(paints.count, 1);
        shot = image(*tile);
        QVERIFY(inkBelow(shot, band, qcolour(0x804000)).pixels > 50);
        // Off while steady: nothing to repaint (the grab above painted once).
        paints.count = 0;
        tile->SetBlinking(false);
        QCOMPARE(paints.count, 0);
    }

    void coloursAndCaptionAreTheTilesOwn() {
        auto tile = makeTile(7);
        tile->setBackgroundColour(0x00FFDAB8);
        tile->setTextColour(0x00643200);
        tile->setCaption(QStringLiteral("Wilgotność względna"));
        tile->SetValue(45.3);
        QCOMPARE(tile->displayText(), QStringLiteral("45.3 %"));
        const QImage shot = image(*tile);
        QCOMPARE(shot.pixelColor(0, 0), qcolour(0x643200));
        QCOMPARE(shot.pixelColor(0, shot.height() - 1), qcolour(0xFFDAB8));
        QVERIFY(tile->testAttribute(Qt::WA_TransparentForMouseEvents));
    }

    // A screen reader hears the caption as the name, what the value area
    // shows as the value, and that followed by the derived values as the description.
    void screenReadersReadCaptionAndShownText_data() {
        QTest::addColumn<int>("source");
        QTest::addColumn<int>("display");
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("shown");
        // The derived values the window adds, and the description they give.
        QTest::addColumn<QStringList>("details");
        QTest::addColumn<QString>("described");
        const QStringList derived{QStringLiteral("Punkt rosy: 9.2 °C"),
                                  QStringLiteral("Temperatura odczuwalna: 21.5 °C")};
        QTest::newRow("temperature") << 3 << 3 << 21.5 << QStringLiteral("21.5 °C") << QStringList()
                                     << QStringLiteral("21.5 °C");
        QTest::newRow("direction") << 4 << 4 << 270.0 << QStringLiteral("270 °") << QStringList()
                                   << QStringLiteral("270 °");
        QTest::newRow("raised two") << 2 << 1 << 100.0 << QStringLiteral("147.0 W/m²")
                                    << QStringList() << QStringLiteral("147.0 W/m²");
        QTest::newRow("no data") << 5 << 5 << qQNaN() << QStringLiteral("???") << QStringList()
                                 << QStringLiteral("???");
        QTest::newRow("unknown kind") << 0 << 0 << 12.5 << QString() << QStringList() << QString();
        QTest::newRow("derived values")
            << 3 << 3 << 21.5 << QStringLiteral("21.5 °C") << derived
            << QStringLiteral("21.5 °C. Punkt rosy: 9.2 °C. Temperatura odczuwalna: 21.5 °C");
        QTest::newRow("no data, no derived values")
            << 3 << 3 << qQNaN() << QStringLiteral("???") << derived << QStringLiteral("???");
    }
    void screenReadersReadCaptionAndShownText() {
        QFETCH(int, source);
        QFETCH(int, display);
        QFETCH(double, value);
        QFETCH(QString, shown);
        QFETCH(QStringList, details);
        QFETCH(QString, described);
        auto tile = makeTile(display);
        tile->SetKind(source, display, true);
        if (!qIsNaN(value)) {
            tile->SetValue(value);
        }
        tile->setDetails(details);
        QCOMPARE(tile->toolTip(), details.join(QLatin1Char('\n')));
        QAccessibleInterface* reader = QAccessible::queryAccessibleInterface(tile.get());
        QVERIFY(reader != nullptr);
        QCOMPARE(reader->role(), QAccessible::StaticText);
        QCOMPARE(reader->text(QAccessible::Name), QStringLiteral("Temperatura"));
        QCOMPARE(reader->text(QAccessible::Description), described);
        QCOMPARE(reader->text(QAccessible::Value), shown);
        // Nothing while the value area is blank.
        tile->SetBlinking(true);
        QTRY_VERIFY_WITH_TIMEOUT(tile->blinkPhase(), 2000);
        QCOMPARE(reader->text(QAccessible::Description), QString());
        QCOMPARE(reader->text(QAccessible::Name), QStringLiteral("Temperatura"));
        tile->SetBlinking(false);
        QCOMPARE(reader->text(QAccessible::Description), described);
    }
};

// LogFont <-> QFont.
class FontMappingTest : public QObject {
    Q_OBJECT

private slots:
    void positiveHeightIsTheCellHeight_data() {
        QTest::addColumn<int>("height");
        QTest::newRow("caption") << 20;
        QTest::newRow("value") << 60;
        QTest::newRow("large") << 150;
    }
    void positiveHeightIsTheCellHeight() {
        QFETCH(int, height);
        LogFont record;
        record.height = height;
        const QFontMetrics metrics(toQFont(record));
        QVERIFY2(qAbs(metrics.ascent() + metrics.descent() - height) <= 2,
                 qPrintable(QString::number(metrics.ascent() + metrics.descent())));
    }

    void fieldsMapToQt() {
        LogFont record;
        record.height = -40;
        record.weight = 0;
        QFont font = toQFont(record);
        QCOMPARE(font.pixelSize(), 40);
        QCOMPARE(font.weight(), QFont::Normal);
        QVERIFY(!font.italic());
        QCOMPARE(font.family(), QStringLiteral("Arial"));
        // fontconfig maps Arial onto a face with its metrics.
        QVERIFY(!QFontInfo(font).family().isEmpty());
        record.weight = 700;
        record.italic = 255;
        record.faceName = "Liberation Serif";
        font = toQFont(record);
        QCOMPARE(font.weight(), QFont::Bold);
        QVERIFY(font.italic());
        QCOMPARE(font.family(), QStringLiteral("Liberation Serif"));
        // Heights edited into the settings file stay within reason.
        record.height = std::numeric_limits<std::int32_t>::min();
        QCOMPARE(toQFont(record).pixelSize(), kMaxFontPixelSize);
        record.height = std::numeric_limits<std::int32_t>::max();
        QCOMPARE(toQFont(record).pixelSize(), kMaxFontPixelSize);
        record.height = 1;
        QCOMPARE(toQFont(record).pixelSize(), 1);
    }

    void confirmingUnchangedKeepsTheRecord_data() {
        QTest::addColumn<int>("height");
        QTest::addColumn<int>("weight");
        QTest::addColumn<int>("italic");
        QTest::newRow("default") << 60 << 0 << 0;
        QTest::newRow("em height, bold") << -33 << 700 << 0;
        QTest::newRow("italic byte 255") << 48 << 400 << 255;
    }
    void confirmingUnchangedKeepsTheRecord() {
        QFETCH(int, height);
        QFETCH(int, weight);
        QFETCH(int, italic);
        LogFont record;
        record.height = height;
        record.weight = weight;
        record.italic = static_cast<std::uint8_t>(italic);
        record.width = 7;
        record.quality = 3;
        record.pitchAndFamily = 34;
        record.charSet = 0;
        const double dpi = 96.0;
        const QFont shown = toDialogFont(toQFont(record), dpi);
        QCOMPARE(fromQFont(shown, record, dpi), record);
    }

    void aChosenFontReplacesOnlyWhatQtKnows() {
        LogFont previous;
        previous.width = 9;
        previous.escapement = 900;
        previous.outPrecision = 4;
        QFont chosen(QStringLiteral("Liberation Serif"));
        chosen.setPointSize(30);
        chosen.setWeight(QFont::Bold);
        chosen.setItalic(true);
        const LogFont record = fromQFont(chosen, previous, 96.0);
        QCOMPARE(record.faceName, std::string("Liberation Serif"));
        QCOMPARE(record.height, -40);
        QCOMPARE(record.weight, 700);
        QCOMPARE(record.italic, std::uint8_t{1});
        QCOMPARE(record.width, 9);
        QCOMPARE(record.escapement, 900);
        QCOMPARE(record.outPrecision, std::uint8_t{4});
        QCOMPARE(record.charSet, std::uint8_t{238});
    }
};

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    int status = 0;
    {
        ValueTileTest tiles;
        status |= QTest::qExec(&tiles, argc, argv);
    }
    {
        FontMappingTest fonts;
        status |= QTest::qExec(&fonts, argc, argv);
    }
    return status;
}

#include "ValueTileTest.moc"
