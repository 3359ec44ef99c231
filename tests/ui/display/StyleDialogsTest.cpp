#include "AccessibilityCheck.h"
#include "Screenshot.h"
#include "display/CColorSwatch.h"
#include "display/CColorsDlg.h"
#include "display/CFontsDlg.h"
#include "display/CValueTile.h"
#include "display/FontMapping.h"
#include "protocol/Quantity.h"

#include <QApplication>
#include <QCheckBox>
#include <QColorDialog>
#include <QFontDialog>
#include <QFontInfo>
#include <QHBoxLayout>
#include <QLibraryInfo>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QTranslator>
#include <functional>

namespace {

// Runs body on the modal dialog that is up next (one other than notThis).
void whenModal(std::function<void(QWidget*)> body, QWidget* notThis = nullptr) {
    QTimer::singleShot(0, [body = std::move(body), notThis] {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal == nullptr || modal == notThis) {
            whenModal(body, notThis); // not up yet
            return;
        }
        body(modal);
    });
}

void click(QWidget* dialog, const QString& name) {
    QWidget* target = dialog->findChild<QWidget*>(name);
    QVERIFY2(target != nullptr, qPrintable(name));
    QTest::mouseClick(target, Qt::LeftButton);
}

const char* const kCaptions[5] = {"Temperatura", "Wilgotność względna", "Ciśnienie", "Prędkość",
                                  "Kierunek"};
const int kKinds[5] = {3, 7, 5, 6, 4};
const double kValues[5] = {21.4, 45.3, 1013.2, 3.4, 270.0};

} // namespace

class StyleDialogsTest : public QObject {
    Q_OBJECT

private:
    QWidget window;
    std::array<CValueTile*, 5> tiles{};
    QTranslator qtTranslator;

