#pragma once
// Readable failure messages for Qt types in GoogleTest.
#include <QByteArray>
#include <QString>
#include <QVariant>
#include <ostream>

QT_BEGIN_NAMESPACE
inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }
inline void PrintTo(const QByteArray& b, std::ostream* os) { *os << "bytes[" << b.toHex(' ').toStdString() << ']'; }
inline void PrintTo(const QVariant& v, std::ostream* os) {
    *os << (v.isValid() ? v.typeName() : "invalid") << '(' << v.toString().toStdString() << ')';
}
QT_END_NAMESPACE
