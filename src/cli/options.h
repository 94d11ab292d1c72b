#pragma once
// The command line of corvane-ctl: one board's link and the command, or a file of boards.
#include "core/variant.h"

#include <QString>
#include <QStringList>

namespace cli {

// Exit statuses. Differ: diff found settings whose values differ.
enum Status { Done = 0, Usage = 1, NoAnswer = 2, Refused = 3, SomeFailed = 4, Differ = 5 };

// The board's own UDP port, taken when --udp names none.
inline constexpr int kBoardPort = 6767;

struct Options {
    // The link: UDP to host:port (from a local address and port), or a serial device.
    QString udpHost;
    int udpPort = kBoardPort;
    QString localIp;
    int localPort = 0;
    QString serial;
    int baud = 115200;
    corvane::variant::BoardFlags board;

    QString boardsFile; // --boards: the links, one a line
    int jobs = 16;      // --boards: at most this many boards at once
    int timeout = 0;    // --boards: seconds for the whole run (0: no limit)

    QString command;
    QString saveFile;    // save, save-network, diff: the file, "-" for standard input
    QString recordFile;  // save --record
    bool dryRun = false; // save --dry-run: print the steps, open no link
    QString backupDir;   // save --backup: the folder of the board's configuration read first
    bool json = false;
    bool fec = false;
    bool fecError = false;
    QString fecL;
    QString fecD;
    bool yes = false;

    bool help = false;
    bool version = false;

    bool udp() const { return !udpHost.isEmpty(); }
    // How the board is named in messages: "192.168.1.20:6767" or the device.
    QString label() const;
};

// The options of `args` (without the program name); an empty error when they make sense. The
// link options may be missing only with --boards, save --dry-run, --help or --version.
struct Parsed {
    Options options;
    QString error;
    // Everything but the options of --boards itself (--boards, --jobs, --timeout), for the
    // programs started for each board.
    QStringList forBoards;
    // The word of forBoards that names the file of save, save-network, diff or --record (-1: none);
    // the programs for the boards get "-" there and the file's content on standard input.
    qsizetype fileWord = -1;
    // forBoards with the file given as standard input.
    QStringList forBoardsFromStdin() const;
};
Parsed parse(const QStringList& args);

// The board options of one line of a --boards file: words separated by blanks; a word may be
// quoted with "..." to hold blanks. An unquoted '#' at the start of a word starts a comment that
// runs to the end of the line.
QStringList splitLine(const QString& line);

// Text from the command line or a file as messages quote it: as text::quoted shows its UTF-8
// bytes (escaped, at most 60 bytes).
QString quoted(const QString& text);

QString usageText();

} // namespace cli
