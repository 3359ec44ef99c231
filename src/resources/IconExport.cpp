// tq820-icons OUTDIR: writes the program's icon, drawn by the same code as the window's,
// as OUTDIR/<n>x<n>/apps/pl.velmor.tq820.png for the desktop's hicolor theme. Run by the
// build, so no binary artwork is kept in the sources.
#include "app/Artwork.h"

#include <QDir>
#include <QGuiApplication>
#include <QTextStream>

int main(int argc, char* argv[]) {
    // No display is needed, nor wanted, for drawing into a pixmap.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    if (argc != 2) {
        QTextStream(stderr) << "Usage: tq820-icons OUTDIR\n";
        return 2;
    }
    const QDir out(QString::fromLocal8Bit(argv[1]));
    for (int size : {48, 128}) {
        const QString folder = QStringLiteral("%1x%1/apps").arg(size);
        const QString file = out.filePath(folder + QStringLiteral("/pl.velmor.tq820.png"));
        if (!out.mkpath(folder) || !applicationIcon().pixmap(size, size).save(file, "PNG")) {
            QTextStream(stderr) << "tq820-icons: cannot write " << file << '\n';
            return 1;
        }
    }
    return 0;
}
