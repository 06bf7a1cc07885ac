#include "settings/SettingsCodec.h"

#include "platform/Cp932.h"
#include "platform/LittleEndian.h"

#include <array>
#include <type_traits>

namespace settings {

namespace {

// Visits every field in file order. Both directions walk this one list, so
// the writer and the reader cannot drift apart.
template <class Record, class V> void visitFields(Record& r, V& v) {
    // Block 1
    v.text(r.FareDataDir);
    v.text(r.BroadcastDataDir);
    // Block 2
    v.num(r.TicketNumAutoShow);
    v.num(r.TicketNumColorOff);
    v.num(r.TicketNumColorOn1);
    v.num(r.TicketNumColorOn2);
    v.num(r.TicketNumScheme);
    v.num(r.TicketNumZeroPad);
    v.num(r.PanelAutoBuiltIn);
    v.num(r.PanelIndividual);
    v.num(r.PanelOffBuiltIn);
    v.num(r.PanelOffUser);
    v.num(r.PanelOn1BuiltIn);
    v.num(r.PanelOn1User);
    v.num(r.PanelOn2BuiltIn);
    v.num(r.PanelOn2User);
    v.text(r.PanelOffUserFile);
    v.text(r.PanelOn1UserFile);
    v.text(r.PanelOn2UserFile);
    // Block 3
    v.num(r.DigitBackColor);
    v.num(r.DigitBaseColor);
    v.num(r.DigitLitColor);
    v.num(r.InfoStopOrderOn);
    v.num(r.InfoStopOrderCell);
    v.num(r.InfoStopOrderFromZero);
    v.num(r.InfoTicketNumOn);
    v.num(r.InfoTicketNumCell);
    v.num(r.InfoRouteNumOn);
    v.num(r.InfoRouteNumCell);
    v.num(r.InfoColumnOn);
    v.num(r.InfoColumnIndex);
    v.num(r.InfoColumnCell);
    // Block 4
    v.num(r.StopNameBackColor);
    v.num(r.StopNameForeColor);
    v.num(r.StopNameFontMode);
    v.num(r.StopNameBold);
    // Block 5
    v.text(r.SoundRouteSetFile);
    v.text(r.SoundResetFile);
    v.num(r.AdvanceSoundAlways);
    v.num(r.AdvanceSoundByColumn);
    v.num(r.AdvanceSoundSync);
    v.num(r.AdvanceSoundAsync);
    v.text(r.AdvanceSoundFile);
    v.num(r.AdvanceSoundColumn);
    v.text(r.AdvanceSoundFile1);
    v.text(r.AdvanceSoundFile2);
    v.text(r.AdvanceSoundFile3);
    v.num(r.AnnounceSoundAlways);
    v.num(r.AnnounceSoundByFlag);
    v.num(r.AnnounceSoundSync);
    v.num(r.AnnounceSoundAsync);
    v.text(r.AnnounceSoundFile);
    v.text(r.AnnounceSoundFile1);
    v.text(r.AnnounceSoundFile2);
    v.text(r.AnnounceSoundFile3);
    // Block 6
    v.num(r.TicketPreviewOn);
    v.text(r.TicketPluginFile);
    v.num(r.TicketDatePerPrint);
    v.num(r.TicketDateAtRouteSet);
    v.num(r.TicketDateFixed);
    v.text(r.TicketFixedDate);
    // Block 7
    v.num(r.CtlPageBack);
    v.num(r.ScrollSpeed);
    v.num(r.ScrollStartWait);
    v.num(r.LateNightFare);
    v.num(r.TicketPreviewShown);
    v.num(r.CtlLeft);
    v.num(r.CtlTop);
    // Block 8
    v.num(r.DisplayLeft);
    v.num(r.DisplayTop);
    // Block 9
    v.array(r.CustomColors);
    // Block 10
    v.cellCount(r.CellCount);
    // Block 11
    v.cellFormats(r.CellFormat);
}

// One call of the visitor per named field of the file, so a reader counts
// fields as it goes.
template <class Self> struct Fields {
    template <class T, size_t N> void array(std::array<T, N>& values) {
        for (auto& value : values) self().num(value);
    }
    template <class T, size_t N> void array(const std::array<T, N>& values) {
        for (auto value : values) self().num(value);
    }
    template <class Entries> void cellFormats(Entries& entries) {
        for (auto& e : entries) {
            self().num(e.Shift);
            self().num(e.ZeroMode);
            self().num(e.FillZero);
        }
    }

private:
    Self& self() { return static_cast<Self&>(*this); }
};

class Writer : public Fields<Writer> {
public:
    QByteArray out;

