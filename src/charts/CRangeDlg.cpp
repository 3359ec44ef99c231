#include "charts/CRangeDlg.h"

#include "widgets/DialogButtons.h"
#include "widgets/PolishMessageBox.h"

#include <QDateTime>
#include <QDateTimeEdit>
#include <QFormLayout>
#include <QLabel>
#include <QVBoxLayout>

CRangeDlg::CRangeDlg(TimeSpan initial, QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("rangeDlg"));
    setWindowTitle(QStringLiteral("Zakres"));
    const QLocale polish(QLocale::Polish, QLocale::Poland);
    const auto edit = [&](std::int64_t t, const char* name) {
        auto* e = new QDateTimeEdit(QDateTime::fromSecsSinceEpoch(t), this);
        e->setObjectName(QString::fromLatin1(name));
        e->setLocale(polish);
        e->setDisplayFormat(QStringLiteral("dd.MM.yyyy HH:mm"));
        e->setCalendarPopup(true);
        e->setMinimumDateTime(QDateTime::fromSecsSinceEpoch(ChartLimits::kEarliest));
        e->setMaximumDateTime(QDateTime::fromSecsSinceEpoch(ChartLimits::kLatest));
        return e;
    };
    from_ = edit(initial.from, "fromEdit");
    to_ = edit(initial.to, "toEdit");
    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("&Od:"), from_);
    form->addRow(QStringLiteral("&Do:"), to_);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(DialogButtons::etchedLine(this));
    layout->addLayout(DialogButtons::okCancelRow(this));
}

TimeSpan CRangeDlg::span() const {
    return sanitized({from_->dateTime().toSecsSinceEpoch(), to_->dateTime().toSecsSinceEpoch()});
}

void CRangeDlg::accept() {
    if (from_->dateTime() >= to_->dateTime()) {
        PolishMessageBox::inform(
            this, QStringLiteral("Początek zakresu musi być wcześniej niż jego koniec."),
            QMessageBox::Warning);
        return;
    }
    QDialog::accept();
}
