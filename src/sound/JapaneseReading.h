#pragma once
// How a Japanese text is pronounced, in katakana: the form the speech
// synthesiser can read (it reads kana only; a kanji would come out as the
// words "Chinese letter"). MeCab splits the text into words with the IPA
// dictionary and gives each word's pronunciation: 次は、中央駅前です。 is
// ツギワ、チューオーエキマエデス。 (the particle は sounds ワ, long vowels are
// marked ー). Words the dictionary does not know stay as written.

#include <QString>

struct mecab_t;

namespace sound {

class JapaneseReading {
public:
    // Loads the dictionary. ok() says whether that worked.
    JapaneseReading();
    ~JapaneseReading();
    JapaneseReading(const JapaneseReading&) = delete;
    JapaneseReading& operator=(const JapaneseReading&) = delete;

    bool ok() const { return tagger_ != nullptr; }

    // The pronunciation of `text`; the text itself when the dictionary is
    // missing.
    QString reading(const QString& text);

private:
    mecab_t* tagger_ = nullptr;
};

} // namespace sound
