#pragma once
// Builds fare data file bytes field by field, independently of the codec, so
// tests can make any file, damaged ones included.
#include <QByteArray>
#include <cstdint>
#include <initializer_list>

struct HandMadeFare {
    QByteArray bytes;
    HandMadeFare& i16(int v) {
        const auto u = static_cast<std::uint16_t>(v);
        bytes.append(char(u & 0xFF)).append(char(u >> 8));
        return *this;
    }
    HandMadeFare& raw(const QByteArray& b) {
        bytes.append(b);
        return *this;
    }
    // A whole row: name, ticket number, then the given first columns and -1
    // for the rest.
    HandMadeFare& row(const QByteArray& name, int ticket, std::initializer_list<int> cols = {}) {
        i16(int(name.size())).raw(name).i16(ticket);
        int n = 0;
        for (int v : cols) {
            i16(v);
            ++n;
        }
        for (; n < 150; ++n) i16(-1);
        return *this;
    }
};
