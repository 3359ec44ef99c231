#pragma once

#include <QApplication>
#include <QTranslator>

class CMeteoDlg;

// The application object: loads the settings, runs the main window until it
// is closed, and saves the settings afterwards.
class CMeteoApp : public QApplication {
    Q_OBJECT

public:
    CMeteoApp(int& argc, char** argv);

    // The whole run; returns the process exit code (0).
    int RunProgram();

private:
    void installPolishTranslation();
    void scheduleScreenshot(CMeteoDlg& dlg);

    QTranslator qtTranslator;
};
