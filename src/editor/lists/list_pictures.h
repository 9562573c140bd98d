#pragma once

// The pictures of a gumps or tiles list: each entry's picture shown over it,
// and the fix of a size mark.

#include "pictures/bmp_header.h"

#include <QKeyCombination>
#include <QObject>
#include <QPoint>
#include <QRect>
#include <QString>

#include <optional>

namespace scp {

class ListEdit;
class ListMarks;
class PicturePreviews;

// Shows the picture an entry names, scaled down, with its name, its true
// size and the reasons of the entry's marks: as the tooltip where the
// pointer rests on the entry, and for the entry at the caret on Ctrl+I
// (or when asked from the list's menu). Pictures are decoded on another
// thread (PicturePreviews); until one is in, the tooltip says so, and it
// shows the picture once decoded if it is still up.
//
// An entry with a size mark gets its fix: the picture's width and height put
// in place of the entry's, one undo step, the rest of the list untouched.
class ListPictures final : public QObject {
    Q_OBJECT

public:
    static constexpr QKeyCombination kShowKey{Qt::ControlModifier, Qt::Key_I};

    // Lives as long as `edit`, whose child it becomes; the rest outlive it.
    ListPictures(ListEdit& edit, ListMarks& marks, PictureFolder& pictures,
                 PicturePreviews& previews);
    ~ListPictures() override;

    // Whether the entry at the document position names a picture that is
    // in the folder.
    bool hasPicture(int position);
    // Shows the picture of the entry at `position` beside it; when it names
    // none in the folder, says so there.
    void showPicture(int position);
    // The picture's size, when the entry at `position` has a size mark and
    // its picture is a readable BMP.
    std::optional<BmpSize> sizeFix(int position);
    // Puts that size in the entry: false when there is nothing to fix.
    bool useSizeFix(int position);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct Entry {
        int start = 0, end = 0; // document positions
        QString name;
        int widthStart = 0, heightEnd = 0;
        QString width, height;
    };
    std::optional<Entry> entryAt(int position) const;
    int characterAt(const QPoint& at) const;
    QRect entryRect(const Entry& entry, int position) const;
    void show(const Entry& entry, const PictureInfo& info, const QPoint& globalAt,
              const QRect& rect);
    void previewReady(const QString& path);

    ListEdit& m_edit;
    QObject* m_viewport;
    ListMarks& m_marks;
    PictureFolder& m_pictures;
    PicturePreviews& m_previews;
    // The tooltip up: shown again once its picture is decoded.
    struct Shown {
        QString path;
        int position = -1;
        QPoint globalAt;
        QRect rect;
    } m_shown;
};

} // namespace scp
