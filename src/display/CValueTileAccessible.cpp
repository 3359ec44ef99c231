#include "display/CValueTileAccessible.h"

#include "display/CValueTile.h"

CValueTileAccessible::CValueTileAccessible(CValueTile* tile)
    : QAccessibleWidget(tile, QAccessible::StaticText) {}

CValueTile* CValueTileAccessible::tile() const {
    return static_cast<CValueTile*>(widget());
}

QString CValueTileAccessible::text(QAccessible::Text t) const {
    switch (t) {
    case QAccessible::Name:
        return widget()->accessibleName().isEmpty() ? tile()->caption()
                                                    : widget()->accessibleName();
    case QAccessible::Description:
        return tile()->describedText();
    case QAccessible::Value:
        return tile()->shownText();
    default:
        return QAccessibleWidget::text(t);
    }
}

QAccessibleInterface* CValueTileAccessible::create(const QString& className, QObject* object) {
    if (className == QLatin1String("CValueTile") && object != nullptr && object->isWidgetType()) {
        return new CValueTileAccessible(static_cast<CValueTile*>(object));
    }
    return nullptr;
}
