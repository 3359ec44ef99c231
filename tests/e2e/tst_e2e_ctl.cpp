// tq820ctl as a user runs it, against tq820-sim: each subcommand's output,
// file bytes and exit code, a silent panel, a port held by another program,
// a bad option, a reader that goes away and a recording ended by SIGTERM.
// Files are compared with what the core's own export and record functions
// make of the same records and readings.

#include "FileTestSupport.h"
#include "PanelModel.h"
#include "SimProcess.h"
#include "protocol/MemoryDecoder.h"
#include "protocol/PanelData.h"
#include "recording/MemoryExport.h"
#include "recording/RecordLine.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <functional>

namespace {

constexpr int kCom = 31;
const char* const kClock = "2026-03-01 00:30:00";
constexpr int kSeed = 5;
const QString kNotReset = QStringLiteral(
    "Panel nie został zresetowany (zresetuje go opcja --reset albo polecenie tq820ctl reset).\n");

// The records the simulator started with, from its own model.
std::vector<MemoryRecord> simulatorRecords() {
    tq820sim::PanelOptions options;
    options.clock = tq820sim::CivilTime{2026, 3, 1, 0, 30, 0};
    options.seed = kSeed;
    const tq820sim::PanelModel panel(options);
    return decodeMemory(panel.memory().data() + 2, panel.memoryUsed() + 1);
}

// The pinned readings as PanelData holds them on a live link.
PanelData pinnedPanel() {
    PanelData d;
    d.ch1Present = d.modelTq232 = d.ch2Present = d.modelTq264 = 1;
    d.temperature = 21.5;
    d.pressure = 1013.2;
    d.humidity = 45.0;
    d.windSpeed = 3.4;
    d.windDirection = 270;
    return d;
}

struct Run {
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};

class Rig {
public:
    Rig() { QDir().mkpath(config.filePath(QStringLiteral("Velmor"))); }

    bool startSim(const QStringList& controls = {}, bool fast = true) {
        QStringList options{"--clock", kClock, "--seed", QString::number(kSeed)};
        if (fast) {
            options << "--fast";
        }
        if (!sim.start(config.path(), kCom, options)) {
            return false;
        }
        for (const QString& c :
             QStringList{"value temperature 21.5", "value pressure 1013.2", "value humidity 45.0",
                         "value speed 3.4", "value direction 270", "serial1 1234", "serial2 4321"} +
                 controls) {
            if (!sim.command(c).startsWith(QStringLiteral("ok"))) {
                return false;
            }
        }
        return true;
    }

    void start(QProcess& ctl, const QStringList& arguments) const {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), config.path());
        env.insert(QStringLiteral("XDG_DATA_HOME"), file(QStringLiteral("data")));
        env.remove(QStringLiteral("DISPLAY"));
        env.remove(QStringLiteral("WAYLAND_DISPLAY"));
        ctl.setProcessEnvironment(env);
        ctl.start(QStringLiteral(TQ820_CTL_PATH), arguments);
    }

    Run run(const QStringList& arguments, int timeoutMs = 20000) const {
        QProcess ctl;
        start(ctl, arguments);
        Run r;
        if (ctl.waitForFinished(timeoutMs) && ctl.exitStatus() == QProcess::NormalExit) {
            r.exitCode = ctl.exitCode();
        }
        r.out = ctl.readAllStandardOutput();
        r.err = ctl.readAllStandardError();
        return r;
    }

    QString state(const QString& name) {
        const QRegularExpression re(
            QStringLiteral("\\b%1=(\\S+(?: \\d\\d:\\d\\d:\\d\\d)?)").arg(name));
        return re.match(sim.command(QStringLiteral("state"))).captured(1);
    }

    QString file(const QString& name) const { return config.filePath(name); }

    QTemporaryDir config;
    SimProcess sim;
};

const QString kPort = QStringLiteral("COM%1").arg(kCom);

} // namespace

