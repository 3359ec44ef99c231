#pragma once

#include <QDir>
#include <QString>
#include <QWidget>

// Writes a widget's image into $TQ820_SCREENSHOT_DIR (set by CTest) so that
// a person can look at it.
inline void saveScreenshot(QWidget* widget, const QString& name) {
    const QString dir = qEnvironmentVariable("TQ820_SCREENSHOT_DIR");
    if (dir.isEmpty() || widget == nullptr) {
        return;
    }
    QDir().mkpath(dir);
    widget->grab().save(dir + QLatin1Char('/') + name + QStringLiteral(".png"));
}
