// Each entry's picture over the list, and the size mark's fix.

#include "lists/list_pictures.h"

#include "lint/lint.h"
#include "lists/list_document.h"
#include "lists/list_edit.h"
#include "lists/list_marks.h"
#include "lists/picture_previews.h"

#include <QDir>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QTextCursor>
#include <QTextDocument>
#include <QToolTip>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace scp {

namespace {

// How far either side of a position an entry is looked for: a picture
// entry is a few dozen characters, and a longer run is none.
constexpr int kReach = 1024;
constexpr int kPictureFields = 4;

// Entries part at line ends and at runs of two or more spaces, as the lint
// parts them.
bool separates(QStringView text, qsizetype i)
{
    const QChar c = text[i];
    if (c == u'\n' || c == u'\r')
        return true;
    return c == u' ' &&
           ((i > 0 && text[i - 1] == u' ') || (i + 1 < text.size() && text[i + 1] == u' '));
}

} // namespace

ListPictures::ListPictures(ListEdit& edit, ListMarks& marks, PictureFolder& pictures,
                           PicturePreviews& previews)
    : QObject(&edit), m_edit(edit), m_viewport(edit.viewport()), m_marks(marks),
      m_pictures(pictures), m_previews(previews)
{
    // Installed after the marks' filter, so it sees tooltip events first and
    // leaves to the marks those over entries without a picture.
    m_viewport->installEventFilter(this);
    // Ctrl+I, as the box's own key rather than a shortcut: it needs nothing
    // from the window but the box's focus.
    edit.installEventFilter(this);
    connect(&m_previews, &PicturePreviews::ready, this, &ListPictures::previewReady);
}

ListPictures::~ListPictures() = default;

std::optional<ListPictures::Entry> ListPictures::entryAt(int position) const
{
    const QTextDocument& document = *m_edit.document();
    const int size = document.characterCount() - 1;
    if (position < 0 || position > size)
        return {};
    const int from = std::max(0, position - kReach), to = std::min(size, position + kReach);
    QString text;
    ListDocument::positionText(document, from, to, text);
    qsizetype at = position - from;
    // A caret just past an entry is at it too.
    if (at >= text.size() || separates(text, at)) {
        if (at == 0 || separates(text, at - 1))
            return {};
        --at;
    }
    qsizetype start = at, end = at;
    while (start > 0 && !separates(text, start - 1))
        --start;
    while (end < text.size() && !separates(text, end))
        ++end;
    if ((start == 0 && from > 0) || (end == text.size() && to < size))
        return {}; // longer than any picture entry
    const QList<QStringView> fields = QStringView(text).sliced(start, end - start).split(u' ');
    if (fields.size() != kPictureFields || fields[1].isEmpty() || fields[1].contains(u'/') ||
        fields[1].contains(u'\\'))
        return {};
    Entry entry;
    entry.start = int(from + start);
    entry.end = int(from + end);
    entry.name = fields[1].toString();
    entry.width = fields[2].toString();
    entry.height = fields[3].toString();
    entry.heightEnd = entry.end;
    entry.widthStart = entry.end - int(entry.height.size() + 1 + entry.width.size());
    return entry;
}

bool ListPictures::hasPicture(int position)
{
    const std::optional<Entry> entry = entryAt(position);
    return entry && m_pictures.picture(entry->name).state != PictureInfo::State::Missing;
}

std::optional<BmpSize> ListPictures::sizeFix(int position)
{
    const std::optional<Entry> entry = entryAt(position);
    if (!entry)
        return {};
    const QList<LintFinding> findings = m_marks.findings(entry->start, entry->end);
    if (std::none_of(findings.begin(), findings.end(),
                     [](const LintFinding& f) { return f.rule == LintRule::PictureSize; }))
        return {};
    const PictureInfo info = m_pictures.picture(entry->name);
    if (info.state != PictureInfo::State::Readable)
        return {};
    return info.size;
}

bool ListPictures::useSizeFix(int position)
{
    const std::optional<BmpSize> size = sizeFix(position);
    if (!size)
        return false;
    const Entry entry = *entryAt(position);
    QTextCursor cursor(m_edit.document());
    cursor.beginEditBlock();
    cursor.setPosition(entry.widthStart);
    cursor.setPosition(entry.heightEnd, QTextCursor::KeepAnchor);
    cursor.removeSelectedText();
    ListDocument::insertText(
        cursor, u"%1 %2"_s.arg(QString::number(size->width), QString::number(size->height)));
    cursor.endEditBlock();
    return true;
}