class TestE2eCtl : public QObject {
    Q_OBJECT

private slots:
    void subcommands_data();
    void subcommands();
    void downloadBrokenOffLeavesNoFile();
    void portHeldByAnotherProgram();
    void readerThatGoesAwayEndsQuietly();
    void recordingEndedBySigtermLeavesWholeLines();
};

void TestE2eCtl::subcommands_data() {
    QTest::addColumn<QStringList>("controls");  // the simulator's state first
    QTest::addColumn<QStringList>("arguments"); // "%port" is the simulator's
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("out"); // a regular expression for the whole output
    QTest::addColumn<QString>("err");
    // Checks after the run: the simulator's state or a file.
    QTest::addColumn<std::function<void(Rig&)>>("after");
    const std::function<void(Rig&)> nothing = [](Rig&) {};
    const QStringList none;

    QTest::newRow("info") << QStringList{"fault battery on"}
                          << QStringList{"info", "--port", "%port"} << 0
                          << QRegularExpression::escape(
                                 "Panel TQ-820:\nWersja oprogramowania: 2.01\n"
                                 "Zapis pomiarów do pamięci co: 00:10\nKanał 1:\n"
                                 "TQ-232, numer seryjny 1234\nKanał 2:\nTQ-264, numer seryjny "
                                 "4321\nUwagi:\nSłaba Bateria\n")
                          << QString() << nothing;
    // The port stored by the window program, when --port is not given.
    QTest::newRow("info-json-stored-port")
        << QStringList{"fault battery on"} << QStringList{"info", "--json"} << 0
        << QRegularExpression::escape(
               "{\"firmware_version\":2.01,\"record_interval_minutes\":10,\"power_saving\":false,"
               "\"channel1\":{\"model\":\"TQ-232\",\"serial_number\":1234},\"channel2\":{\"model\":"
               "\"TQ-264\",\"serial_number\":4321},\"remarks\":[\"Słaba Bateria\"]}\n")
        << QString() << nothing;
    QTest::newRow("watch-json")
        << none << QStringList{"watch", "--json", "--count", "2", "--port", "%port"} << 0
        << QStringLiteral("\\{\"link\":\"up\",\"status\":\"Urządzenia: TQ-232, TQ-264.\"\\}\n"
                          "(\\{\"time\":\"[-0-9T:.+]+\",\"temperature\":21.5,\"pressure\":1013.2,"
                          "\"humidity\":45.0,\"wind_speed\":3.4,\"wind_direction\":270\\}\n){2}")
        << QString() << nothing;
    QTest::newRow("watch-sensor-missing")
        << QStringList{"ch2 none"} << QStringList{"watch", "--count", "1", "--port", "%port"} << 0
        << QStringLiteral("Urządzenia: TQ-232.\nData i Godzina +\tTemperatura °C\tCiśnienie hPa\t"
                          "Wilgotność %\tPrędkość m/s\tKierunek °\n"
                          "\\d{4}\\.\\d\\d\\.\\d\\d \\d\\d:\\d\\d:\\d\\d\t21.5 +\t1013.2 +\t45.0 +"
                          "\t\\?\\?\\? +\t\\?\\?\\?\n")
        << QString() << nothing;
    QTest::newRow("download-text-to-a-pipe")
        << none << QStringList{"download", "--port", "%port"} << 0 << QStringLiteral("<text>")
        << QString() << nothing;
    QTest::newRow("download-csv-file")
        << none << QStringList{"download", "-o", "%config/pamięć.CSV", "--port", "%port"} << 0
        << QString() << QString() << std::function<void(Rig&)>([](Rig& rig) {
               QCOMPARE(
                   contents(rig.file(QStringLiteral("pamięć.CSV"))),
                   QByteArray::fromStdString(MemoryExport::allLines(simulatorRecords(), true)));
               // The history is on by default and took the records too.
               QVERIFY(QFileInfo(rig.file(QStringLiteral("data/Velmor/TQ820/historia.sqlite")))
                           .size() > 0);
           });
    QTest::newRow("download-xlsx")
        << none << QStringList{"download", "-o", "%config/pamięć.xlsx", "--port", "%port"} << 0
        << QString() << QString() << std::function<void(Rig&)>([](Rig& rig) {
               QVERIFY(contents(rig.file(QStringLiteral("pamięć.xlsx"))).startsWith("PK"));
           });
    QTest::newRow("download-unwritable")
        << none << QStringList{"download", "-o", "%config/brak/p.txt", "--port", "%port"} << 5
        << QString()
        << QStringLiteral("Wybrany plik jest niedostępny.\n%config/brak/p.txt: plik lub folder "
                          "nie istnieje\n")
        << std::function<void(Rig&)>([](Rig& rig) {
               // Nothing was read from the panel for a file that cannot be written.
               QCOMPARE(rig.sim.stats().value(QStringLiteral("ER")), 0.0);
           });
    QTest::newRow("download-empty")
        << QStringList{"memory empty"}
        << QStringList{"download", "-o", "%config/p.txt", "--port", "%port"} << 0 << QString()
        << QStringLiteral("Pamięć jest pusta\n") << std::function<void(Rig&)>([](Rig& rig) {
               QVERIFY(!QFile::exists(rig.file(QStringLiteral("p.txt"))));
           });
    QTest::newRow("download-old-firmware")
        << QStringList{"firmware 2.00"} << QStringList{"download", "--port", "%port"} << 1
        << QString()
        << QStringLiteral(
               "Odczyt pamięci przez program jest możliwy dla paneli w wersji 2.01 lub nowszej.\n")
        << nothing;
    QTest::newRow("clock-set")
        << none << QStringList{"clock", "--set", "2026-05-14 12:00:05", "--port", "%port"}
        << 0
        // The panel sends no year: the computer's is shown.
        << QStringLiteral("Zegar panelu: \\d{4}-03-01 00:30\n") +
               QRegularExpression::escape("Zegar został ustawiony.\nRejestracja do pamięci została "
                                          "wstrzymana do momentu resetu panelu.\n" +
                                          kNotReset)
        << QString() << std::function<void(Rig&)>([](Rig& rig) {
               QVERIFY(
                   rig.state(QStringLiteral("clock")).endsWith(QStringLiteral("-05-14 12:00:05")) ||
                   rig.state(QStringLiteral("clock")).endsWith(QStringLiteral("-05-14 12:00:06")));
               QCOMPARE(rig.state(QStringLiteral("recording")), QStringLiteral("suspended"));
           });
    QTest::newRow("settings-write-and-reset")
        << none << QStringList{"settings",   "--interval", "15",      "--layout", "pw",
                               "--max-wind", "on",         "--reset", "--port",   "%port"}
        << 0
        << QRegularExpression::escape("Ustawienia zostały zapisane.\nZmiany będą zastosowane po "
                                      "resecie panelu.\nPanel został zresetowany\n")
        << QString() << std::function<void(Rig&)>([](Rig& rig) {
               QCOMPARE(rig.state(QStringLiteral("active-interval")), QStringLiteral("15"));
               QCOMPARE(rig.state(QStringLiteral("active-config")), QStringLiteral("0x48"));
           });
    QTest::newRow("power-saving-on")
        << none << QStringList{"power-saving", "on", "--port", "%port"} << 0
        << QStringLiteral("Tryb oszczędzania energii: włączony\n") << QString()
        << std::function<void(Rig&)>([](Rig& rig) {
               QCOMPARE(rig.state(QStringLiteral("power")), QStringLiteral("0x01"));
           });
    QTest::newRow("erase") << none << QStringList{"erase", "--yes", "--port", "%port"} << 0
                           << QRegularExpression::escape(
                                  "Zawartość pamięci została usunięta.\nRejestracja została "
                                  "wstrzymana do chwili resetu panelu.\n" +
                                  kNotReset)
                           << QString() << std::function<void(Rig&)>([](Rig& rig) {
                                  QCOMPARE(rig.state(QStringLiteral("memory-bytes")),
                                           QStringLiteral("0"));
                              });
    QTest::newRow("silent-panel") << QStringList{"silent on"}
                                  << QStringList{"power-saving", "--port", "%port"} << 4
                                  << QString() << QStringLiteral("Nie można odczytać ustawień\n")
                                  << nothing;
    // A write the panel does not acknowledge.
    QTest::newRow("silent-panel-reset")
        << QStringList{"silent on"} << QStringList{"reset", "--port", "%port"} << 4 << QString()
        << QStringLiteral("Błąd przy próbie resetu panelu\n") << nothing;
    QTest::newRow("bad-option")
        << none << QStringList{"settings", "--interval", "240", "--port", "%port"} << 2 << QString()
        << QStringLiteral("tq820ctl: Interwał powinien zawierać się w przedziale od 1 do 239 "
                          "minut.\nPomoc: tq820ctl --help\n")
        << std::function<void(Rig&)>([](Rig& rig) {
               // Nothing reached the panel: the port was not even opened.
               const auto stats = rig.sim.stats();
               QCOMPARE(stats.value(QStringLiteral("K")) + stats.value(QStringLiteral("ER")), 0.0);
           });
}

