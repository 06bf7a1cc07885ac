// The vocabulary is the one home of the interface's words: docs/control.md
// lists exactly its commands (with their parameters), refusals, events and
// state fields, and ferrotab-ctl's words give the same calls as a request.
#include "protocol/CommandWords.h"
#include "protocol/ControlProtocol.h"

#include <QFile>
#include <QRegularExpression>
#include <QSet>
#include <gtest/gtest.h>

using namespace protocol;

namespace {

// The rows of the first table after `heading` in the document, as cells,
// those whose `column` names something (in backticks).
std::vector<QStringList> tableAfter(const QString& doc, const QString& heading, int column = 0) {
    std::vector<QStringList> rows;
    const qsizetype at = doc.indexOf(u'\n' + heading + u'\n');
    if (at < 0) return rows;
    bool inTable = false;
    for (const QString& line : doc.mid(at + heading.size() + 2).split(u'\n')) {
        if (!line.startsWith(u'|')) {
            if (inTable) break;
            continue;
        }
        inTable = true;
        const QStringList cells = line.split(u'|').mid(1);
        if (cells.value(column).trimmed().startsWith(u'`')) rows.push_back(cells);
    }
    return rows;
}

QSet<QString> quoted(const QString& cell) {
    QSet<QString> words;
    static const QRegularExpression backticked(QStringLiteral("`([^`]+)`"));
    for (auto it = backticked.globalMatch(cell); it.hasNext();) words.insert(it.next().captured(1));
    return words;
}

// The names in a column, sorted, as one line (a difference reads plainly).
std::string namesIn(const std::vector<QStringList>& rows, int column = 0) {
    QSet<QString> names;
    for (const QStringList& row : rows) names.unite(quoted(row.value(column)));
    QStringList sorted = names.values();
    sorted.sort();
    return sorted.join(u' ').toStdString();
}

std::string sortedNames(QStringList names) {
    names.sort();
    return names.join(u' ').toStdString();
}

} // namespace

TEST(Vocabulary, TheDocsListExactlyItsWords) {
    QFile file(QStringLiteral(FERROTAB_TEST_DATA "/../../docs/control.md"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QString doc = QString::fromUtf8(file.readAll());

    const auto commands = tableAfter(doc, QStringLiteral("### `GET` or `POST /command/NAME`"));
    QStringList names;
    for (const CommandShape& shape : commandShapes()) names << shape.name;
    EXPECT_EQ(namesIn(commands), sortedNames(names));
    for (const QStringList& row : commands) {
        const CommandShape* shape = findCommand(quoted(row[0]).values().value(0));
        if (!shape) continue;
        QSet<QString> parameters, words;
        for (const Parameter& p : shape->parameters) {
            parameters.insert(p.name);
            words.insert(p.name);
            for (const QString& choice : p.choices) words.insert(choice);
        }
        const QSet<QString> documented = quoted(row.value(1));
        EXPECT_TRUE(documented.contains(parameters)) << shape->name.toStdString();
        EXPECT_TRUE(words.contains(documented)) << shape->name.toStdString() << ": a word the command does not take";
    }

    QStringList codes;
    for (const RefusalEntry& r : refusalKinds()) codes << r.code;
    EXPECT_EQ(namesIn(tableAfter(doc, QStringLiteral("## Errors"), 1), 1), sortedNames(codes));
    EXPECT_EQ(namesIn(tableAfter(doc, QStringLiteral("### `GET /ws` (WebSocket)"))), sortedNames(eventNames()));
    EXPECT_EQ(namesIn(tableAfter(doc, QStringLiteral("### `GET /state`"))), sortedNames(stateFields()));
}

// ferrotab-ctl's words and the program's --ride make the calls a request's
// arguments would.
TEST(Vocabulary, CommandWordsMakeTheCallsARequestWould) {
    const auto call = [](const QStringList& words) {
        const auto written = commandFromWords(words);
        if (const auto* why = std::get_if<QString>(&written)) return std::variant<CommandCall, Refusal>(refuse(RefusalKind::BadParameter, *why));
        return checkedCommand(words[0], std::get<WrittenCommand>(written).arguments);
    };
    EXPECT_EQ(std::get<CommandCall>(call({QStringLiteral("ride"), QStringLiteral("start"), QStringLiteral("12"),
                                          QStringLiteral("--maxGap"), QStringLiteral("5"), QStringLiteral("--loop")})),
              (CommandCall{QStringLiteral("ride"),
                           {{QStringLiteral("do"), QStringLiteral("start")},
                            {QStringLiteral("route"), QStringLiteral("12")},
                            {QStringLiteral("maxGap"), 5.0},
                            {QStringLiteral("loop"), true}}}));
    EXPECT_EQ(std::get<CommandCall>(call({QStringLiteral("clear"), QStringLiteral("off")})).args.value(QStringLiteral("on")),
              QVariant(false));
    for (const QStringList& bad : {QStringList{QStringLiteral("goto")}, {QStringLiteral("goto"), QStringLiteral("7x")},
                                   {QStringLiteral("next"), QStringLiteral("1")}, {QStringLiteral("ride"), QStringLiteral("start"), QStringLiteral("--max-gap"), QStringLiteral("5")},
                                   {QStringLiteral("route"), QStringLiteral("--section"), QStringLiteral("1")}, {QStringLiteral("fly")}})
        EXPECT_TRUE(std::holds_alternative<QString>(commandFromWords(bad))) << bad.join(u' ').toStdString();
    // Every command has its line of usage.
    for (const CommandShape& shape : commandShapes())
        EXPECT_TRUE(commandUsage().contains(QStringLiteral("  ") + shape.name)) << shape.name.toStdString();
}
