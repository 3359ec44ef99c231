#pragma once

#include <QDialog>
#include <QList>

class QComboBox;
class QLabel;

// "Port szeregowy": lists the ports that can be opened right now plus the one in use,
// and returns the chosen number.
class CPortDlg : public QDialog {
    Q_OBJECT

public:
    explicit CPortDlg(QWidget* parent = nullptr);

    // On entry the port in use (0 = none); after OK the port chosen.
    int chosenPort() const { return chosen; }
    void setChosenPort(int portNumber) { chosen = portNumber; }

    void accept() override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void fillList();

    QComboBox* portList;
    QLabel* portInUseLabel;
    QString refusedDevice; // a port left out for lack of permission: said when none is chosen
    int chosen = 0;
    bool filled = false;
};

// COM1 to COM1024 in increasing order: the port in use without probing it, and every
// other port whose device exists and opens (and closes again) at once. refusedDevice,
// when given, receives the first device that exists but that this user may not use.
QList<int> usablePorts(int portInUse, QString* refusedDevice = nullptr);

// The number an entry "COMn" names: the digits after the first three characters, up to
// the first non-digit; 0 when there is none or the text is shorter than four characters.
int portNumberFromEntry(const QString& entry);
