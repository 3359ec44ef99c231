#include "display/CValueTile.h"

#include "display/CValueTileAccessible.h"
#include "display/FontMapping.h"
#include "display/ValueFormat.h"

#include <QAccessible>
#include <QApplication>
#include <QCheckBox>
#include <QColorDialog>
#include <QFontDialog>
#include <QFontMetrics>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPaintEvent>
#include <QPainter>
#include <algorithm>

namespace {

QColor toQColor(Colour c) {
    return QColor(colourRed(c), colourGreen(c), colourBlue(c));
}

CValueTile::ColourChooser& colourChooserHook() {
    static CValueTile::ColourChooser chooser;
    return chooser;
}

CValueTile::FontChooser& fontChooserHook() {
    static CValueTile::FontChooser chooser;
    return chooser;
}

// Qt's own colour dialog (not the desktop's, so that Qt's Polish translation
// applies); its custom colours are always shown.
std::optional<Colour> qtColourChooser(QWidget* parent, Colour initial) {
    QColorDialog dialog(toQColor(initial), parent);
    dialog.setOption(QColorDialog::DontUseNativeDialog);
    if (dialog.exec() != QDialog::Accepted) {
        return std::nullopt;
    }
    const QColor chosen = dialog.selectedColor();
    return makeColour(chosen.red(), chosen.green(), chosen.blue());
}

// Qt's font dialog labels its face and style lists and its size field only; a
// screen reader needs every list and field named, so each takes the text of
// the label of its column.
void nameFontDialogControls(QFontDialog& dialog) {
    for (QLabel* label : dialog.findChildren<QLabel*>()) {
        QWidget* buddy = label->buddy();
        if (buddy != nullptr && buddy->accessibleName().isEmpty()) {
            buddy->setAccessibleName(QString(label->text()).remove(QLatin1Char('&')));
        }
    }
    const auto fields = dialog.findChildren<QLineEdit*>(Qt::FindDirectChildrenOnly);
    const auto lists = dialog.findChildren<QListView*>(Qt::FindDirectChildrenOnly);
    for (qsizetype i = 0; i < std::min(fields.size(), lists.size()); ++i) {
        // The field (the size) may have the label instead of its list.
        const QString name = lists[i]->accessibleName().isEmpty() ? fields[i]->accessibleName()
                                                                  : lists[i]->accessibleName();
        for (QWidget* control :
             {static_cast<QWidget*>(fields[i]), static_cast<QWidget*>(lists[i])}) {
            if (control->accessibleName().isEmpty()) {
                control->setAccessibleName(name);
            }
        }
    }
}

// Qt's own font dialog without the effects (underline, strike-out): the tile
// offers face, style and size only.
std::optional<QFont> qtFontChooser(QWidget* parent, const QFont& initial) {
    QFontDialog dialog(initial, parent);
    dialog.setOption(QFontDialog::DontUseNativeDialog);
    nameFontDialogControls(dialog);
    for (QGroupBox* box : dialog.findChildren<QGroupBox*>()) {
        if (!box->findChildren<QCheckBox*>().isEmpty()) {
            box->hide();
        }
    }
    if (dialog.exec() != QDialog::Accepted) {
        return std::nullopt;
    }
    return dialog.selectedFont();
}

// A chooser opened from a tile belongs to whatever modal dialog runs (the
// colours or fonts dialog), else to the tile's window.
QWidget* chooserParent(QWidget* tile) {
    if (QWidget* modal = QApplication::activeModalWidget()) {
        return modal;
    }
    return tile->window();
}

} // namespace

void CValueTile::setColourChooser(ColourChooser chooser) {
    colourChooserHook() = std::move(chooser);
}

void CValueTile::setFontChooser(FontChooser chooser) {
    fontChooserHook() = std::move(chooser);
}

CValueTile::CValueTile(QWidget* parent) : QWidget(parent) {
    static const bool accessibleFactoryInstalled = [] {
        QAccessible::installFactory(&CValueTileAccessible::create);
        return true;
    }();
    Q_UNUSED(accessibleFactoryInstalled)

    // The tile paints every pixel itself and lets the mouse through.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_TransparentForMouseEvents);

    LogFont captionRecord;
    captionRecord.height = 20;
    captionFontObject = toQFont(captionRecord);
    tileStyle.font.height = 60;

    blinkTimer.setInterval(kBlinkPeriodMs);
    connect(&blinkTimer, &QTimer::timeout, this, &CValueTile::onBlinkTimer);
}

