#include "cli/CliCommands.h"

#include "cli/CliExport.h"
#include "cli/CliLayouts.h"
#include "cli/CliSync.h"
#include "cli/CliTerminal.h"
#include "core/platform/IniFile.h"

namespace {

constexpr int HelpWidth = 79;

// settings-get KEY [DEFAULT] / settings-set KEY VALUE: the settings file from scripts.
int settingsGet(CliContext& ctx)
{
    const QStringList args = ctx.options.positionalArguments();
    if (args.isEmpty() || args.size() > 2)
        return ctx.usageError(args.isEmpty() ? QStringLiteral("KEY is missing.")
                                             : QStringLiteral("Unexpected argument: ") + args[2]);
    ctx.out << readIniValue(QStringLiteral("text"), args[0], args.value(1), ctx.paths.settingsFile()) << '\n';
    return CliExit::Success;
}

int settingsSet(CliContext& ctx)
{
    const QStringList args = ctx.options.positionalArguments();
    if (args.size() != 2)
        return ctx.usageError(args.size() < 2 ? QStringLiteral("KEY and VALUE are needed.")
                                              : QStringLiteral("Unexpected argument: ") + args[2]);
    if (const Outcome stored =
            storeIniValue(QStringLiteral("text"), args[0], args[1], ctx.paths.settingsFile());
        !stored) {
        ctx.err << stored.error() << '\n';
        return CliExit::Failure;
    }
    return CliExit::Success;
}

// Appends the words to text, starting on line, breaking lines at the help's width and
// starting every further line with indent blanks.
void appendWrapped(QString& text, QString line, const QStringList& words, qsizetype indent)
{
    bool first = true;
    for (const QString& word : words) {
        if (!first && line.size() + 1 + word.size() > HelpWidth) {
            text += line + u'\n';
            line = QString(indent, u' ');
            first = true;
        }
        if (!first)
            line += u' ';
        line += word;
        first = false;
    }
    text += line + u'\n';
}

void appendWrapped(QString& text, const QString& line, const QString& words, qsizetype indent)
{
    appendWrapped(text, line, words.split(u' ', Qt::SkipEmptyParts), indent);
}

// The words of a usage line: an optional group in brackets or parentheses is never broken.
QStringList usageWords(const QString& usage)
{
    QStringList words;
    QString word;
    int depth = 0;
    for (const QChar c : usage) {
        if (c == u' ' && depth == 0) {
            if (!word.isEmpty())
                words << word;
            word.clear();
            continue;
        }
        if (c == u'[' || c == u'(')
            ++depth;
        else if ((c == u']' || c == u')') && depth > 0)
            --depth;
        word += c;
    }
    if (!word.isEmpty())
        words << word;
    return words;
}

// Lines "  NAME  text" with the texts in one column; a name too long for the column stands on
// a line of its own.
QString columns(const QList<std::pair<QString, QString>>& rows)
{
    constexpr qsizetype MaxNameWidth = 22;
    qsizetype nameWidth = 0;
    for (const auto& row : rows) {
        if (row.first.size() <= MaxNameWidth)
            nameWidth = std::max(nameWidth, row.first.size());
    }
    const qsizetype indent = 2 + nameWidth + 2;
    QString text;
    for (const auto& [name, meaning] : rows) {
        QString line = QStringLiteral("  ") + name;
        if (name.size() > nameWidth) {
            text += line + u'\n';
            line = QString(indent, u' ');
        } else {
            line = line.leftJustified(indent, u' ');
        }
        appendWrapped(text, line, meaning, indent);
    }
    return text;
}

QString wrapped(const QString& paragraph)
{
    QString text;
    appendWrapped(text, QString(), paragraph, 0);
    return text;
}

QString optionName(const QCommandLineOption& option)
{
    QStringList names;
    for (const QString& name : option.names())
        names << (name.size() == 1 ? QStringLiteral("-") : QStringLiteral("--")) + name;
    QString text = names.join(QStringLiteral(", "));
    if (!option.valueName().isEmpty())
        text += u' ' + option.valueName();
    return text;
}

} // namespace

QCommandLineOption quietOption()
{
    return QCommandLineOption(QStringLiteral("quiet"),
                              QStringLiteral("Print nothing but errors: no results, no progress."));
}

