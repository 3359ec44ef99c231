// tq820ctl: the panel from a terminal, a script or a service, without a display.

#include "cli/CtlCommandLine.h"
#include "cli/CtlSession.h"
#include "recording/FileSizeSignal.h"

#include <QCoreApplication>
#include <csignal>
#include <cstdio>
#include <variant>

int main(int argc, char* argv[]) {
    ignoreFileSizeSignal();
    // A reader that goes away (watch | head) shows up as a failed write.
#ifdef SIGPIPE
    std::signal(SIGPIPE, SIG_IGN);
#endif
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("tq820ctl"));
    QCoreApplication::setApplicationVersion(QStringLiteral(TQ820_VERSION));
    ParserTexts parserTexts;
    QCoreApplication::installTranslator(&parserTexts);

    const auto parsed = parseCommandLine(QCoreApplication::arguments());
    if (const auto* error = std::get_if<UsageError>(&parsed)) {
        std::fprintf(stderr, "tq820ctl: %s\n%s\n", error->message.c_str(), ctlUsageHint().c_str());
        return static_cast<int>(ExitCode::Usage);
    }
    const CtlCommand& command = std::get<CtlCommand>(parsed);
    if (command.verb == CtlVerb::Help) {
        std::fputs(ctlHelpText().c_str(), stdout);
        return 0;
    }
    if (command.verb == CtlVerb::Version) {
        std::printf("tq820ctl %s\n", TQ820_VERSION);
        return 0;
    }
    CtlSession session(command);
    return session.exec();
}
