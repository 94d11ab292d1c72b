#pragma once
// The command line of corvane-ctl: one board's link and the command, or a file of boards.
#include "core/variant.h"

#include <QString>
#include <QStringList>

namespace cli {

// Exit statuses.
enum Status { Done = 0, Usage = 1, NoAnswer = 2, Refused = 3, SomeFailed = 4 };

struct Options {
    // The link: UDP to host:port (from a local address and port), or a serial device.
    QString udpHost;
    int udpPort = 6767;
    QString localIp;
    int localPort = 0;
    QString serial;
    int baud = 115200;
    corvane::variant::BoardFlags board;

    QString boardsFile; // --boards: the links, one a line

    QString command;
    QString saveFile;   // save: the file, "-" for standard input
    QString recordFile; // save --record
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
// link options may be missing only with --boards, --help or --version.
struct Parsed {
    Options options;
    QString error;
    // Everything but --boards and its file, for the programs started for each board.
    QStringList forBoards;
};
Parsed parse(const QStringList& args);

// The board options of one line of a --boards file: words separated by blanks; a word may be
// quoted with "..." to hold blanks. '#' starts a comment line.
QStringList splitLine(const QString& line);

QString usageText();

} // namespace cli
