#include "cli/CtlCommandLine.h"

#include <QCommandLineParser>
#include <map>

std::variant<CtlCommand, UsageError> parseCommandLine(const QStringList& arguments) {
    QCommandLineParser parser;
    std::map<QString, std::string> longNames;
    for (const CtlOption& option : ctlOptions()) {
        QStringList names;
        for (const std::string& name : option.names) {
            names << QString::fromStdString(name);
            longNames[names.back()] = option.names.front();
        }
        parser.addOption(
            QCommandLineOption(names, QString(), QString::fromStdString(option.valueName)));
    }
    if (!parser.parse(arguments)) {
        return UsageError{parser.errorText().toStdString()};
    }
    CtlArguments parsed;
    for (const QString& word : parser.positionalArguments()) {
        parsed.positionals.push_back(word.toStdString());
    }
    // Each occurrence in order, with its own value: values() lists those of
    // all occurrences of an option, under whichever name each was given.
    std::map<std::string, qsizetype> taken;
    for (const QString& name : parser.optionNames()) {
        const std::string& longName = longNames[name];
        const QStringList values = parser.values(name);
        const qsizetype index = taken[longName]++;
        parsed.options.emplace_back(longName,
                                    index < values.size() ? values[index].toStdString() : "");
    }
    return interpretArguments(parsed);
}

QString ParserTexts::translate(const char* context, const char* sourceText, const char*,
                               int) const {
    if (qstrcmp(context, "QCommandLineParser") != 0) {
        return {};
    }
    static const std::map<QByteArray, QString> kTexts{
        {"Unknown option '%1'.", QStringLiteral("Nieznana opcja: „%1”.")},
        {"Unknown options: %1.", QStringLiteral("Nieznane opcje: %1.")},
        {"Missing value after '%1'.", QStringLiteral("Brak wartości po „%1”.")},
        {"Unexpected value after '%1'.", QStringLiteral("Zbędna wartość po „%1”.")},
    };
    const auto it = kTexts.find(QByteArray(sourceText));
    return it != kTexts.end() ? it->second : QString();
}
