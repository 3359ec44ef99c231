#include "display/FontMapping.h"

#include <QFontInfo>
#include <QFontMetricsF>
#include <QHash>
#include <algorithm>
#include <cmath>

namespace {

// Cell height over em height of a face: measured at a large size so that
// hinting does not distort the ratio, and only once per face and style, since
// every tile asks for the same few fonts at start-up.
double cellPerEm(const QFont& font) {
    static QHash<QString, double> known;
    const QString key = font.family() + QLatin1Char('/') + QString::number(font.weight()) +
                        QLatin1Char('/') + QString::number(font.italic() ? 1 : 0);
    if (const auto it = known.constFind(key); it != known.constEnd()) {
        return *it;
    }
    QFont probe(font);
    constexpr int probeSize = 1000;
    probe.setPixelSize(probeSize);
    const QFontMetricsF metrics(probe);
    const double cell = metrics.ascent() + metrics.descent();
    const double ratio = cell > 0.0 ? cell / probeSize : 1.0;
    known.insert(key, ratio);
    return ratio;
}

// The size in points, as the font dialog shows it.
double dialogPoints(const QFont& font, double dpiY) {
    if (font.pixelSize() > 0) {
        return dpiY > 0 ? font.pixelSize() * 72.0 / dpiY : 0.0;
    }
    return font.pointSizeF();
}

} // namespace

QFont toQFont(const LogFont& record) {
    QFont font(
        QString::fromUtf8(record.faceName.data(), static_cast<qsizetype>(record.faceName.size())));
    font.setWeight(record.weight <= 0 ? QFont::Normal
                                      : static_cast<QFont::Weight>(std::min(record.weight, 1000)));
    font.setItalic(record.italic != 0);
    font.setUnderline(record.underline != 0);
    font.setStrikeOut(record.strikeOut != 0);
    // A height edited into the settings file may be anything; glyphs
    // beyond a few screen heights would only cost memory.
    const auto clampPixels = [](double pixels) {
        return static_cast<int>(std::lround(std::clamp(pixels, 1.0, double(kMaxFontPixelSize))));
    };
    if (record.height < 0) {
        font.setPixelSize(clampPixels(-static_cast<double>(record.height)));
    } else if (record.height > 0) {
        font.setPixelSize(clampPixels(record.height / cellPerEm(font)));
    }
    return font;
}

LogFont fromQFont(const QFont& font, const LogFont& previous, double dpiY) {
    // A field whose meaning did not change keeps its stored form (height 60
    // stays a cell height, weight 0 stays 0, italic 255 stays 255), so
    // confirming the dialog unchanged leaves the record as it was.
    LogFont record = previous;
    // The dialog names the face that was actually used ("Liberation Sans"
    // for "Arial"); that is no change of face.
    if (font.family() != QFontInfo(toQFont(previous)).family()) {
        const QByteArray face = font.family().toUtf8();
        record.faceName.assign(face.constData(), static_cast<std::size_t>(face.size()));
    }
    // The dialog offers whole points, so the previous size is shown rounded:
    // a size that rounds to the same point is no change of size (converting
    // it back would grow or shrink the font by a pixel at every confirmation).
    const double points = dialogPoints(font, dpiY);
    if (points > 0 && std::lround(points) != std::lround(dialogPoints(toQFont(previous), dpiY))) {
        record.height = -static_cast<int>(std::lround(points * dpiY / 72.0));
    }
    const int previousWeight =
        previous.weight <= 0 ? int(QFont::Normal) : std::min(previous.weight, 1000);
    if (font.weight() != previousWeight) {
        record.weight = font.weight();
    }
    if (font.italic() != (previous.italic != 0)) {
        record.italic = font.italic() ? 1 : 0;
    }
    if (font.underline() != (previous.underline != 0)) {
        record.underline = font.underline() ? 1 : 0;
    }
    if (font.strikeOut() != (previous.strikeOut != 0)) {
        record.strikeOut = font.strikeOut() ? 1 : 0;
    }
    return record;
}

QFont toDialogFont(const QFont& font, double dpiY) {
    // The dialog lists installed faces only: give it the face that stands in
    // for the requested one, or it would preselect some other face.
    QFont result(font);
    // Its style list is matched by name too ("Regular", not "Normal").
    const QFontInfo used(font);
    result.setFamily(used.family());
    result.setStyleName(used.styleName());
    if (font.pixelSize() > 0 && dpiY > 0) {
        result.setPointSizeF(font.pixelSize() * 72.0 / dpiY);
    }
    return result;
}

bool isSameDialogChoice(const QFont& chosen, const QFont& offered, double dpiY) {
    // The dialog names the installed face and style that stand in for the
    // offered font, and lists whole points.
    const QFontInfo shown(offered);
    return chosen.family() == shown.family() && chosen.italic() == shown.italic() &&
           chosen.weight() == shown.weight() && chosen.underline() == offered.underline() &&
           chosen.strikeOut() == offered.strikeOut() &&
           std::lround(dialogPoints(chosen, dpiY)) == std::lround(dialogPoints(offered, dpiY));
}
