#pragma once

// A picture file made in memory, for tests and benchmarks that drop pictures.

#include <QByteArray>
#include <QtGlobal>

// A 24-bit BMP of w x h pixels, 40-byte header, rows padded to four bytes, patterned pixels.
inline QByteArray bmpBytes(int w, int h)
{
    const int row = (w * 3 + 3) / 4 * 4;
    const auto le = [](quint32 v, int n) {
        QByteArray b;
        for (int i = 0; i < n; ++i)
            b += char((v >> (8 * i)) & 0xFF);
        return b;
    };
    QByteArray pixels(row * h, '\0');
    for (int i = 0; i < pixels.size(); ++i)
        pixels[i] = char(i * 7);
    return "BM" + le(54 + row * h, 4) + le(0, 4) + le(54, 4) + le(40, 4) + le(w, 4) + le(h, 4) +
           le(1, 2) + le(24, 2) + le(0, 4) + le(row * h, 4) + QByteArray(16, '\0') + pixels;
}
