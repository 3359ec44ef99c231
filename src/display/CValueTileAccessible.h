#pragma once

#include <QAccessibleWidget>

class CValueTile;
class QObject;
class QString;

// What a screen reader learns of a value tile: its caption as the name and the
// text the value area shows ("21.5 °C", "???", nothing in the blank phase of
// blinking) as the value, and the same followed by the tile's details (the
// derived values) as the description.
class CValueTileAccessible : public QAccessibleWidget {
public:
    explicit CValueTileAccessible(CValueTile* tile);

    QString text(QAccessible::Text t) const override;

    // The factory for QAccessible::installFactory.
    static QAccessibleInterface* create(const QString& className, QObject* object);

private:
    CValueTile* tile() const;
};
