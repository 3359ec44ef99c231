#include "admin/CDateTimeDlg.h"

#include "admin/AdminTexts.h"
#include "admin/PanelClock.h"
#include "protocol/PanelData.h"
#include "widgets/DateTimeConversion.h"
#include "widgets/DialogButtons.h"

#include <QCalendarWidget>
#include <QDateTime>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QTimeEdit>
#include <QVBoxLayout>

CDateTimeDlg::CDateTimeDlg(const PanelData* data, QWidget* parent)
    : CPanelReplyDlg(parent, QString::fromUtf8(AdminTexts::kClockUnreadable)), data(data),
      calendar(new QCalendarWidget(this)), timeEdit(new QTimeEdit(this)),
      nowButton(new QPushButton(QStringLiteral("Aktualny"), this)) {
    setObjectName(QStringLiteral("dateTimeDialog"));
    setWindowTitle(QStringLiteral("Data i czas"));
    const QLocale polish(QLocale::Polish, QLocale::Poland);

    auto* dateLabel = new QLabel(QStringLiteral("Data:"), this);
    calendar->setObjectName(QStringLiteral("calendar"));
    calendar->setAccessibleName(QStringLiteral("Data"));
    calendar->setLocale(polish);
    calendar->setFirstDayOfWeek(polish.firstDayOfWeek());
    calendar->setVerticalHeaderFormat(QCalendarWidget::NoVerticalHeader);
    calendar->setGridVisible(false);
    dateLabel->setBuddy(calendar);

    auto* timeLabel = new QLabel(QStringLiteral("Czas:"), this);
    timeEdit->setObjectName(QStringLiteral("timeEdit"));
    timeEdit->setAccessibleName(QStringLiteral("Czas"));
    timeEdit->setLocale(polish);
    timeEdit->setDisplayFormat(QStringLiteral("HH:mm:ss"));
    timeLabel->setBuddy(timeEdit);
    nowButton->setObjectName(QStringLiteral("nowButton"));
    nowButton->setAutoDefault(false);
    connect(nowButton, &QPushButton::clicked, this, [this] {
        const QDateTime now = QDateTime::currentDateTime();
        showDateTime(now.date(), now.time());
    });

    auto* grid = new QGridLayout;
    grid->addWidget(dateLabel, 0, 0);
    grid->addWidget(calendar, 1, 0, 3, 1);
    grid->addWidget(timeLabel, 0, 1);
    grid->addWidget(timeEdit, 1, 1, Qt::AlignTop);
    grid->addWidget(nowButton, 2, 1, Qt::AlignTop);
    grid->setRowStretch(3, 1);
    grid->setColumnMinimumWidth(1, 110);
    grid->setHorizontalSpacing(14);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addWidget(DialogButtons::etchedLine(this));
    layout->addLayout(DialogButtons::okCancelRow(this));
    layout->setSizeConstraint(QLayout::SetFixedSize);
    okButton = findChild<QPushButton*>(QStringLiteral("okButton"));
    cancelButton = findChild<QPushButton*>(QStringLiteral("cancelButton"));
}

void CDateTimeDlg::clearForReading() {
    // While the clock is read the controls show the computer's date and
    // time, never what the last opening left in them.
    const QDateTime now = QDateTime::currentDateTime();
    showDateTime(now.date(), now.time());
    setControlsEnabled(false);
}

void CDateTimeDlg::ShowPanelClock() {
    if (!takeReply()) {
        return;
    }
    const QDateTime now = QDateTime::currentDateTime();
    const std::optional<DateTimeRecord> shown =
        panelClockShown(toDateTimeRecord(now.date(), now.time()), data->clock);
    // A clock the controls cannot show (month 13, 30 February, hour 25, ...)
    // leaves them as they are; "Aktualny" still gives the computer's time.
    if (shown) {
        showDateTime(QDate(shown->year, shown->month, shown->day),
                     QTime(shown->hour, shown->minute, shown->second));
    }
    setControlsEnabled(true);
    calendar->setFocus();
}

void CDateTimeDlg::accept() {
    if (!replyReceived()) {
        return;
    }
    chosen = toDateTimeRecord(calendar->selectedDate(), timeEdit->time());
    CPanelReplyDlg::accept();
}

void CDateTimeDlg::showDateTime(const QDate& date, const QTime& time) {
    timeEdit->setTime(time);
    calendar->setSelectedDate(date);
    calendar->setCurrentPage(date.year(), date.month());
}

void CDateTimeDlg::setControlsEnabled(bool enabled) {
    calendar->setEnabled(enabled);
    timeEdit->setEnabled(enabled);
    nowButton->setEnabled(enabled);
    okButton->setEnabled(enabled);
    cancelButton->setEnabled(enabled);
}
