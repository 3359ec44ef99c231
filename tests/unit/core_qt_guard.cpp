// Compiled with the core's settings only by the test that expects it to fail.
#include <QtCore/QString>

int coreQtGuard() {
    return QString().size();
}