namespace {

QString usageLine(const CliCommand& command)
{
    QString text;
    appendWrapped(text, QString(),
                  usageWords(QStringLiteral("usage: tqtool-cli [--data-dir DIR] ") + command.name + u' ' +
                             command.synopsis),
                  7);
    return text;
}

} // namespace

QString commandUsage(const CliCommand& command)
{
    return usageLine(command) + QStringLiteral("Run \"tqtool-cli ") + command.name +
           QStringLiteral(" --help\" for its options.");
}

QString commandHelp(const CliCommand& command)
{
    QString text = usageLine(command) + u'\n' + wrapped(command.description) + u'\n';
    if (!command.arguments.isEmpty())
        text += QStringLiteral("Arguments:\n") + columns(command.arguments) + u'\n';
    QList<std::pair<QString, QString>> rows;
    for (const QCommandLineOption& option : command.options)
        rows.append({optionName(option), option.description()});
    if (command.longWork)
        rows.append({optionName(quietOption()), quietOption().description()});
    rows.append({QStringLiteral("-h, --help"), QStringLiteral("Show this help.")});
    text += QStringLiteral("Options:\n") + columns(rows);
    return text;
}

QString programHelp()
{
    QList<std::pair<QString, QString>> commands;
    for (const CliCommand& c : cliCommands())
        commands.append({c.name, c.summary});
    return QStringLiteral("usage: tqtool-cli [--data-dir DIR] COMMAND [options]\n"
                          "       tqtool-cli COMMAND --help\n\n") +
           wrapped(QStringLiteral("Downloads the attendance logs of TQ80 and TQ90 terminals into the local "
                                  "database and exports punches to text files or into the time-attendance "
                                  "database, as the tqtool windows do.")) +
           QStringLiteral("\nOptions:\n") +
           columns({{QStringLiteral("--data-dir DIR"),
                     QStringLiteral("The data directory with DefFMT.txt, dataexport.db, TQ90_log.bin and "
                                    "ExportFormat (default: the program's folder when it is writable, "
                                    "otherwise ~/.local/share/TQTool/tqtool).")},
                    {QStringLiteral("-h, --help"), QStringLiteral("Show this help.")},
                    {QStringLiteral("--version"), QStringLiteral("Show the version.")}}) +
           QStringLiteral("\nCommands:\n") + columns(commands) + u'\n' +
           wrapped(QStringLiteral("Exit status: 0 success (also when there was nothing to do), 1 the work "
                                  "failed (the reason on standard error), 2 bad usage.")) +
           QStringLiteral("Run \"tqtool-cli COMMAND --help\" for a command's options.\n");
}

const QList<CliCommand>& cliCommands()
{
    static const QList<CliCommand> commands = [] {
        QList<CliCommand> list;
        list.append(
            {QStringLiteral("settings-get"),
             QStringLiteral("Print a setting of DefFMT.txt."),
             QStringLiteral("KEY [DEFAULT]"),
             QStringLiteral("Prints the value of KEY in section [text] of the settings file DefFMT.txt, "
                            "or DEFAULT when it has none."),
             {},
             {{QStringLiteral("KEY"), QStringLiteral("The setting's name, such as IP or FormatName.")},
              {QStringLiteral("DEFAULT"), QStringLiteral("Printed when the setting is missing (default: "
                                                         "nothing).")}},
             false,
             settingsGet});
        list.append({QStringLiteral("settings-set"),
                     QStringLiteral("Store a setting in DefFMT.txt."),
                     QStringLiteral("KEY VALUE"),
                     QStringLiteral("Stores VALUE as KEY in section [text] of the settings file DefFMT.txt."),
                     {},
                     {{QStringLiteral("KEY"), QStringLiteral("The setting's name.")},
                      {QStringLiteral("VALUE"), QStringLiteral("The value to store.")}},
                     false,
                     settingsSet});
        list.append(importCommand());
        list.append(downloadCommand());
        list.append(syncCommand());
        list.append(layoutsCommand());
        list.append(previewCommand());
        list.append(exportCommand());
        list.append(exportTACommand());
        return list;
    }();
    return commands;
}
