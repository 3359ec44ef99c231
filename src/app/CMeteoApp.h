#pragma once

#include "app/ModalDismisser.h"

#include <QApplication>
#include <QTranslator>
#include <functional>

class CMeteoDlg;
class RegistryStore;

// The settings steps around the main window's run: loaded into the window
// (its record and its tiles' styles) before it initialises, saved from it after
// it has closed, fitted to the primary screen.
void loadWindowSettings(RegistryStore& store, CMeteoDlg& dlg);
void saveWindowSettings(RegistryStore& store, CMeteoDlg& dlg);

// "Pomoc" and "Odinstaluj" of the window's menu: the help page opens in the
// system's viewer; the uninstall asks, calls `uninstall` (true: the stored
// settings are gone) and reports. Messages open over the window.
void connectProgramCommands(CMeteoDlg& dlg, std::function<bool()> uninstall);

// The application object: owns the settings store, loads the settings, runs
// the main window until it is closed, and saves the settings afterwards.
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
    ModalDismisser dismisser;
};
