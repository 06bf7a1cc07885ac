#include "protocol/CommandWords.h"

#include "protocol/ControlProtocol.h"

namespace protocol {

namespace {

// How a parameter's value is written in a usage line.
QString valueWord(const Parameter& p) {
    switch (p.kind) {
    case ParameterKind::Choice: return p.choices.join(u'|');
    case ParameterKind::Switch: return QStringLiteral("on|off");
    case ParameterKind::Number: return QStringLiteral("X");
    case ParameterKind::Row:
    case ParameterKind::Digits: break;
    }
    return p.name.toUpper();
}

} // namespace

QString optionWords(const Parameter& p) {
    const QString option = QStringLiteral("--") + p.name;
    return p.kind == ParameterKind::Switch ? option : option + u' ' + valueWord(p);
}

std::variant<WrittenCommand, QString> commandFromWords(const QStringList& words) {
    const CommandShape* shape = findCommand(words.value(0));
    if (!shape) return QStringLiteral("分からないコマンドです");
    std::vector<const Parameter*> byPlace;
    for (const Parameter& p : shape->parameters)
        if (p.positional) byPlace.push_back(&p);
    WrittenCommand written{shape->name, {}};
    size_t place = 0;
    for (qsizetype i = 1; i < words.size(); ++i) {
        const QString& word = words[i];
        if (word.startsWith(QStringLiteral("--"))) {
            const Parameter* p = shape->parameter(word.mid(2));
            if (!p || p->positional) return QStringLiteral("%1 にオプション %2 はありません").arg(shape->name, word);
            if (p->kind == ParameterKind::Switch) {
                written.arguments.append({p->name, QStringLiteral("on")});
                continue;
            }
            if (i + 1 >= words.size()) return QStringLiteral("%1 には値が要ります").arg(word);
            written.arguments.append({p->name, words[++i]});
            continue;
        }
        if (place >= byPlace.size()) return QStringLiteral("%1 に渡す語が多すぎます").arg(shape->name);
        written.arguments.append({byPlace[place++]->name, word});
    }
    const auto checked = checkedCommand(shape->name, written.arguments);
    if (const auto* refused = std::get_if<Refusal>(&checked)) return refused->message;
    return written;
}

QString commandUsage() {
    QString usage;
    for (const CommandShape& shape : commandShapes()) {
        QString line = QStringLiteral("  ") + shape.name;
        for (const Parameter& p : shape.parameters) {
            const QString words = p.positional ? valueWord(p) : optionWords(p);
            line += u' ' + (p.required ? words : u'[' + words + u']');
        }
        if (line.size() < 40) line = line.leftJustified(40);
        usage += line + QStringLiteral(" ") + shape.summary + u'\n';
    }
    return usage;
}

} // namespace protocol
