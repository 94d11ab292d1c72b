#include "cli/options.h"

#include "core/text.h"

#include <QSet>

namespace cli {

namespace {

const QSet<QString> kCommands{"probe", "read",     "diff",   "save",       "save-network",  "start",
                              "stop",  "firmware", "reboot", "exit-board", "create-default"};

// The most boards run at once with --boards.
constexpr int kMostJobs = 16;

// "HOST[:PORT]" or "IP[:PORT]"; false when the port is not 0..65535.
bool hostPort(const QString& text, QString* host, int* port) {
    const qsizetype colon = text.lastIndexOf(QLatin1Char(':'));
    if (colon < 0) {
        *host = text;
        return !text.isEmpty();
    }
    bool ok = false;
    const int p = text.mid(colon + 1).toInt(&ok);
    if (!ok || p < 0 || p > 65535)
        return false;
    *host = text.left(colon);
    *port = p;
    return true;
}

std::optional<corvane::variant::Module> moduleNamed(const QString& text) {
    for (std::size_t i = 0; i < corvane::variant::kModuleKeywords.size(); ++i) {
        const auto keyword = corvane::variant::kModuleKeywords[i];
        if (text.compare(QLatin1String(keyword.data(), qsizetype(keyword.size())),
                         Qt::CaseInsensitive) == 0)
            return corvane::variant::Module(i);
    }
    return std::nullopt;
}

} // namespace

QString quoted(const QString& text) {
    const QByteArray bytes = text.toUtf8();
    return QString::fromStdString(
        corvane::text::quoted(std::string_view(bytes.constData(), std::size_t(bytes.size()))));
}

QStringList Parsed::forBoardsFromStdin() const {
    QStringList out = forBoards;
    if (fileWord >= 0) {
        QString& word = out[fileWord];
        word = word.startsWith(QLatin1String("--record=")) ? QStringLiteral("--record=-")
                                                           : QStringLiteral("-");
    }
    return out;
}

QString Options::label() const {
    return udp() ? QStringLiteral("%1:%2").arg(udpHost).arg(udpPort) : serial;
}

Parsed parse(const QStringList& args) {
    Parsed p;
    Options& o = p.options;
    QString boardVariant = QStringLiteral("corvane");
    QString modules;
    QStringList positional;
    const auto fail = [&p](const QString& text) {
        p.error = text;
        return p;
    };
    for (qsizetype i = 0; i < args.size(); ++i) {
        QString arg = args[i];
        QString value;
        bool inlineValue = false;
        if (arg.startsWith(QLatin1String("--")) && arg.contains(QLatin1Char('='))) {
            value = arg.mid(arg.indexOf(QLatin1Char('=')) + 1);
            arg = arg.left(arg.indexOf(QLatin1Char('=')));
            inlineValue = true;
        }
        const auto takeValue = [&](QString* out) {
            if (inlineValue) {
                *out = value;
                return true;
            }
            if (i + 1 >= args.size())
                return false;
            *out = args[++i];
            return true;
        };
        const auto flag = [&](bool* out) {
            *out = true;
            return !inlineValue;
        };
        const bool forBoards = arg != QLatin1String("--boards") && arg != QLatin1String("--jobs") &&
                               arg != QLatin1String("--timeout");
        const qsizetype first = i;
        bool ok = true;
        QString text;
        if (arg == QLatin1String("--help") || arg == QLatin1String("-h")) {
            ok = flag(&o.help);
        } else if (arg == QLatin1String("--version")) {
            ok = flag(&o.version);
        } else if (arg == QLatin1String("--udp")) {
            ok = takeValue(&text) && hostPort(text, &o.udpHost, &o.udpPort);
        } else if (arg == QLatin1String("--local")) {
            ok = takeValue(&text) && hostPort(text, &o.localIp, &o.localPort);
        } else if (arg == QLatin1String("--serial")) {
            ok = takeValue(&o.serial) && !o.serial.isEmpty();
        } else if (arg == QLatin1String("--baud")) {
            ok = takeValue(&text);
            o.baud = text.toInt(&ok);
            ok = ok && o.baud > 0;
        } else if (arg == QLatin1String("--board")) {
            ok = takeValue(&boardVariant);
        } else if (arg == QLatin1String("--modules")) {
            ok = takeValue(&modules);
        } else if (arg == QLatin1String("--boards")) {
            ok = takeValue(&o.boardsFile);
        } else if (arg == QLatin1String("--jobs")) {
            ok = takeValue(&text);
            o.jobs = text.toInt(&ok);
            ok = ok && o.jobs >= 1 && o.jobs <= kMostJobs;
        } else if (arg == QLatin1String("--timeout")) {
            ok = takeValue(&text);
            o.timeout = text.toInt(&ok);
            ok = ok && o.timeout > 0;
        } else if (arg == QLatin1String("--json")) {
            ok = flag(&o.json);
        } else if (arg == QLatin1String("--record")) {
            ok = takeValue(&o.recordFile) && !o.recordFile.isEmpty();
            p.fileWord = p.forBoards.size() + (i - first);
        } else if (arg == QLatin1String("--dry-run")) {
            ok = flag(&o.dryRun);
        } else if (arg == QLatin1String("--backup")) {
            ok = takeValue(&o.backupDir) && !o.backupDir.isEmpty();
        } else if (arg == QLatin1String("--fec")) {
            ok = flag(&o.fec);
        } else if (arg == QLatin1String("--fec-error")) {
            ok = flag(&o.fecError);
        } else if (arg == QLatin1String("--fec-l")) {
            ok = takeValue(&o.fecL);
        } else if (arg == QLatin1String("--fec-d")) {
            ok = takeValue(&o.fecD);
        } else if (arg == QLatin1String("--yes")) {
            ok = flag(&o.yes);
        } else if (arg.startsWith(QLatin1Char('-')) && arg != QLatin1String("-")) {
            return fail(QStringLiteral("unknown option '%1'").arg(quoted(arg)));
        } else {
            // The file of save, save-network and diff, the one positional word after the command.
            if (positional.size() == 1)
                p.fileWord = p.forBoards.size();
            positional << arg;
        }
        if (!ok)
            return fail(QStringLiteral("%1 needs a valid value").arg(arg));
        if (forBoards)
            p.forBoards << args.mid(first, i - first + 1);
    }
    if (o.help || o.version)
        return p;

    if (boardVariant == QLatin1String("corvane")) {
        o.board = corvane::variant::BoardFlags{};
    } else if (boardVariant == QLatin1String("lumo")) {
        o.board.fullBoard = false;
        o.board.boardVariant = 1;
    } else {
        return fail(QStringLiteral("--board is corvane or lumo"));
    }
    if (!modules.isEmpty()) {
        const QStringList two = modules.split(QLatin1Char(','));
        const auto m11 = two.size() == 2 ? moduleNamed(two[0]) : std::nullopt;
        const auto m12 = two.size() == 2 ? moduleNamed(two[1]) : std::nullopt;
        if (!m11 || !m12)
            return fail(
                QStringLiteral("--modules needs two of SDI, Analog, HDMI, None, as M11,M12"));
        o.board.ch11 = corvane::variant::flagsFor(*m11);
        o.board.ch12 = corvane::variant::flagsFor(*m12);
    }

    if (positional.isEmpty())
        return fail(QStringLiteral("no command given"));
    o.command = positional.takeFirst();
    if (!kCommands.contains(o.command))
        return fail(QStringLiteral("unknown command '%1'").arg(quoted(o.command)));
    if (o.command == QLatin1String("save")) {
        if (o.recordFile.isEmpty() == positional.isEmpty())
            return fail(
                QStringLiteral("save needs a FILE (- for standard input) or --record FILE"));
        if (!positional.isEmpty())
            o.saveFile = positional.takeFirst();
    } else if (o.command == QLatin1String("save-network")) {
        if (positional.isEmpty() || !o.recordFile.isEmpty())
            return fail(QStringLiteral("save-network needs a FILE (- for standard input)"));
        o.saveFile = positional.takeFirst();
    } else if (o.command == QLatin1String("diff") && o.recordFile.isEmpty()) {
        if (positional.isEmpty())
            return fail(QStringLiteral("diff needs a FILE (- for standard input)"));
        o.saveFile = positional.takeFirst();
    } else if (!o.recordFile.isEmpty()) {
        return fail(QStringLiteral("--record goes with save"));
    }
    if (o.saveFile.isEmpty() && o.recordFile.isEmpty())
        p.fileWord = -1;
    if (!positional.isEmpty())
        return fail(QStringLiteral("unexpected '%1'").arg(quoted(positional.first())));

    if ((o.dryRun || !o.backupDir.isEmpty()) && o.command != QLatin1String("save"))
        return fail(QStringLiteral("--dry-run and --backup go with save"));
    // A dry run opens no link: it reads no board to back up, and every board of a --boards file
    // would print the same steps.
    if (o.dryRun && !o.backupDir.isEmpty())
        return fail(QStringLiteral("--dry-run opens no link: it goes without --backup"));
    if (o.dryRun && !o.boardsFile.isEmpty())
        return fail(QStringLiteral("--dry-run goes with one board's options, or none"));

    if (o.boardsFile.isEmpty()) {
        // A dry run needs no link, and may name one (the command line of the save it shows).
        if ((o.udp() && !o.serial.isEmpty()) || (!o.dryRun && !o.udp() && o.serial.isEmpty()))
            return fail(QStringLiteral("give one of --udp HOST[:PORT] and --serial DEVICE"));
    } else if (o.udp() || !o.serial.isEmpty()) {
        return fail(QStringLiteral("--boards takes the links from its file"));
    }
    if (o.boardsFile.isEmpty() && (o.jobs != kMostJobs || o.timeout != 0))
        return fail(QStringLiteral("--jobs and --timeout go with --boards"));
    if ((o.fec && (o.fecL.isEmpty() || o.fecD.isEmpty())) || (o.fecError && o.fecL.isEmpty()))
        return fail(
            QStringLiteral("--fec needs --fec-l N and --fec-d N; --fec-error needs --fec-l N"));
    const bool fecCommand =
        o.command == QLatin1String("start") || o.command == QLatin1String("stop");
    if ((o.fec || o.fecError) && !fecCommand)
        return fail(QStringLiteral("--fec and --fec-error go with start and stop"));
    if (o.json && o.command != QLatin1String("read"))
        return fail(QStringLiteral("--json goes with read"));
    const bool drastic = o.command == QLatin1String("reboot") ||
                         o.command == QLatin1String("exit-board") ||
                         o.command == QLatin1String("create-default");
    if (drastic && !o.yes)
        return fail(QStringLiteral("%1 needs --yes").arg(o.command));
    return p;
}

QStringList splitLine(const QString& line) {
    QStringList words;
    QString word;
    bool quoted = false;
    bool any = false;
    for (const QChar c : line) {
        if (c == QLatin1Char('#') && !quoted && !any)
            break; // a comment to the end of the line
        if (c == QLatin1Char('"')) {
            quoted = !quoted;
            any = true;
        } else if (c.isSpace() && !quoted) {
            if (any)
                words << word;
            word.clear();
            any = false;
        } else {
            word += c;
            any = true;
        }
    }
    if (any)
        words << word;
    return words;
}

QString usageText() {
    return QStringLiteral(
        "Usage: corvane-ctl (--udp HOST[:PORT] [--local IP[:PORT]] | --serial DEVICE [--baud N])\n"
        "                   [--board corvane|lumo] [--modules M11,M12] COMMAND\n"
        "       corvane-ctl --boards FILE COMMAND\n"
        "       corvane-ctl [--board corvane|lumo] [--modules M11,M12] save --dry-run (FILE|-|\n"
        "                   --record FILE)\n"
        "\n"
        "Commands:\n"
        "  probe                 exit 0 when the board answers the probe\n"
        "  read [--json]         print the configuration as name=value lines (or JSON)\n"
        "  diff FILE|-           print each setting whose value in the name=value lines differs\n"
        "                        from the board's (exit 5 when any does)\n"
        "  save FILE|-           send the configuration of name=value lines (- reads standard "
        "input)\n"
        "  save --record FILE    send the configuration of a server configuration file\n"
        "                        (exactly 341 bytes)\n"
        "  save --dry-run ...    print the steps the save would run (frames, pauses,\n"
        "                        acknowledgement waits); no link is opened\n"
        "  save --backup DIR ... read the board first and write its configuration into DIR;\n"
        "                        nothing is sent when that read or write fails\n"
        "  save-network FILE|-   send the network values of name=value lines (ipb, gwp, MTUB,\n"
        "                        UDPRSIPB, SubB), as \"Save Network Configuration\" does\n"
        "  start, stop           start or stop the stream; --fec and --fec-error tick the FEC "
        "boxes,\n"
        "                        with --fec-l N and --fec-d N as the FEC L and D values\n"
        "  firmware              print the board's firmware text\n"
        "  reboot, exit-board, create-default   (need --yes)\n"
        "\n"
        "Options:\n"
        "  --udp HOST[:PORT]     the board on UDP (port 6767 unless given)\n"
        "  --local IP[:PORT]     this computer's address and port for UDP (any, and a free port)\n"
        "  --serial DEVICE       the board on a serial device\n"
        "  --baud N              the serial rate (115200)\n"
        "  --board corvane|lumo  the board variant (corvane)\n"
        "  --modules M11,M12     the small board's modules: SDI, Analog, HDMI or None\n"
        "  --boards FILE         run on every board of FILE at once, one board's options a line\n"
        "  --jobs N              with --boards: at most N boards at once (1 to 16, 16)\n"
        "  --timeout SECONDS     with --boards: end every board still running after SECONDS\n"
        "  --help, --version\n"
        "\n"
        "Exit status: 0 done, 1 usage, 2 no answer or link error, 3 a value refused (nothing\n"
        "sent), 4 some boards failed (--boards), 5 settings differ (diff), 128+N ended by signal "
        "N\n"
        "(--boards).\n");
}

} // namespace cli
