#pragma once

#include "charts/ChartRange.h"

#include <QDialog>

class QDateTimeEdit;

// "Zakres": the from and to of a range of the chart window.
class CRangeDlg : public QDialog {
    Q_OBJECT

public:
    CRangeDlg(TimeSpan initial, QWidget* parent = nullptr);

    TimeSpan span() const;

    void accept() override;

private:
    QDateTimeEdit* from_ = nullptr;
    QDateTimeEdit* to_ = nullptr;
};
