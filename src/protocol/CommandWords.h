#pragma once
// A command written as words on a command line, as ferrotab-ctl and the
// program's own --ride take it: the command's name, its parameters that go by
// their place in order, then the others as options, `--name VALUE` (a switch
// as `--name` alone). `goto 7`, `clear on`, `ride start 1 --speed 30 --loop`.

#include "protocol/Vocabulary.h"

#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>
#include <variant>

namespace protocol {

struct WrittenCommand {
    QString name;
    QList<QPair<QString, QString>> arguments; // each parameter's text as written
};

// The command, its words checked as a request's arguments would be; or why
// not.
std::variant<WrittenCommand, QString> commandFromWords(const QStringList& words);

// An option's words for a parameter: "--speed X", "--loop".
QString optionWords(const Parameter& p);

// One line per command: its words, and what it does.
QString commandUsage();

} // namespace protocol