void TestE2eCtl::subcommands() {
    QFETCH(QStringList, controls);
    QFETCH(QStringList, arguments);
    QFETCH(int, exitCode);
    QFETCH(QString, out);
    QFETCH(QString, err);
    QFETCH(std::function<void(Rig&)>, after);

    Rig rig;
    QVERIFY(rig.startSim(controls));
    // The window program's settings name the port.
    QFile reg(rig.file(QStringLiteral("Velmor/TQ820v1.0.reg")));
    QVERIFY(reg.open(QIODevice::WriteOnly));
    reg.write(QStringLiteral("REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\SOFTWARE\\Velmor\\TQ820v1.0]\r\n"
                             "\"PORT_NR\"=dword:%1\r\n")
                  .arg(kCom, 8, 16, QLatin1Char('0'))
                  .toUtf8());
    reg.close();
    arguments.replaceInStrings(QStringLiteral("%port"), kPort);
    arguments.replaceInStrings(QStringLiteral("%config"), rig.config.path());

    err.replace(QStringLiteral("%config"), rig.config.path());
    const Run r = rig.run(arguments);
    QCOMPARE(QString::fromUtf8(r.err), err);
    QCOMPARE(r.exitCode, exitCode);
    if (out == QLatin1String("<text>")) {
        // Redirected, the text layout is the file's own bytes.
        QCOMPARE(r.out,
                 QByteArray::fromStdString(MemoryExport::allLines(simulatorRecords(), false)));
    } else {
        const QRegularExpression whole(QStringLiteral("\\A(?:%1)\\z").arg(out));
        QVERIFY2(whole.match(QString::fromUtf8(r.out)).hasMatch(), r.out.constData());
    }
    after(rig);
}

