// A text box in memory: text, or a file's bytes decoded only when asked.

#include "text/memory_text_box.h"

#include "text/line_ends.h"

#include <algorithm>

namespace scp {

MemoryTextBox::MemoryTextBox(const QString& text) : m_text(normalizeLineEnds(text)) {}

QString MemoryTextBox::text() const
{
    if (!m_holdsBytes)
        return m_text;
    if (m_pieces.size() == 1)
        return decodeCp1252(m_pieces.first());
    QString text;
    qsizetype size = 0;
    for (const QByteArray& piece : m_pieces)
        size += piece.size();
    text.reserve(size);
    for (const QByteArray& piece : m_pieces)
        text += decodeCp1252(piece);
    return text;
}

void MemoryTextBox::setText(const QString& text)
{
    m_pieces.clear();
    m_holdsBytes = false;
    m_text = normalizeLineEnds(text);
}

void MemoryTextBox::setEncoded(const QList<QByteArray>& pieces)
{
    m_text.clear();
    m_pieces.clear();
    m_pieces.reserve(pieces.size());
    for (const QByteArray& piece : pieces)
        m_pieces.append(normalizeLineEnds(piece));
    m_holdsBytes = true;
}

void MemoryTextBox::holdText()
{
    if (!m_holdsBytes)
        return;
    m_text = text();
    m_pieces.clear();
    m_holdsBytes = false;
}

void MemoryTextBox::appendText(const QString& text)
{
    holdText();
    // Stored text never ends in a lone CR, so the piece can be normalised on
    // its own.
    m_text.append(normalizeLineEnds(text));
}

bool MemoryTextBox::isEmpty() const
{
    if (!m_holdsBytes)
        return m_text.isEmpty();
    return std::all_of(m_pieces.cbegin(), m_pieces.cend(),
                       [](const QByteArray& piece) { return piece.isEmpty(); });
}

Cp1252Encoding MemoryTextBox::encoded() const
{
    if (!m_holdsBytes)
        return encodeCp1252(m_text);
    if (m_pieces.size() == 1)
        return {m_pieces.first()};
    return {m_pieces.join()};
}

} // namespace scp
