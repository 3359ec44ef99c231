#pragma once

#include "protocol/MemoryRecord.h"

#include <QDialog>
#include <QString>
#include <vector>

class QComboBox;
class QLineEdit;

// "Zapisz": picks the file and the layout for the records of a memory
// download and writes them all on OK. Each "Zapisz jako" builds a fresh one,
// so the name starts empty and the layout as text.
class CSaveAsDlg : public QDialog {
    Q_OBJECT

public:
    // `records` must outlive the dialog.
    explicit CSaveAsDlg(const std::vector<MemoryRecord>& records, QWidget* parent = nullptr);

    QString fileName() const;
    bool csv() const { return csvLayout; }

    // Writes every record to the chosen file, asking first whether an
    // existing file is appended to or emptied. Reports a failure itself and
    // returns false; the dialog then stays open.
    bool exportRecords();

public slots:
    // OK: exports, and closes only when the file was written.
    void accept() override;

private:
    void chooseFile();

    const std::vector<MemoryRecord>& source;
    bool csvLayout = false;
    QLineEdit* nameEdit = nullptr;
    QComboBox* formatCombo = nullptr;
};
