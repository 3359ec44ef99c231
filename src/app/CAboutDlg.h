#pragma once

#include <QDialog>

// "O programie": the application icon, the program's name and version, a
// picture and an OK button.
class CAboutDlg : public QDialog {
    Q_OBJECT

public:
    explicit CAboutDlg(QWidget* parent = nullptr);
};