    template <class T> void num(T value) {
        platform::appendLittleEndian(out, value);
    }
    void text(const QString& value) {
        QByteArray bytes = cp932::encode(value);
        if (bytes.size() > 0xFFFF) {
            // The count has 16 bits. Cut at a character boundary so that the
            // stored text stays valid.
            qsizetype keep = 0;
            while (keep < bytes.size()) {
                const int len = cp932::charLength(static_cast<unsigned char>(bytes[keep]));
                if (keep + len > 0xFFFF) break;
                keep += len;
            }
            bytes.truncate(keep);
        }
        num(static_cast<std::uint16_t>(bytes.size()));
        out.append(bytes);
    }
    // The count is always written as the number of entries that follow.
    void cellCount(std::int16_t) { num(static_cast<std::int16_t>(device::kFareCellCount)); }
};

// A field the bytes do not reach, or reach only in part, keeps the value it
// had; the reader stops at the first one.
class Reader : public Fields<Reader> {
public:
    explicit Reader(const QByteArray& bytes) : data_(bytes) {}

    template <class T> void num(T& value) {
        static_assert(std::is_integral_v<T>);
        if (ranOut_ || pos_ + qsizetype(sizeof(T)) > data_.size()) {
            ranOut_ = true;
            return;
        }
        value = platform::readLittleEndian<T>(data_.constData() + pos_);
        pos_ += sizeof(T);
        countField();
    }
    void text(QString& value) {
        if (ranOut_ || pos_ + 2 > data_.size()) {
            ranOut_ = true;
            return;
        }
        const auto count = platform::readLittleEndian<std::uint16_t>(data_.constData() + pos_);
        if (pos_ + 2 + count > data_.size()) {
            // The text runs past the end: the file does not reach it.
            ranOut_ = true;
            return;
        }
        value = cp932::decode(std::string_view(data_.constData() + pos_ + 2, count));
        pos_ += 2 + count;
        countField();
    }
    // Read and ignored: there are always 84 cells.
    void cellCount(std::int16_t& value) {
        std::int16_t ignored = 0;
        num(ignored);
        value = device::kFareCellCount;
    }
    // Arrays count as one field, read whole or not.
    template <class T, size_t N> void array(std::array<T, N>& values) {
        inArray_ = true;
        Fields::array(values);
        inArray_ = false;
        countField();
    }
    template <class Entries> void cellFormats(Entries& entries) {
        inArray_ = true;
        Fields::cellFormats(entries);
        inArray_ = false;
        countField();
    }

    int fieldsRead() const { return fieldsRead_; }

private:
    void countField() {
        if (!inArray_ && !ranOut_) ++fieldsRead_;
    }

    const QByteArray& data_;
    qsizetype pos_ = 0;
    bool ranOut_ = false;
    bool inArray_ = false;
    int fieldsRead_ = 0;
};

} // namespace

QByteArray encodeSettings(const SettingsRecord& record) {
    Writer w;
    w.out.reserve(kEmptyRecordSize + 256);
    visitFields(record, w);
    return w.out;
}

int decodeSettings(const QByteArray& bytes, SettingsRecord& into) {
    Reader r(bytes);
    visitFields(into, r);
    return r.fieldsRead();
}

SettingsRecord decodeSettings(const QByteArray& bytes) {
    SettingsRecord record;
    decodeSettings(bytes, record);
    return record;
}

} // namespace settings
