// Encoding the three lists at once, and saying which character stopped it.

#include "script/list_encoding.h"

#include <QAtomicInt>
#include <QDir>
#include <QSemaphore>
#include <QThreadPool>

#include <algorithm>
#include <cstring>
#include <memory>
#include <optional>
#include <vector>

using namespace Qt::StringLiterals;

namespace scp {

namespace {

// Below this many positions a list is encoded whole: a split would cost
// more than it saves.
constexpr qsizetype kSplitFrom = qsizetype(1) << 20;

// The three lists' encoding as pieces of work, shared by the threads that
// take them in turn: the caller's and up to two of the pool's. Held by each
// pool thread too, as one may start only after the work is all done.
struct Encoding {
    explicit Encoding(const EntryLists& lists) : lists(lists)
    {
        // The longest list that can be split goes in two halves, each
        // written into its place in one buffer, so that two cores share it.
        const auto longest = std::ranges::max_element(
            kAllLists, {}, [&](ListId list) { return lists.box(list).encodingPositions(); });
        positions = lists.box(*longest).encodingPositions();
        if (positions >= kSplitFrom) {
            split = *longest;
            halves = QByteArray(2 * positions, Qt::Uninitialized);
        }
        // The halves first: taken last, a long piece would run alone.
        for (ListId list : kAllLists) {
            if (list != split)
                pieces.push_back(int(list));
        }
        if (split)
            pieces.insert(pieces.begin(), {kFirstHalf, kSecondHalf});
    }

    void run(int piece)
    {
        if (piece >= 0) {
            encoded[size_t(piece)] = lists.box(ListId(piece)).encoded();
            return;
        }
        // The first half takes at most two bytes a position; the second is
        // written after that room and moved up to the first once both are done.
        const qsizetype middle = positions / 2;
        const TextBox& box = lists.box(*split);
        halfParts[piece == kFirstHalf ? 0 : 1] =
            piece == kFirstHalf ? box.encodePart(0, middle, halves.data())
                                : box.encodePart(middle, positions, halves.data() + 2 * middle);
    }

    // Runs pieces until none is left; how many it ran.
    int work()
    {
        int ran = 0;
        for (int at; (at = next.fetchAndAddRelaxed(1)) < int(pieces.size()); ++ran)
            run(pieces[size_t(at)]);
        return ran;
    }

    void joinHalves()
    {
        if (!split)
            return;
        const TextBox::EncodedPart& first = halfParts[0];
        const TextBox::EncodedPart& second = halfParts[1];
        Cp1252Encoding& result = encoded[size_t(*split)];
        result.badIndex = first.badIndex >= 0    ? first.badIndex
                          : second.badIndex >= 0 ? first.size + second.badIndex
                                                 : -1;
        if (!result.ok())
            return;
        const qsizetype middle = positions / 2;
        std::memmove(halves.data() + first.size, halves.constData() + 2 * middle,
                     size_t(second.size));
        halves.resize(first.size + second.size);
        result.bytes = std::move(halves);
    }

    static constexpr int kFirstHalf = -1;
    static constexpr int kSecondHalf = -2;
    const EntryLists& lists;
    std::optional<ListId> split;
    qsizetype positions = 0;
    QByteArray halves;
    std::array<TextBox::EncodedPart, 2> halfParts;
    std::vector<int> pieces; // a list, or one of its halves
    QAtomicInt next = 0;
    QSemaphore done;
    std::array<Cp1252Encoding, 3> encoded;
};

} // namespace

std::array<Cp1252Encoding, 3> encodeLists(const EntryLists& lists)
{
    const auto encoding = std::make_shared<Encoding>(lists);
    // Pool threads that are busy elsewhere leave their share to this one.
    for (int helper = 0; helper < 2; ++helper) {
        QThreadPool::globalInstance()->tryStart(
            [encoding] { encoding->done.release(encoding->work()); });
    }
    encoding->done.release(encoding->work());
    encoding->done.acquire(int(encoding->pieces.size()));
    encoding->joinHalves();
    return std::move(encoding->encoded);
}

QString describedList(ListId list)
{
    return u"the %1 list"_s.arg(listName(list));
}

Outcome unencodable(const QString& path, const QString& what, const TextBox& box,
                    qsizetype badIndex)
{
    // The text is only built to describe the character that has no byte.
    return Outcome::failure(
        u"Could not write \"%1\": %2 has %3, which has no Windows-1252 byte"_s.arg(
            QDir::toNativeSeparators(path), what, describeCharacterAt(box.text(), badIndex)));
}

} // namespace scp
