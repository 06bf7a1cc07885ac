#pragma once
// The device's binary files are little-endian throughout. These read a value
// from bytes known to be long enough, and append one to a byte buffer.

#include <QByteArray>
#include <QtEndian>
#include <type_traits>

namespace platform {

template <class T> T readLittleEndian(const char* bytes) {
    static_assert(std::is_integral_v<T>);
    return qFromLittleEndian<T>(bytes);
}

template <class T> void appendLittleEndian(QByteArray& out, T value) {
    static_assert(std::is_integral_v<T>);
    char bytes[sizeof(T)];
    qToLittleEndian(value, bytes);
    out.append(bytes, qsizetype(sizeof(T)));
}

} // namespace platform