int ListPictures::characterAt(const QPoint& at) const
{
    // The nearest caret position is on either side of the character under
    // the pointer.
    const int nearest = m_edit.cursorForPosition(at).position();
    for (const int position : {nearest, nearest - 1}) {
        if (position < 0 || position >= m_edit.document()->characterCount() - 1)
            continue;
        QTextCursor cursor(m_edit.document());
        cursor.setPosition(position);
        const QRect left = m_edit.cursorRect(cursor);
        cursor.setPosition(position + 1);
        const QRect right = m_edit.cursorRect(cursor);
        const int end = right.top() == left.top() ? right.left() : m_edit.viewport()->width();
        if (at.y() >= left.top() && at.y() <= left.bottom() && at.x() >= left.left() &&
            at.x() < end)
            return position;
    }
    return -1;
}

QRect ListPictures::entryRect(const Entry& entry, int position) const
{
    // The entry's part on the row of `position`.
    QTextCursor cursor(m_edit.document());
    cursor.setPosition(position);
    const QRect row = m_edit.cursorRect(cursor);
    cursor.setPosition(entry.start);
    QRect start = m_edit.cursorRect(cursor);
    cursor.setPosition(entry.end);
    QRect end = m_edit.cursorRect(cursor);
    const int left = start.top() == row.top() ? start.left() : 0;
    const int right = end.top() == row.top() ? end.left() : m_edit.viewport()->width();
    return QRect(QPoint(left, row.top()), QPoint(std::max(left, right), row.bottom()));
}

void ListPictures::show(const Entry& entry, const PictureInfo& info, const QPoint& globalAt,
                        const QRect& rect)
{
    const QString path = QDir(m_pictures.path()).filePath(entry.name);
    QString html;
    if (info.state == PictureInfo::State::Readable) {
        if (const PicturePreview* preview = m_previews.preview(path)) {
            if (preview->png.isEmpty())
                html += u"<p><i>It cannot be shown: %1.</i></p>"_s.arg(
                    preview->problem.toHtmlEscaped());
            else
                html += u"<p><img src=\"data:image/png;base64,%1\" width=\"%2\" height=\"%3\" "
                        u"alt=\"%4\"></p>"_s.arg(QString::fromLatin1(preview->png.toBase64()),
                                                 QString::number(preview->shown.width()),
                                                 QString::number(preview->shown.height()),
                                                 entry.name.toHtmlEscaped());
        } else {
            html += u"<p><i>Reading the picture...</i></p>"_s;
        }
        html += u"<p><b>%1</b>, %2 x %3 pixels</p>"_s.arg(entry.name.toHtmlEscaped(),
                                                          QString::number(info.size.width),
                                                          QString::number(info.size.height));
    } else {
        html += u"<p><b>%1</b></p>"_s.arg(entry.name.toHtmlEscaped());
    }
    QStringList reasons;
    for (const LintFinding& finding : m_marks.findings(entry.start, entry.end))
        reasons << finding.message.toHtmlEscaped();
    if (!reasons.isEmpty())
        html += u"<p>"_s + reasons.join(u"<br>"_s) + u"</p>"_s;
    m_shown = {path, entry.start, globalAt, rect};
    QToolTip::showText(globalAt, html, m_edit.viewport(), rect);
}

void ListPictures::showPicture(int position)
{
    const std::optional<Entry> entry = entryAt(position);
    QTextCursor cursor(m_edit.document());
    cursor.setPosition(std::clamp(position, 0, m_edit.document()->characterCount() - 1));
    const QRect caret = m_edit.cursorRect(cursor);
    const QPoint at = m_edit.viewport()->mapToGlobal(caret.bottomLeft());
    const PictureInfo info = entry ? m_pictures.picture(entry->name) : PictureInfo{};
    if (!entry || info.state == PictureInfo::State::Missing) {
        m_shown = {};
        QToolTip::showText(at,
                           entry ? u"\"%1\" is not in the working folder."_s.arg(entry->name)
                                 : u"No entry naming a picture is here."_s,
                           m_edit.viewport());
        return;
    }
    show(*entry, info, at, QRect());
}

void ListPictures::previewReady(const QString& path)
{
    if (path != m_shown.path || !QToolTip::isVisible())
        return;
    const std::optional<Entry> entry = entryAt(m_shown.position);
    if (!entry || QDir(m_pictures.path()).filePath(entry->name) != path)
        return;
    show(*entry, m_pictures.picture(entry->name), m_shown.globalAt, m_shown.rect);
}

bool ListPictures::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == &m_edit && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->keyCombination() != kShowKey)
            return false;
        showPicture(m_edit.textCursor().position());
        return true;
    }
    if (watched != m_viewport || event->type() != QEvent::ToolTip)
        return false;
    const auto* help = static_cast<QHelpEvent*>(event);
    const int position = characterAt(help->pos());
    const std::optional<Entry> entry = entryAt(position);
    if (!entry)
        return false;
    const PictureInfo info = m_pictures.picture(entry->name);
    if (info.state == PictureInfo::State::Missing)
        return false; // the marks say why
    show(*entry, info, help->globalPos(), entryRect(*entry, position));
    return true;
}

} // namespace scp
