#include "sound/SpeechEngine.h"

#include "sound/VoiceSettings.h"

#include <algorithm>
#include <cmath>
#include <string_view>

namespace sound {

namespace {

SpeechEngineMaker& currentMaker() {
    static SpeechEngineMaker maker;
    return maker;
}

// What each part of a text takes the voice at its normal speed, in
// milliseconds, as measured on espeak-ng's Japanese voice reading a route's
// announcements, a tenth over: an estimate that errs long skips an
// announcement sooner rather than letting it run into the next stop.
constexpr double kLeadMs = 320;   // any text: the breath before and after it
constexpr double kKanaMs = 120;   // a mora (a kana; a small one joins the one before)
constexpr double kKanjiMs = 210;  // a kanji, read as one to three morae
constexpr double kDigitMs = 200;  // a digit, read as a number
constexpr double kLetterMs = 100; // a letter of English words, read by the English voice
constexpr double kPauseMs = 160;  // a punctuation mark

double partMs(char16_t c) {
    static constexpr std::u16string_view kSmallKana = u"ぁぃぅぇぉゃゅょゎァィゥェォャュョヮヵ";
    static constexpr std::u16string_view kPauses = u"、。，．,.!?！？（）()「」";
    if (kPauses.find(c) != std::u16string_view::npos) return kPauseMs;
    if (kSmallKana.find(c) != std::u16string_view::npos) return 0;
    if ((c >= u'ぁ' && c <= u'ゖ') || (c >= u'ァ' && c <= u'ヺ') || c == u'ー') return kKanaMs;
    if ((c >= 0x4E00 && c <= 0x9FFF) || (c >= 0x3400 && c <= 0x4DBF) || c == u'々') return kKanjiMs;
    if ((c >= u'0' && c <= u'9') || (c >= u'０' && c <= u'９')) return kDigitMs;
    if ((c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z') || (c >= u'Ａ' && c <= u'Ｚ') ||
        (c >= u'ａ' && c <= u'ｚ'))
        return kLetterMs;
    return 0;
}

} // namespace

qint64 SpeechEngine::speakingMs(const QString& text) { return estimatedSpeakingMs(text, VoiceSettings::kRateNormal); }

qint64 estimatedSpeakingMs(const QString& text, int rate) {
    double ms = kLeadMs;
    for (const QChar c : text) ms += partMs(c.unicode());
    const double scale =
        double(VoiceSettings::kRateNormal) / std::clamp(rate, VoiceSettings::kRateMin, VoiceSettings::kRateMax);
    return qint64(std::llround(ms * scale));
}

std::unique_ptr<SpeechEngine> CreateSpeechEngine() {
    const SpeechEngineMaker& maker = currentMaker();
    return maker ? maker() : nullptr;
}

SpeechEngineMaker installSpeechEngineMaker(SpeechEngineMaker maker) {
    std::swap(currentMaker(), maker);
    return maker;
}

} // namespace sound
