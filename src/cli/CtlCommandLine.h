#pragma once

#include "cli/CtlCommand.h"

#include <QStringList>
#include <QTranslator>
#include <variant>

// The command line through QCommandLineParser, interpreted by the core's
// rules.
std::variant<CtlCommand, UsageError> parseCommandLine(const QStringList& arguments);

// The option parser's own error texts in Polish, whether or not Qt's
// translations are installed on the machine.
class ParserTexts : public QTranslator {
public:
    using QTranslator::QTranslator;
    QString translate(const char* context, const char* sourceText, const char* disambiguation,
                      int n) const override;
    bool isEmpty() const override { return false; }
};
