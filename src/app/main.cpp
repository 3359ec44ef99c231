#include <QApplication>
#include <QMessageBox>

// Placeholder entry point until the main window lands.
int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QMessageBox::information(nullptr, QStringLiteral("TQ820"),
                             QStringLiteral("Okno główne programu nie jest jeszcze gotowe."));
    return 0;
}
