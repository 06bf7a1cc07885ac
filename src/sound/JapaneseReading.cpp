#include "sound/JapaneseReading.h"

#include <QDir>
#include <QStringList>
#include <mecab.h>

namespace sound {

namespace {

// Debian's UTF-8 IPA dictionary (mecab-ipadic-utf8). Named outright: the
// system-wide default may be another dictionary whose word features are laid
// out differently.
constexpr const char* kIpaDictionary = "/var/lib/mecab/dic/ipadic-utf8";

// Fields of an IPA dictionary entry: part of speech, three subdivisions,
// conjugation type and form, base form, reading, pronunciation.
constexpr int kPartOfSpeech = 0;
constexpr int kPartDetail = 1;
constexpr int kReading = 7;
constexpr int kPronunciation = 8;

bool isAsciiWordChar(QChar c) { return c.unicode() < 0x80 && c.isLetterOrNumber(); }

} // namespace

JapaneseReading::JapaneseReading() {
    if (QDir(QString::fromUtf8(kIpaDictionary)).exists())
        tagger_ = mecab_new2((QByteArrayLiteral("-d ") + kIpaDictionary).constData());
    if (!tagger_) tagger_ = mecab_new2("");
}

JapaneseReading::~JapaneseReading() {
    if (tagger_) mecab_destroy(tagger_);
}

QString JapaneseReading::reading(const QString& text) {
    if (!tagger_) return text;
    const QByteArray utf8 = text.toUtf8();
    QString out;
    bool previousWasNumber = false;
    for (const mecab_node_t* node = mecab_sparse_tonode2(tagger_, utf8.constData(), size_t(utf8.size())); node;
         node = node->next) {
        if (node->stat == MECAB_BOS_NODE || node->stat == MECAB_EOS_NODE) continue;
        const QString surface = QString::fromUtf8(node->surface, node->length);
        const QStringList features = QString::fromUtf8(node->feature).split(u',');
        auto field = [&features](int k) {
            return k < features.size() && features[k] != u"*" ? features[k] : QString();
        };
        QString word = field(kPronunciation);
        if (word.isEmpty()) word = field(kReading);
        if (word.isEmpty()) {
            // The small ケ of place names (朝日ヶ丘) is not in the dictionary:
            // ガ there, カ after a number (3ヶ月).
            if (surface == u"ヶ" || surface == u"ヵ")
                word = previousWasNumber ? QStringLiteral("カ") : QStringLiteral("ガ");
            else
                word = surface;
        }
        // Space the text had before the word (MeCab drops it) keeps words of
        // other scripts apart: "Next stop" must not become "Nextstop".
        if (node->rlength > node->length && !out.isEmpty()) out += u' ';
        else if (!out.isEmpty() && !word.isEmpty() && isAsciiWordChar(out.back()) && isAsciiWordChar(word.front()))
            out += u' ';
        out += word;
        previousWasNumber = field(kPartOfSpeech) == u"名詞" && field(kPartDetail) == u"数";
    }
    return out;
}

} // namespace sound
