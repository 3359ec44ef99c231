#include "SerialTestSupport.h"

#include "link/PortNames.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMessageBox>
#include <QMetaObject>
#include <QSocketNotifier>
#include <QTimer>
#include <QWidget>
#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

PtyPeer::PtyPeer() {
    master = posix_openpt(O_RDWR | O_NOCTTY);
    if (master < 0)
        return;
    if (grantpt(master) != 0 || unlockpt(master) != 0) {
        ::close(master);
        master = -1;
        return;
    }
    slave = QString::fromLocal8Bit(ptsname(master));
    termios raw{};
    if (tcgetattr(master, &raw) == 0) {
        cfmakeraw(&raw);
        tcsetattr(master, TCSANOW, &raw);
    }
    fcntl(master, F_SETFL, fcntl(master, F_GETFL) | O_NONBLOCK);
    notifier = new QSocketNotifier(master, QSocketNotifier::Read, this);
    connect(notifier, &QSocketNotifier::activated, this, &PtyPeer::onReadable);
}

PtyPeer::~PtyPeer() {
    hangUp();
}

void PtyPeer::write(const QByteArray& bytes) {
    qsizetype done = 0;
    while (master >= 0 && done < bytes.size()) {
        const ssize_t n = ::write(master, bytes.constData() + done, bytes.size() - done);
        if (n < 0 && errno != EAGAIN && errno != EINTR)
            return;
        if (n > 0)
            done += n;
    }
}

void PtyPeer::hangUp() {
    if (master < 0)
        return;
    delete notifier;
    notifier = nullptr;
    ::close(master);
    master = -1;
}

void PtyPeer::onReadable() {
    char buffer[512];
    for (;;) {
        const ssize_t n = ::read(master, buffer, sizeof buffer);
        if (n > 0) {
            got.append(buffer, n);
            continue;
        }
        // Without a slave the master reads EIO over and over: look again a little later
        // instead of spinning.
        if (n < 0 && errno == EIO && notifier != nullptr) {
            notifier->setEnabled(false);
            QTimer::singleShot(20, notifier, [watch = notifier] { watch->setEnabled(true); });
        }
        return;
    }
}

PortFolder::PortFolder() {
    hadConfig = qEnvironmentVariableIsSet("XDG_CONFIG_HOME");
    oldConfig = qgetenv("XDG_CONFIG_HOME");
    qputenv("XDG_CONFIG_HOME", dir.path().toLocal8Bit());
    QDir().mkpath(portsPath());
}

PortFolder::~PortFolder() {
    if (hadConfig)
        qputenv("XDG_CONFIG_HOME", oldConfig);
    else
        qunsetenv("XDG_CONFIG_HOME");
}

QString PortFolder::portsPath() const {
    return dir.path() + QStringLiteral("/Velmor/ports");
}

QString PortFolder::linkPath(int portNumber) const {
    return portsPath() + QStringLiteral("/COM%1").arg(portNumber);
}

bool PortFolder::link(int portNumber, const QString& target) {
    const QString path = linkPath(portNumber);
    QFile::remove(path);
    return QFile::link(target, path);
}

bool PortFolder::linkBroken(int portNumber) {
    return link(portNumber, dir.path() + QStringLiteral("/unplugged-%1").arg(portNumber));
}

void PortFolder::hideMachinePorts() {
    for (int n = 1; n <= 96; ++n) {
        if (!QFileInfo(linkPath(n)).isSymLink())
            linkBroken(n);
    }
}

ModalScript::ModalScript(QObject* parent) : QObject(parent) {
    timer.setInterval(10);
    connect(&timer, &QTimer::timeout, this, &ModalScript::tick);
    timer.start();
}

void ModalScript::tick() {
    QWidget* window = QApplication::activeModalWidget();
    if (window == nullptr || window == last || steps.empty() || !window->isVisible())
        return;
    last = window;
    const QString text = messageText(window);
    seen.append(text.isEmpty() ? window->windowTitle() : text);
    Step step = std::move(steps.front());
    steps.pop_front();
    step(window);
}

void clickLater(QWidget* window, const QString& buttonName) {
    auto* button = window->findChild<QAbstractButton*>(buttonName);
    if (button == nullptr) {
        // Nothing to click: close the window anyway, so that the test fails instead of
        // hanging.
        QMetaObject::invokeMethod(window, "close", Qt::QueuedConnection);
        return;
    }
    QMetaObject::invokeMethod(button, "click", Qt::QueuedConnection);
}

QString messageText(QWidget* window) {
    auto* box = qobject_cast<QMessageBox*>(window);
    return box != nullptr ? box->text() : QString();
}

void saveScreenshot(QWidget* widget, const QString& name) {
    const QString folder = qEnvironmentVariable("TQ820_SCREENSHOT_DIR");
    if (folder.isEmpty())
        return;
    QDir().mkpath(folder);
    widget->grab().save(folder + QLatin1Char('/') + name + QStringLiteral(".png"));
}
