#pragma once

// tq820-sim as a child process of an end-to-end test: started on a COM number
// in a private configuration folder, driven by control lines on its standard
// input.

#include <QMap>
#include <QProcess>
#include <QProcessEnvironment>
#include <QRegularExpression>
#include <QString>
#include <QStringList>
#include <QTest>

class SimProcess {
public:
    ~SimProcess() { stop(); }

    // Starts the simulator and waits for its "COMn -> /dev/pts/X" line.
    bool start(const QString& configDir, int com, const QStringList& extra = {}) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), configDir);
        process.setProcessEnvironment(env);
        process.setProcessChannelMode(QProcess::SeparateChannels);
        process.start(QStringLiteral(TQ820_SIM_PATH),
                      QStringList{QStringLiteral("--com"), QString::number(com)} + extra);
        if (!process.waitForStarted(5000)) {
            return false;
        }
        const QString ready = readLine(5000);
        return ready.startsWith(QStringLiteral("COM%1 -> ").arg(com));
    }

    void stop() {
        if (process.state() == QProcess::NotRunning) {
            return;
        }
        process.write("quit\n");
        process.closeWriteChannel();
        if (!process.waitForFinished(3000)) {
            process.kill();
            process.waitForFinished(3000);
        }
    }

    // One control line; returns the simulator's one-line answer ("ok ...").
    // Events keep being processed while waiting, so the window goes on polling.
    QString command(const QString& line) {
        process.write(line.toUtf8() + '\n');
        return readLine(5000);
    }

    // The counters of the "stats" line, by name.
    QMap<QString, double> stats() {
        QMap<QString, double> values;
        const QString line = command(QStringLiteral("stats"));
        static const QRegularExpression pair(QStringLiteral("(\\w+)=([0-9.]+)"));
        auto it = pair.globalMatch(line);
        while (it.hasNext()) {
            const auto m = it.next();
            values.insert(m.captured(1), m.captured(2).toDouble());
        }
        return values;
    }

    // One reading of the "state" line ("temperature", "humidity", ...).
    double stateValue(const QString& name) {
        const QString line = command(QStringLiteral("state"));
        const QRegularExpression re(QStringLiteral("\\b%1=(-?[0-9.]+)").arg(name));
        const auto m = re.match(line);
        return m.hasMatch() ? m.captured(1).toDouble() : qQNaN();
    }

private:
    QString readLine(int timeoutMs) {
        const bool got = QTest::qWaitFor(
            [this] {
                buffer += process.readAllStandardOutput();
                return buffer.contains('\n') || process.state() == QProcess::NotRunning;
            },
            timeoutMs);
        const qsizetype end = buffer.indexOf('\n');
        if (!got || end < 0) {
            return {};
        }
        const QString line = QString::fromUtf8(buffer.left(end));
        buffer.remove(0, end + 1);
        return line;
    }

    QProcess process;
    QByteArray buffer;
};
