#include "tools/GtfsCsv.h"

#include <utility>

namespace gtfs {

namespace {

bool isBlank(const QByteArray& field) {
    for (const char c : field)
        if (c != ' ' && c != '\t' && c != '\r' && c != '\n') return false;
    return true;
}

} // namespace

QString GtfsError::message() const {
    if (File.isEmpty()) return What;
    if (Line > 0) return QStringLiteral("%1 line %2: %3").arg(File, QString::number(Line), What);
    return QStringLiteral("%1: %2").arg(File, What);
}

int firstNonUtf8Line(QByteArrayView bytes) {
    int line = 1;
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    const qsizetype n = bytes.size();
    for (qsizetype i = 0; i < n;) {
        const unsigned char c = p[i];
        if (c < 0x80) {
            if (c == '\n') ++line;
            ++i;
            continue;
        }
        // Length and the smallest code of the sequence, so over-long forms,
        // surrogates and codes above U+10FFFF are refused as well.
        int length = 0;
        char32_t code = 0;
        char32_t least = 0;
        if (c >= 0xC2 && c <= 0xDF) {
            length = 2;
            code = c & 0x1F;
            least = 0x80;
        } else if (c >= 0xE0 && c <= 0xEF) {
            length = 3;
            code = c & 0x0F;
            least = 0x800;
        } else if (c >= 0xF0 && c <= 0xF4) {
            length = 4;
            code = c & 0x07;
            least = 0x10000;
        } else {
            return line;
        }
        if (i + length > n) return line;
        for (int k = 1; k < length; ++k) {
            const unsigned char t = p[i + k];
            if ((t & 0xC0) != 0x80) return line;
            code = (code << 6) | (t & 0x3F);
        }
        if (code < least || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return line;
        i += length;
    }
    return 0;
}

CsvReader::CsvReader(QString fileName, QByteArrayView bytes) : fileName_(std::move(fileName)), bytes_(bytes) {
    if (const int bad = firstNonUtf8Line(bytes_)) {
        error_ = GtfsError{fileName_, bad,
                           QStringLiteral("not UTF-8 text (a GTFS feed is UTF-8; was the file saved as Shift_JIS?)")};
        return;
    }
    if (bytes_.startsWith("\xEF\xBB\xBF")) pos_ = 3;
    // The header is the first row that is not blank.
    while (readRecord()) {
        bool blank = true;
        for (size_t k = 0; k < fieldCount_; ++k)
            if (!isBlank(fields_[k])) blank = false;
        if (blank) continue;
        for (size_t k = 0; k < fieldCount_; ++k) {
            QString name = QString::fromUtf8(fields_[k]).trimmed();
            if (name.startsWith(QChar(0xFEFF))) name = name.mid(1).trimmed(); // a second mark, from joined files
            header_ << name;
        }
        return;
    }
    if (!error_) error_ = GtfsError{fileName_, 0, QStringLiteral("the file is empty (no header row)")};
}

int CsvReader::column(QStringView name) const {
    for (qsizetype k = 0; k < header_.size(); ++k)
        if (header_[k].compare(name, Qt::CaseInsensitive) == 0) return int(k);
    return -1;
}

QString CsvReader::field(int column) const {
    if (column < 0 || size_t(column) >= fieldCount_) return {};
    return QString::fromUtf8(fields_[size_t(column)]).trimmed();
}

bool CsvReader::next() {
    if (error_) return false;
    while (readRecord()) {
        for (size_t k = 0; k < fieldCount_; ++k)
            if (!isBlank(fields_[k])) return true;
        // a blank row, or one of only commas: nothing to read
    }
    return false;
}

bool CsvReader::readRecord() {
    const qsizetype n = bytes_.size();
    if (pos_ >= n) return false;
    fieldCount_ = 0;
    rowLine_ = line_;
    auto field = [&]() -> QByteArray& {
        if (fieldCount_ == fields_.size()) fields_.emplace_back();
        QByteArray& f = fields_[fieldCount_++];
        f.clear();
        return f;
    };
    QByteArray* current = &field();
    bool quoted = false;     // inside a quoted part
    bool fieldStart = true;  // nothing but spaces in this field yet
    int quoteLine = 0;
    while (pos_ < n) {
        const char c = bytes_[pos_++];
        if (quoted) {
            if (c == '"') {
                if (pos_ < n && bytes_[pos_] == '"') {
                    current->append('"');
                    ++pos_;
                } else {
                    quoted = false;
                }
            } else {
                if (c == '\n' || (c == '\r' && (pos_ >= n || bytes_[pos_] != '\n'))) ++line_;
                current->append(c);
            }
            continue;
        }
        if (c == '"' && fieldStart) {
            current->clear(); // spaces before the opening quote
            quoted = true;
            fieldStart = false;
            quoteLine = line_;
        } else if (c == ',') {
            current = &field();
            fieldStart = true;
        } else if (c == '\r' || c == '\n') {
            if (c == '\r' && pos_ < n && bytes_[pos_] == '\n') ++pos_;
            ++line_;
            return true;
        } else {
            if (c != ' ' && c != '\t') fieldStart = false;
            current->append(c);
        }
    }
    if (quoted) {
        error_ = GtfsError{fileName_, quoteLine, QStringLiteral("a double quote opened here is never closed")};
        return false;
    }
    return true;
}

} // namespace gtfs