CValueTile::~CValueTile() = default;

void CValueTile::SetValue(double value) {
    if (value == currentValue && !noData) {
        return;
    }
    currentValue = value;
    noData = false;
    repaintNow();
    reportAccessibleChanges();
}

void CValueTile::SetNoData() {
    noData = true;
    repaintNow();
    reportAccessibleChanges();
}

void CValueTile::SetKind(int source, int display, bool showUnit) {
    if (source == sourceKindValue && display == displayKindValue && showUnit == unitShown) {
        return;
    }
    sourceKindValue = source;
    displayKindValue = display;
    unitShown = showUnit;
    repaintNow();
    reportAccessibleChanges();
}

void CValueTile::SetBlinking(bool on) {
    if (on) {
        if (!blinkTimer.isActive()) {
            blinkTimer.start();
        }
        return;
    }
    blinkTimer.stop();
    if (blankPhase) {
        blankPhase = false;
        repaintNow();
    }
}

void CValueTile::ApplyFont(const LogFont& font) {
    tileStyle.font = font;
    rebuildValueFont();
    repaintNow();
}

void CValueTile::PickFont() {
    // The description is the source of the value font, so it already says
    // what the font object is; the dialog starts from it.
    const double dpiY = logicalDpiY();
    const QFont current = valueFontBuilt ? valueFontObject : toQFont(tileStyle.font);
    const QFont initial = toDialogFont(current, dpiY);
    QWidget* parent = chooserParent(this);
    const std::optional<QFont> chosen =
        fontChooserHook() ? fontChooserHook()(parent, initial) : qtFontChooser(parent, initial);
    if (!chosen) {
        return;
    }
    // Confirmed without a change: the record stays exactly as it was.
    if (!isSameDialogChoice(*chosen, initial, dpiY)) {
        tileStyle.font = fromQFont(*chosen, tileStyle.font, dpiY);
    }
    rebuildValueFont();
    repaintNow();
}

void CValueTile::pickColour(Colour& target) {
    QWidget* parent = chooserParent(this);
    const std::optional<Colour> chosen =
        colourChooserHook() ? colourChooserHook()(parent, target) : qtColourChooser(parent, target);
    if (chosen) {
        target = *chosen;
    }
    repaintNow();
}

void CValueTile::PickBackgroundColour() {
    pickColour(tileStyle.background);
}

void CValueTile::PickTextColour() {
    pickColour(tileStyle.text);
}

void CValueTile::setCaption(const QString& caption) {
    captionText = caption;
    repaintNow();
    reportAccessibleChanges();
}

void CValueTile::setStyle(const TileStyle& style) {
    tileStyle = style;
}

void CValueTile::rebuildValueFont() {
    valueFontObject = toQFont(tileStyle.font);
    valueFontBuilt = true;
    setFont(valueFontObject);
}

void CValueTile::setBackgroundColour(Colour colour) {
    tileStyle.background = colour;
}

void CValueTile::setTextColour(Colour colour) {
    tileStyle.text = colour;
}

QString CValueTile::displayText() const {
    if (noData) {
        return QStringLiteral("???");
    }
    const FormattedValue formatted =
        formatDisplayValue(convertForDisplay(currentValue, sourceKindValue, displayKindValue),
                           displayKindValue, unitShown);
    return QString::fromStdString(formatted.text);
}

bool CValueTile::hasRaisedTwo() const {
    return !noData && formatDisplayValue(0.0, displayKindValue, unitShown).raisedTwo;
}

QString CValueTile::spokenReading() const {
    return hasRaisedTwo() ? displayText() + QChar(0x00B2) : displayText();
}

QString CValueTile::shownText() const {
    return blankPhase ? QString() : spokenReading();
}

void CValueTile::setDetails(const QStringList& lines) {
    if (lines == detailLines) {
        return;
    }
    detailLines = lines;
    setToolTip(lines.join(QLatin1Char('\n')));
    reportAccessibleChanges();
}