void TestE2eCtl::downloadBrokenOffLeavesNoFile() {
    Rig rig;
    QVERIFY(rig.startSim({}, false)); // at the panel's own pace
    const QString file = rig.file(QStringLiteral("pamięć.txt"));
    QVERIFY(writeFile(file, "stara zawartość\r\n"));
    QProcess ctl;
    rig.start(ctl, {"download", "-o", file, "--port", kPort});
    QTRY_VERIFY_WITH_TIMEOUT(rig.sim.stats().value(QStringLiteral("ER")) >= 20, 10000);
    rig.sim.command(QStringLiteral("silent on"));
    QVERIFY(ctl.waitForFinished(15000));
    QCOMPARE(QString::fromUtf8(ctl.readAllStandardError()),
             QStringLiteral("Błąd w trakcie przesyłania danych.\n"));
    QCOMPARE(ctl.exitCode(), 4);
    QCOMPARE(contents(file), QByteArray("stara zawartość\r\n"));
}

void TestE2eCtl::portHeldByAnotherProgram() {
    Rig rig;
    QVERIFY(rig.startSim());
    QProcess holder;
    rig.start(holder, {"watch", "--port", kPort});
    QVERIFY(holder.waitForReadyRead(5000));
    const Run r = rig.run({"reset", "--port", kPort});
    QCOMPARE(r.exitCode, 3);
    const QRegularExpression named(
        QStringLiteral(
            "\\ANie można otworzyć portu %1\nUrządzenie /dev/pts/\\d+ jest używane przez "
            "program tq820ctl \\(PID %2\\)\\. Zamknij ten program i spróbuj ponownie\\.\n\\z")
            .arg(kPort)
            .arg(holder.processId()));
    QVERIFY2(named.match(QString::fromUtf8(r.err)).hasMatch(), r.err.constData());
    holder.terminate();
    QVERIFY(holder.waitForFinished(5000));
    QCOMPARE(holder.exitCode(), 0);
}

