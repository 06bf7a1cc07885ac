#include "platform/MciCommand.h"

#include <QRegularExpression>

namespace platform::mci {

namespace {

// An alias is whatever stands in its place, spaces included (a model may be
// named "LED 84"), but never a quote.
bool validAlias(const QString& alias) { return !alias.trimmed().isEmpty() && !alias.contains(u'"'); }

std::optional<DeviceType> typeFromKeyword(const QString& keyword) {
    const QString k = keyword.toLower();
    if (k == u"waveaudio") return DeviceType::WaveAudio;
    if (k == u"mpegvideo") return DeviceType::MpegVideo;
    if (k == u"sequencer") return DeviceType::Sequencer;
    return std::nullopt;
}

} // namespace

QString typeKeyword(DeviceType type) {
    switch (type) {
    case DeviceType::WaveAudio: return QStringLiteral("waveaudio");
    case DeviceType::MpegVideo: return QStringLiteral("mpegvideo");
    case DeviceType::Sequencer: return QStringLiteral("sequencer");
    }
    return {};
}

std::optional<Command> parseCommand(const QString& text) {
    using Verb = Command::Verb;
    constexpr auto options = QRegularExpression::CaseInsensitiveOption;
    static const QRegularExpression open(
        QString::fromUtf8(R"re(^\s*open\s+"([^"]+)"\s+type\s+(\S+)\s+alias\s+(.+?)\s+wait\s*$)re"), options);
    static const QRegularExpression play(QString::fromUtf8(R"re(^\s*play\s+(.+?)\s+from\s+0(\s+wait)?\s*$)re"), options);
    static const QRegularExpression stop(QString::fromUtf8(R"re(^\s*stop\s+(.+?)\s*$)re"), options);
    static const QRegularExpression close(QString::fromUtf8(R"re(^\s*close\s+(.+?)\s*$)re"), options);

    // A line break never belongs to one command.
    if (text.contains(u'\n') || text.contains(u'\r') || text.contains(QChar(0))) return std::nullopt;

    Command c;
    if (const auto m = open.match(text); m.hasMatch()) {
        // Exactly the two quotes around the path: a third one means the path
        // held a quote and the rest is not what the sender meant.
        if (text.count(u'"') != 2) return std::nullopt;
        const auto type = typeFromKeyword(m.captured(2));
        if (!type) return std::nullopt;
        c.verb = Verb::Open;
        c.path = m.captured(1);
        c.type = *type;
        c.alias = m.captured(3);
        c.wait = true;
    } else if (const auto p = play.match(text); p.hasMatch()) {
        c.verb = Verb::Play;
        c.alias = p.captured(1);
        c.wait = p.hasCaptured(2) && !p.captured(2).isEmpty();
    } else if (const auto s = stop.match(text); s.hasMatch()) {
        c.verb = Verb::Stop;
        c.alias = s.captured(1);
    } else if (const auto k = close.match(text); k.hasMatch()) {
        c.verb = Verb::Close;
        c.alias = k.captured(1);
    } else {
        return std::nullopt;
    }
    if (!validAlias(c.alias)) return std::nullopt;
    // Keywords after the alias would have been swallowed into it: "stop x
    // wait" or "close x notify" is not a form this interface knows.
    static const QRegularExpression keywordInAlias(QString::fromUtf8(R"re(\s(wait|from|type|alias|notify|to)(\s|$))re"),
                                                   options);
    if (keywordInAlias.match(c.alias).hasMatch()) return std::nullopt;
    return c;
}

} // namespace platform::mci