QString CValueTile::describedText() const {
    const QString shown = shownText();
    if (shown.isEmpty() || noData || detailLines.isEmpty()) {
        return shown;
    }
    return shown + QStringLiteral(". ") + detailLines.join(QStringLiteral(". "));
}

void CValueTile::reportAccessibleChanges() {
    // A reader is told of a new reading, not of the blink phases.
    const QString text = noData || detailLines.isEmpty()
                             ? spokenReading()
                             : spokenReading() + detailLines.join(QLatin1Char('\n'));
    const bool captionChanged = captionText != reportedCaption;
    const bool textChanged = text != reportedText;
    reportedCaption = captionText;
    reportedText = text;
    if (!QAccessible::isActive()) {
        return;
    }
    if (captionChanged) {
        QAccessibleEvent event(this, QAccessible::NameChanged);
        QAccessible::updateAccessibility(&event);
    }
    if (textChanged) {
        QAccessibleEvent description(this, QAccessible::DescriptionChanged);
        QAccessible::updateAccessibility(&description);
    }
}

int CValueTile::captionBandHeight() const {
    // One single line of the caption font, whatever the caption says.
    return QFontMetrics(captionFontObject).height();
}

void CValueTile::onBlinkTimer() {
    blankPhase = !blankPhase;
    repaintNow();
}

void CValueTile::repaintNow() {
    repaint();
}

void CValueTile::paintEvent(QPaintEvent*) {
    // Qt's backing store is the off-screen buffer: everything below reaches
    // the screen in one copy once the paint event returns.
    const QColor background = toQColor(tileStyle.background);
    const QColor text = toQColor(tileStyle.text);
    const QRect all = rect();

    QPainter painter(this);
    painter.fillRect(all, background);

    const int bandBottom = captionBandHeight();
    const QRect band(0, 0, all.width(), bandBottom);
    painter.fillRect(band, text);
    painter.setFont(captionFontObject);
    painter.setPen(background);
    painter.drawText(band, Qt::AlignCenter | Qt::TextSingleLine, captionText);

    if (blankPhase) {
        return;
    }

    // Opaque text cells in the background colour, as under the value.
    const QRect valueArea(0, bandBottom, all.width(), all.height() - bandBottom);
    painter.setFont(valueFontBuilt ? valueFontObject : font());
    painter.setPen(text);
    painter.setBackground(background);
    painter.setBackgroundMode(Qt::OpaqueMode);

    if (noData) {
        painter.drawText(valueArea, Qt::AlignCenter | Qt::TextSingleLine, QStringLiteral("???"));
        return;
    }
    const FormattedValue formatted =
        formatDisplayValue(convertForDisplay(currentValue, sourceKindValue, displayKindValue),
                           displayKindValue, unitShown);
    const QString shown = QString::fromStdString(formatted.text);
    if (!formatted.raisedTwo) {
        painter.drawText(valueArea, Qt::AlignCenter | Qt::TextSingleLine, shown);
        return;
    }

    // "W/m" with a raised "2": the whole text with its "2" is measured and
    // centred, the text drawn left-aligned in that box, then the "2" centred
    // 3.5 pixels left of the box's right end and raised by a quarter of the
    // line height. Integer divisions truncate as the layout expects.
    const QFontMetrics metrics(painter.font());
    const int w = metrics.horizontalAdvance(QString::fromStdString(formatted.measureText()));
    const int h = metrics.height();
    const int left = valueArea.left();
    const int top = valueArea.top();
    const int right = left + valueArea.width();
    const int bottom = top + valueArea.height();
    const int cx = (left + right) / 2;
    const int cy = (top + bottom) / 2;
    const QRect textBox(QPoint(cx - w / 2, cy - h / 2), QPoint(cx + w / 2 - 1, cy + h / 2 - 1));
    painter.drawText(
        textBox, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine | Qt::TextDontClip, shown);
    const QRect twoBox(QPoint(cx + w / 2 - 200, cy - 6 * h / 8),
                       QPoint(cx + w / 2 + 193 - 1, cy + 2 * h / 8 - 1));
    painter.drawText(twoBox, Qt::AlignCenter | Qt::TextSingleLine, QStringLiteral("2"));
}
