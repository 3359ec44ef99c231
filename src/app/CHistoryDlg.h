#pragma once

#include <QDialog>
#include <QString>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;

// "Historia pomiarów": whether a history is kept, how many hours of raw
// readings it keeps, where its file lies, and "Usuń historię…". It edits a
// working copy; the window applies it after OK. Deleting asks first and is
// done at once by whoever listens to clearRequested.
class CHistoryDlg : public QDialog {
    Q_OBJECT

public:
    struct Values {
        bool enabled = true;
        int rawHours = 48;
        QString path; // the file shown; never empty

        friend bool operator==(const Values&, const Values&) = default;
    };

    explicit CHistoryDlg(QWidget* parent = nullptr);

    void setValues(const Values& values);
    Values values() const;
    // The file the history keeps now and what it holds (one or two lines);
    // "Usuń historię…" empties that file.
    void setSummary(const QString& file, const QString& text);

signals:
    // "Usuń historię…" answered with "Tak".
    void clearRequested();

private:
    void chooseFile();
    void askToClear();
    void updateEnabling();

    QCheckBox* enabledBox;
    QLabel* hoursLabel;
    QSpinBox* hoursSpin;
    QLabel* hoursNote;
    QLabel* fileLabel;
    QLineEdit* fileEdit;
    QPushButton* browseButton;
    QLabel* summaryLabel;
    QPushButton* clearButton;
    QString currentFile;
};
