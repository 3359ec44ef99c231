#include "admin/CPanelInfoDlg.h"

#include "admin/AdminTexts.h"
#include "admin/PanelInfoText.h"
#include "protocol/PanelData.h"
#include "widgets/DialogButtons.h"

#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

struct AreaSetup {
    const char* objectName;
    const char* accessibleName;
    int lines; // the most lines its text can have
};

// Top to bottom: the panel, channel 1, channel 2, the remarks.
constexpr std::array<AreaSetup, 4> kAreas{{
    {"panelText", "Panel TQ-820", 4},
    {"channel1Text", "Kanał 1", 2},
    {"channel2Text", "Kanał 2", 2},
    {"remarksText", "Uwagi", 6},
}};

} // namespace

CPanelInfoDlg::CPanelInfoDlg(const PanelData* data, QWidget* parent)
    : CPanelReplyDlg(parent, QString::fromUtf8(AdminTexts::kSettingsUnreadable)), data(data) {
    setObjectName(QStringLiteral("panelInfoDialog"));
    setWindowTitle(QStringLiteral("Informacje o panelu"));

    auto* layout = new QVBoxLayout(this);
    const int lineHeight = fontMetrics().lineSpacing();
    for (std::size_t i = 0; i < areas.size(); ++i) {
        auto* area = new QLabel(this);
        area->setObjectName(QString::fromLatin1(kAreas[i].objectName));
        area->setAccessibleName(QString::fromUtf8(kAreas[i].accessibleName));
        area->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        area->setTextFormat(Qt::PlainText);
        // Serial numbers can be copied from here.
        area->setTextInteractionFlags(Qt::TextSelectableByMouse);
        // Sized for its longest text, so that filling never resizes the dialog.
        area->setMinimumHeight(kAreas[i].lines * lineHeight);
        area->setMinimumWidth(300);
        areas[i] = area;
        layout->addWidget(area);
    }
    layout->addStretch();

    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("okButton"));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    layout->addWidget(DialogButtons::etchedLine(this));
    auto* row = new QHBoxLayout;
    row->addStretch();
    row->addWidget(ok);
    layout->addLayout(row);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

void CPanelInfoDlg::clearForReading() {
    for (QLabel* area : areas) {
        area->clear();
        area->setAccessibleDescription(QString());
    }
}

void CPanelInfoDlg::ShowPanelInfo() {
    if (!takeReply()) {
        return;
    }
    const PanelInfoTexts texts = panelInfoTexts(*data);
    setAreaText(Channel1Area, QString::fromStdString(texts.channel1));
    setAreaText(Channel2Area, QString::fromStdString(texts.channel2));
    setAreaText(PanelArea, QString::fromStdString(texts.panel));
    setAreaText(RemarksArea, QString::fromStdString(texts.remarks));
}

void CPanelInfoDlg::setAreaText(Area area, const QString& text) {
    QLabel* label = areas[area];
    label->setText(text);
    // A screen reader gets the area's title as its name and the text here.
    label->setAccessibleDescription(text);
    label->repaint();
}
