#include "platform/Cp932.h"

#include <algorithm>
#include <cerrno>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#else
#include <cstdint>
#include <cstring>
#include <iconv.h>
#endif

namespace cp932 {

#ifdef _WIN32

QByteArray encode(const QString& text) {
    if (text.isEmpty()) return {};
    const auto* wide = reinterpret_cast<const wchar_t*>(text.utf16());
    const int needed = WideCharToMultiByte(932, 0, wide, int(text.size()), nullptr, 0, "?", nullptr);
    QByteArray out(needed, '\0');
    WideCharToMultiByte(932, 0, wide, int(text.size()), out.data(), needed, "?", nullptr);
    return out;
}

QString decode(const QByteArray& bytes) {
    if (bytes.isEmpty()) return {};
    const int needed = MultiByteToWideChar(932, 0, bytes.constData(), int(bytes.size()), nullptr, 0);
    std::wstring wide(size_t(needed), L'\0');
    MultiByteToWideChar(932, 0, bytes.constData(), int(bytes.size()), wide.data(), needed);
    return QString::fromWCharArray(wide.data(), needed);
}

bool canEncode(const QString& text) {
    if (text.isEmpty()) return true;
    BOOL usedDefault = FALSE;
    const auto* wide = reinterpret_cast<const wchar_t*>(text.utf16());
    WideCharToMultiByte(932, WC_NO_BEST_FIT_CHARS, wide, int(text.size()), nullptr, 0, nullptr, &usedDefault);
    return !usedDefault;
}

#else

namespace {

// One conversion descriptor per direction and thread; iconv_open is costly
// and a descriptor must not be shared between threads.
class Converter {
public:
    Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
    ~Converter() {
        if (ok()) iconv_close(cd_);
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;
    iconv_t get() {
        iconv(cd_, nullptr, nullptr, nullptr, nullptr); // back to the initial state
        return cd_;
    }
    // iconv_open reports failure as (iconv_t)-1; compared as bytes of the
    // handle so no integer becomes a pointer.
    bool ok() const {
        iconv_t failed;
        const auto minusOne = static_cast<std::uintptr_t>(-1);
        std::memcpy(&failed, &minusOne, sizeof failed);
        return cd_ != failed;
    }

private:
    iconv_t cd_;
};

Converter& toCp932() {
    thread_local Converter c("CP932", "UTF-8");
    return c;
}
Converter& fromCp932() {
    thread_local Converter c("UTF-8", "CP932");
    return c;
}

// Bytes of the UTF-8 sequence a lead byte starts (1 for a stray byte).
size_t utf8Length(unsigned char lead) {
    if (lead >= 0xF0 && lead <= 0xF7) return 4;
    if (lead >= 0xE0) return lead <= 0xEF ? 3 : 1;
    if (lead >= 0xC0) return 2;
    return 1;
}

} // namespace

QByteArray encode(const QString& text) {
    QByteArray out;
    if (text.isEmpty()) return out;
    Converter& conv = toCp932();
    if (!conv.ok()) return QByteArray(text.size(), '?');
    // One pass over the text: where iconv stops at a character the code page
    // has no code for, a "?" takes its place and conversion goes on after it.
    const QByteArray utf8 = text.toUtf8();
    // A character never takes more bytes in CP932 than in UTF-8.
    out.resize(utf8.size() + 4);
    char* in = const_cast<char*>(utf8.constData());
    size_t inLeft = size_t(utf8.size());
    char* o = out.data();
    size_t outLeft = size_t(out.size());
    iconv_t cd = conv.get();
    while (inLeft > 0 && iconv(cd, &in, &inLeft, &o, &outLeft) == size_t(-1)) {
        if (errno != EILSEQ && errno != EINVAL) break;
        *o++ = '?';
        --outLeft;
        const size_t skip = std::min(utf8Length(static_cast<unsigned char>(*in)), inLeft);
        in += skip;
        inLeft -= skip;
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
    }
    iconv(cd, nullptr, nullptr, &o, &outLeft);
    out.resize(out.size() - qsizetype(outLeft));
    return out;
}

QString decode(std::string_view bytes) {
    if (bytes.empty()) return {};
    Converter& conv = fromCp932();
    if (!conv.ok()) return QString::fromLatin1(bytes.data(), qsizetype(bytes.size()));
    iconv_t cd = conv.get();
    QByteArray utf8;
    utf8.reserve(qsizetype(bytes.size()) * 3);
    char buffer[4096];
    char* in = const_cast<char*>(bytes.data());
    size_t inLeft = bytes.size();
    while (inLeft > 0) {
        char* o = buffer;
        size_t outLeft = sizeof buffer;
        const size_t r = iconv(cd, &in, &inLeft, &o, &outLeft);
        utf8.append(buffer, qsizetype(sizeof buffer - outLeft));
        if (r != size_t(-1)) break;
        if (errno == E2BIG) continue;
        // EILSEQ or EINVAL: an invalid or cut-off sequence. Replace one
        // character's worth of bytes and go on.
        utf8.append("\xEF\xBF\xBD");
        const auto lead = static_cast<unsigned char>(*in);
        size_t skip = 1;
        if (charLength(lead) == 2 && inLeft >= 2) {
            const auto trail = static_cast<unsigned char>(in[1]);
            // A lead byte followed by a valid trail byte is one unknown
            // character; otherwise only the lead byte is bad.
            if (trail >= 0x40 && trail <= 0xFC && trail != 0x7F) skip = 2;
        }
        in += skip;
        inLeft -= skip;
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
    }
    return QString::fromUtf8(utf8);
}

QString decode(const QByteArray& bytes) { return decode(std::string_view(bytes.constData(), size_t(bytes.size()))); }

bool canEncode(const QString& text) {
    if (text.isEmpty()) return true;
    Converter& conv = toCp932();
    if (!conv.ok()) return false;
    const QByteArray utf8 = text.toUtf8();
    std::vector<char> out(size_t(utf8.size()) * 2 + 4);
    char* in = const_cast<char*>(utf8.constData());
    size_t inLeft = size_t(utf8.size());
    char* o = out.data();
    size_t outLeft = out.size();
    return iconv(conv.get(), &in, &inLeft, &o, &outLeft) != size_t(-1);
}

#endif

} // namespace cp932