void TestE2eCtl::readerThatGoesAwayEndsQuietly() {
    Rig rig;
    QVERIFY(rig.startSim());
    QProcess shell;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), rig.config.path());
    env.insert(QStringLiteral("XDG_DATA_HOME"), rig.file(QStringLiteral("data")));
    shell.setProcessEnvironment(env);
    shell.start(
        QStringLiteral("bash"),
        {"-c", QStringLiteral("set -o pipefail; '%1' watch --port %2 | head -n 3 >/dev/null")
                   .arg(QStringLiteral(TQ820_CTL_PATH), kPort)});
    QVERIFY(shell.waitForFinished(10000));
    QCOMPARE(shell.readAllStandardError(), QByteArray());
    QCOMPARE(shell.exitCode(), 0);
}

void TestE2eCtl::recordingEndedBySigtermLeavesWholeLines() {
    Rig rig;
    QVERIFY(rig.startSim());
    const QString file = rig.file(QStringLiteral("pomiary.csv"));
    const RecordColumns columns{true, false, true, false, true};
    const QStringList arguments{
        "record", "--file", file, "--columns", "direction,temperature,humidity", "--port", kPort};
    for (int run = 1; run <= 2; ++run) {
        QProcess ctl;
        rig.start(ctl, arguments);
        const int before = static_cast<int>(linesOf(contents(file)).size());
        QTRY_VERIFY_WITH_TIMEOUT(linesOf(contents(file)).size() >= before + 3, 10000);
        ctl.terminate();
        QVERIFY(ctl.waitForFinished(5000));
        QCOMPARE(ctl.exitStatus(), QProcess::NormalExit);
        QCOMPARE(ctl.exitCode(), 0);
    }
    // Each run starts with a header; every data line is the core's line for
    // the pinned readings at its own time stamp.
    const QByteArray header = QByteArray::fromStdString(RecordLine::header(columns, true));
    const QList<QByteArray> lines = linesOf(contents(file));
    int headers = 0;
    for (const QByteArray& line : lines) {
        QVERIFY2(line.endsWith("\r\n"), line.constData());
        if (line == header) {
            ++headers;
            continue;
        }
        DateTimeRecord t;
        int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
        QCOMPARE(std::sscanf(line.constData(), "%d.%d.%d %d:%d:%d", &year, &month, &day, &hour,
                             &minute, &second),
                 6);
        t.year = std::uint16_t(year);
        t.month = std::uint16_t(month);
        t.day = std::uint16_t(day);
        t.hour = std::uint16_t(hour);
        t.minute = std::uint16_t(minute);
        t.second = std::uint16_t(second);
        // The first line may come before the first status reply.
        const std::string known = RecordLine::data(columns, true, t, pinnedPanel(), true);
        const std::string unknown = RecordLine::data(columns, true, t, pinnedPanel(), false);
        QVERIFY2(line.toStdString() == known || line.toStdString() == unknown, line.constData());
    }
    QCOMPARE(headers, 2);
    QCOMPARE(lines.first(), header);
}

QTEST_GUILESS_MAIN(TestE2eCtl)
#include "tst_e2e_ctl.moc"
