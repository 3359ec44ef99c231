#pragma once

#include <QByteArray>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QTimer>
#include <deque>
#include <functional>
#include <memory>

class QSocketNotifier;
class QWidget;

// The far end of a serial line: the master side of a pseudo-terminal whose slave the
// program opens. What the program writes collects in received().
class PtyPeer : public QObject {
    Q_OBJECT

public:
    PtyPeer();
    ~PtyPeer() override;

    bool isValid() const { return master >= 0; }
    QString slavePath() const { return slave; }
    void write(const QByteArray& bytes);
    const QByteArray& received() const { return got; }
    void clearReceived() { got.clear(); }
    // The device vanishes, as when an adapter is pulled.
    void hangUp();

private:
    void onReadable();

    int master = -1;
    QString slave;
    QByteArray got;
    QSocketNotifier* notifier = nullptr;
};

// A private configuration folder ($XDG_CONFIG_HOME) with the port folder in it.
class PortFolder {
public:
    PortFolder();
    ~PortFolder();

    bool isValid() const { return dir.isValid(); }
    QString configPath() const { return dir.path(); }
    QString portsPath() const;
    QString linkPath(int portNumber) const;
    // COMn -> target (replacing whatever link was there).
    bool link(int portNumber, const QString& target);
    // COMn -> a missing file: such a port exists by name only.
    bool linkBroken(int portNumber);
    // Every number of the fixed device map that is not linked yet gets a broken link,
    // so that the machine's own serial ports stay out of the tests.
    void hideMachinePorts();

private:
    QTemporaryDir dir;
    QByteArray oldConfig;
    bool hadConfig = false;
};

// Answers modal windows one after the other: each step gets the next modal widget that
// becomes active and must close it (queued clicks, see clickLater).
class ModalScript : public QObject {
    Q_OBJECT

public:
    using Step = std::function<void(QWidget*)>;
    explicit ModalScript(QObject* parent = nullptr);
    void add(Step step) { steps.push_back(std::move(step)); }
    int pending() const { return static_cast<int>(steps.size()); }
    // Texts of the handled windows: a message box's text, else the window title.
    QStringList seen;

private:
    void tick();

    QTimer timer;
    std::deque<Step> steps;
    QPointer<QWidget> last;
};

// Clicks the child button with this object name once control is back in the event loop.
void clickLater(QWidget* window, const QString& buttonName);
// The message of a message box, or an empty string for any other window.
QString messageText(QWidget* window);
// Saves a picture of the widget into $TQ820_SCREENSHOT_DIR (when set).
void saveScreenshot(QWidget* widget, const QString& name);