    std::array<TileStyle, 5> styles() const {
        std::array<TileStyle, 5> result;
        for (int i = 0; i < 5; ++i) {
            result[i] = tiles[i]->style();
        }
        return result;
    }

private slots:
    void initTestCase() {
        // Qt's own dialogs in Polish, as the program shows them.
        if (qtTranslator.load(QStringLiteral("qtbase_pl"),
                              QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
            QApplication::installTranslator(&qtTranslator);
        }
        auto* layout = new QHBoxLayout(&window);
        for (int i = 0; i < 5; ++i) {
            tiles[i] = new CValueTile(&window);
            tiles[i]->setMinimumSize(200, 110);
            tiles[i]->setStyle(defaultTileStyle(kAllQuantities[i]));
            tiles[i]->setCaption(QString::fromUtf8(kCaptions[i]));
            tiles[i]->SetKind(kKinds[i], kKinds[i], true);
            tiles[i]->rebuildValueFont();
            tiles[i]->SetValue(kValues[i]);
            layout->addWidget(tiles[i]);
        }
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
    }

    void cleanup() {
        CValueTile::setColourChooser({});
        CValueTile::setFontChooser({});
    }

    void colourChangedAndConfirmedStays() {
        CValueTile::setColourChooser(
            [](QWidget*, Colour) -> std::optional<Colour> { return Colour{0x0000FF00}; });
        const auto before = styles();
        bool ran = false;
        whenModal([&](QWidget* dialog) {
            QCOMPARE(dialog->windowTitle(), QStringLiteral("Kolory"));
            auto* swatch = dialog->findChild<CColorSwatch*>(QStringLiteral("swatchText_RH"));
            QVERIFY(swatch != nullptr);
            // Every swatch shows its tile's colour, not its own grey.
            QCOMPARE(swatch->colour(), before[1].text);
            QCOMPARE(dialog->findChild<CColorSwatch*>(QStringLiteral("swatchBackground_ORIENT"))
                         ->colour(),
                     before[4].background);
            click(dialog, QStringLiteral("swatchText_RH"));
            QCOMPARE(swatch->colour(), Colour{0x0000FF00});
            // The tile shows it at once.
            QCOMPARE(tiles[1]->textColour(), Colour{0x0000FF00});
            QCOMPARE(tiles[1]->grab().toImage().pixelColor(0, 0), QColor(0, 255, 0));
            saveScreenshot(dialog, QStringLiteral("colours_dialog"));
            saveScreenshot(&window, QStringLiteral("colours_preview"));
            ran = true;
            click(dialog, QStringLiteral("okButton"));
        });
        runColorsDialog(&window, tiles);
        QVERIFY(ran);
        auto expected = before;
        expected[1].text = 0x0000FF00;
        QCOMPARE(styles(), expected);
        tiles[1]->setTextColour(before[1].text);
        tiles[1]->repaint();
    }

    void coloursChangedAndCancelledAreAllRestored_data() {
        QTest::addColumn<bool>("closeInsteadOfCancel");
        QTest::newRow("Anuluj") << false;
        QTest::newRow("closed") << true;
    }
    void coloursChangedAndCancelledAreAllRestored() {
        QFETCH(bool, closeInsteadOfCancel);
        Colour next = 0x00010101;
        CValueTile::setColourChooser([&next](QWidget*, Colour) -> std::optional<Colour> {
            next += 0x00101010;
            return next;
        });
        const auto before = styles();
        whenModal([&](QWidget* dialog) {
            for (const char* name :
                 {"swatchBackground_TEMP", "swatchBackground_TEMP", "swatchText_TEMP",
                  "swatchText_SPEED", "swatchBackground_RH", "swatchText_ORIENT",
                  "swatchText_ORIENT", "swatchBackground_PRESS"}) {
                click(dialog, QString::fromLatin1(name));
            }
            QCOMPARE(tiles[0]->backgroundColour(), Colour{0x00212121});
            QVERIFY(styles() != before);
            if (closeInsteadOfCancel) {
                dialog->close();
            } else {
                click(dialog, QStringLiteral("cancelButton"));
            }
        });
        runColorsDialog(&window, tiles);
        QCOMPARE(styles(), before);
        QCOMPARE(tiles[3]->grab().toImage().pixelColor(0, 0),
                 QColor(colourRed(before[3].text), colourGreen(before[3].text),
                        colourBlue(before[3].text)));
    }

    void cancelledChooserChangesNothing() {
        CValueTile::setColourChooser(
            [](QWidget*, Colour) -> std::optional<Colour> { return std::nullopt; });
        const auto before = styles();
        whenModal([&](QWidget* dialog) {
            click(dialog, QStringLiteral("swatchBackground_SPEED"));
            QCOMPARE(dialog->findChild<CColorSwatch*>(QStringLiteral("swatchBackground_SPEED"))
                         ->colour(),
                     before[3].background);
            click(dialog, QStringLiteral("okButton"));
        });
        runColorsDialog(&window, tiles);
        QCOMPARE(styles(), before);
    }

    // Without a mouse: Tab reaches a swatch or sample, Space opens its chooser.
    void swatchesAndSamplesWorkFromTheKeyboard_data() {
        QTest::addColumn<bool>("fonts");
        QTest::addColumn<QString>("target");
        QTest::newRow("colour swatch") << false << "swatchText_RH";
        QTest::newRow("font sample") << true << "sample_PRESS";
    }
    void swatchesAndSamplesWorkFromTheKeyboard() {
        QFETCH(bool, fonts);
        QFETCH(QString, target);
        int chosen = 0;
        CValueTile::setColourChooser([&chosen](QWidget*, Colour c) -> std::optional<Colour> {
            ++chosen;
            return c;
        });
        CValueTile::setFontChooser([&chosen](QWidget*, const QFont& f) -> std::optional<QFont> {
            ++chosen;
            return f;
        });
        bool reached = false;
        whenModal([&](QWidget* dialog) {
            dialog->activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(dialog));
            for (int i = 0; i < 30 && !reached; ++i) {
                QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
                reached = QApplication::focusWidget()->objectName() == target;
            }
            if (reached) {
                saveScreenshot(dialog, fonts ? QStringLiteral("fonts_dialog_keyboard")
                                             : QStringLiteral("colours_dialog_keyboard"));
                QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space);
            }
            click(dialog, QStringLiteral("cancelButton"));
        });
        if (fonts) {
            runFontsDialog(&window, tiles);
        } else {
            runColorsDialog(&window, tiles);
        }
        QVERIFY2(reached, qPrintable(target));
        QCOMPARE(chosen, 1);
    }

    void qtColourDialogIsOffered() {
        // No hook: Qt's own colour dialog, answered like a user would.
        bool chooserSeen = false;
        whenModal([&](QWidget* dialog) {
            whenModal(
                [&](QWidget* chooser) {
                    auto* colourDialog = qobject_cast<QColorDialog*>(chooser);
                    QVERIFY(colourDialog != nullptr);
                    QCOMPARE(colourDialog->currentColor(), QColor(200, 228, 228));
                    QVERIFY(colourDialog->testOption(QColorDialog::DontUseNativeDialog));
                    saveScreenshot(colourDialog, QStringLiteral("colour_chooser"));
                    colourDialog->setCurrentColor(QColor(10, 20, 30));
                    chooserSeen = true;
                    colourDialog->accept();
                    VERIFY_CONTROLS_NAMED(colourDialog);
                },
                dialog);
            click(dialog, QStringLiteral("swatchBackground_SPEED"));
            click(dialog, QStringLiteral("okButton"));
        });
        runColorsDialog(&window, tiles);
        QVERIFY(chooserSeen);
        QCOMPARE(tiles[3]->backgroundColour(), makeColour(10, 20, 30));
        tiles[3]->setBackgroundColour(defaultTileStyle(Quantity::SPEED).background);
        tiles[3]->repaint();
    }

    void fontChosenAndConfirmedStays() {
        CValueTile::setFontChooser([](QWidget*, const QFont& initial) -> std::optional<QFont> {
            QFont chosen(initial);
            chosen.setFamily(QStringLiteral("Liberation Serif"));
            chosen.setPointSize(30);
            chosen.setWeight(QFont::Bold);
            chosen.setItalic(true);
            return chosen;
        });
        const auto before = styles();
        whenModal([&](QWidget* dialog) {
            QCOMPARE(dialog->windowTitle(), QStringLiteral("Czcionki"));
            auto* sample = dialog->findChild<QWidget*>(QStringLiteral("sample_PRESS"));
            QVERIFY(sample != nullptr);
            QCOMPARE(sample->font(), tiles[2]->valueFont());
            click(dialog, QStringLiteral("sample_PRESS"));
            QCOMPARE(sample->font(), tiles[2]->valueFont());
            QVERIFY(sample->font().italic());
            saveScreenshot(dialog, QStringLiteral("fonts_dialog"));
            saveScreenshot(&window, QStringLiteral("fonts_preview"));
            click(dialog, QStringLiteral("okButton"));
        });
        runFontsDialog(&window, tiles);
        const LogFont& press = tiles[2]->style().font;
        QCOMPARE(press.faceName, std::string("Liberation Serif"));
        QCOMPARE(press.height, -40);
        QCOMPARE(press.weight, 700);
        QCOMPARE(press.italic, std::uint8_t{1});
        QCOMPARE(press.charSet, std::uint8_t{238});
        QVERIFY(tiles[2]->valueFont().italic());
        QCOMPARE(tiles[0]->style(), before[0]);
        tiles[2]->ApplyFont(before[2].font);
    }

    void fontsChosenAndCancelledAreRestoredExactly() {
        // Fields Qt does not use must come back too.
        LogFont odd;
        odd.height = 55;
        odd.width = 11;
        odd.escapement = 5;
        odd.orientation = 6;
        odd.underline = 0;
        odd.quality = 4;
        odd.clipPrecision = 2;
        odd.pitchAndFamily = 18;
        odd.italic = 200;
        tiles[4]->ApplyFont(odd);
        const auto before = styles();
        CValueTile::setFontChooser([](QWidget*, const QFont& initial) -> std::optional<QFont> {
            QFont chosen(initial);
            chosen.setPointSize(initial.pointSize() + 6);
            chosen.setItalic(!initial.italic());
            return chosen;
        });
        whenModal([&](QWidget* dialog) {
            for (const char* name :
                 {"sample_TEMP", "sample_ORIENT", "sample_ORIENT", "sample_RH"}) {
                click(dialog, QString::fromLatin1(name));
            }
            QVERIFY(tiles[4]->style().font != odd);
            click(dialog, QStringLiteral("cancelButton"));
        });
        runFontsDialog(&window, tiles);
        QCOMPARE(styles(), before);
        QCOMPARE(tiles[4]->valueFont(), toQFont(odd));
        tiles[4]->ApplyFont(defaultTileStyle(Quantity::ORIENT).font);
    }

    void qtFontDialogIsOfferedWithoutEffects() {
        bool chooserSeen = false;
        whenModal([&](QWidget* dialog) {
            whenModal(
                [&](QWidget* chooser) {
                    auto* fontDialog = qobject_cast<QFontDialog*>(chooser);
                    QVERIFY(fontDialog != nullptr);
                    for (QCheckBox* box : fontDialog->findChildren<QCheckBox*>()) {
                        QVERIFY(!box->isVisible());
                    }
                    saveScreenshot(fontDialog, QStringLiteral("font_chooser"));
                    QFont font = fontDialog->currentFont();
                    // It starts on the tile's font: the stand-in face, upright, normal.
                    QCOMPARE(font.family(), QFontInfo(tiles[3]->valueFont()).family());
                    QVERIFY(!font.italic());
                    QCOMPARE(font.weight(), QFont::Normal);
                    // The dialog offers whole points: within a pixel of the tile's size.
                    QVERIFY(qAbs(font.pointSizeF() * tiles[3]->logicalDpiY() / 72.0 -
                                 tiles[3]->valueFont().pixelSize()) <= 1.0);
                    font.setStyleName(QStringLiteral("Bold"));
                    fontDialog->setCurrentFont(font);
                    chooserSeen = true;
                    fontDialog->accept();
                    VERIFY_CONTROLS_NAMED(fontDialog);
                },
                dialog);
            click(dialog, QStringLiteral("sample_SPEED"));
            click(dialog, QStringLiteral("okButton"));
        });
        runFontsDialog(&window, tiles);
        QVERIFY(chooserSeen);
        QCOMPARE(tiles[3]->style().font.weight, 700);
        tiles[3]->ApplyFont(defaultTileStyle(Quantity::SPEED).font);
    }

    // Qt's font dialog lists whole points: a round trip through it that
    // changes nothing must leave the record as it was, and a change must not
    // drift on the next round trip.
    void qtFontDialogRoundTripsWithoutDrift_data() {
        QTest::addColumn<int>("height");
        QTest::addColumn<int>("weight");
        QTest::addColumn<int>("italic");
        QTest::addColumn<QString>("face");
        QTest::addColumn<int>("points");
        QTest::addColumn<int>("expectedHeight");
        // points 0: OK without a change; else that size is chosen.
        QTest::newRow("default, unchanged") << 60 << 0 << 0 << QString() << 0 << 60;
        QTest::newRow("em height 33 bold, unchanged") << -33 << 700 << 0 << QString() << 0 << -33;
        QTest::newRow("italic byte 255, unchanged") << 48 << 400 << 255 << QString() << 0 << 48;
        QTest::newRow("other face, same size") << 60 << 0 << 0 << "Liberation Serif" << 0 << 60;
        QTest::newRow("31 points") << 60 << 0 << 0 << QString() << 31 << -41;
        QTest::newRow("30 points") << -37 << 0 << 0 << QString() << 30 << -40;
    }
    void qtFontDialogRoundTripsWithoutDrift() {
        QFETCH(int, height);
        QFETCH(int, weight);
        QFETCH(int, italic);
        QFETCH(QString, face);
        QFETCH(int, points);
        QFETCH(int, expectedHeight);
        CValueTile* tile = tiles[0];
        LogFont record;
        record.height = height;
        record.weight = weight;
        record.italic = static_cast<std::uint8_t>(italic);
        record.width = 7;
        record.quality = 3;
        tile->ApplyFont(record);
        const int pixelsBefore = tile->valueFont().pixelSize();

        for (int round = 0; round < 2; ++round) {
            bool chooserSeen = false;
            const bool change = round == 0 && (points > 0 || !face.isEmpty());
            whenModal([&](QWidget* chooser) {
                auto* fontDialog = qobject_cast<QFontDialog*>(chooser);
                QVERIFY(fontDialog != nullptr);
                if (change) {
                    QFont font = fontDialog->currentFont();
                    if (!face.isEmpty()) {
                        font.setFamily(face);
                    }
                    if (points > 0) {
                        font.setPointSize(points);
                    }
                    fontDialog->setCurrentFont(font);
                }
                chooserSeen = true;
                fontDialog->accept();
            });
            tile->PickFont();
            QVERIFY(chooserSeen);
            LogFont expected = record;
            expected.height = expectedHeight;
            if (!face.isEmpty()) {
                expected.faceName = face.toStdString();
            }
            QCOMPARE(tile->style().font.height, expected.height);
            QCOMPARE(tile->style().font, expected);
            if (expectedHeight == height) {
                QCOMPARE(tile->valueFont().pixelSize(), pixelsBefore);
            }
        }
        tile->ApplyFont(defaultTileStyle(Quantity::TEMP).font);
    }
};

QTEST_MAIN(StyleDialogsTest)
#include "StyleDialogsTest.moc"
