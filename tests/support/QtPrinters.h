#pragma once
// Readable failure messages for Qt types in GoogleTest.
#include <QByteArray>
#include <QString>
#include <ostream>

QT_BEGIN_NAMESPACE
inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }
inline void PrintTo(const QByteArray& b, std::ostream* os) { *os << "bytes[" << b.toHex(' ').toStdString() << ']'; }
QT_END_NAMESPACE
