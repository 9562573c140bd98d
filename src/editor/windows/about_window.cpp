// The About window's layout, links and ways back.

#include "windows/about_window.h"

#include "script/project_contacts.h"
#include "windows/twips_layout.h"

#include <QCloseEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPixmap>
#include <QPushButton>
#include <QScreen>

#include <functional>
#include <utility>

using namespace Qt::StringLiterals;

namespace scp {
namespace {

const QColor kBlack(0, 0, 0);
const QColor kRed(255, 0, 0);

const QString kDedication =
    u"Dedicated to all who build script patches by hand: may every gump line up, every tile "
    u"load on the first try and every item find its layer. This small editor keeps your lists "
    u"in order while you work."_s;

// A caption that acts like a button: a left press and release over it is one
// click. A press elsewhere dragged onto it, or a release dragged off it, is
// not.
class LinkLabel : public QLabel {
public:
    LinkLabel(QWidget* parent, std::function<void()> onClick)
        : QLabel(parent), m_onClick(std::move(onClick))
    {
    }

protected:
    void mousePressEvent(QMouseEvent* event) override
    {
        if (event->button() == Qt::LeftButton)
            m_pressed = true;
        event->accept();
    }

    void mouseReleaseEvent(QMouseEvent* event) override
    {
        if (event->button() != Qt::LeftButton)
            return;
        const bool click = m_pressed && rect().contains(event->position().toPoint());
        m_pressed = false;
        if (click)
            m_onClick();
    }

private:
    std::function<void()> m_onClick;
    bool m_pressed = false;
};

void styleLabel(QLabel* label, const QString& name, const QString& caption, const QRect& rect)
{
    label->setObjectName(name);
    label->setText(caption);
    label->setTextFormat(Qt::PlainText);
    label->setWordWrap(true);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    label->setGeometry(rect);
    label->setFocusPolicy(Qt::NoFocus);
    label->setCursor(Qt::ArrowCursor);
    QPalette palette = label->palette();
    palette.setColor(QPalette::Window, kBlack);
    palette.setColor(QPalette::WindowText, kRed);
    label->setPalette(palette);
    label->setAutoFillBackground(true);
}

} // namespace

QString linkCommand(AboutLink link)
{
    switch (link) {
    case AboutLink::WebSite:
        return u"start http://"_s + QLatin1StringView(contacts::kWebPage);
    case AboutLink::Mail:
        return u"start mailto:"_s + QLatin1StringView(contacts::kAuthorMail);
    case AboutLink::Directory:
        return u"start http://"_s + QLatin1StringView(contacts::kDirectoryHost) +
               u"/scripts/Search.dll?to="_s + QLatin1StringView(contacts::kContactNumber);
    }
    return {};
}

AboutWindow::AboutWindow(QWidget* parent) : QWidget(parent, Qt::Tool | Qt::FramelessWindowHint)
{
    // A tool window is still top-level but gets no task-bar button; without a
    // border it has no title bar, close box or system menu either.
    setAttribute(Qt::WA_MacAlwaysShowToolWindow);
    setObjectName(u"aboutWindow"_s);
    // Never drawn, but window lists and screen readers say it.
    setWindowTitle(u"About scpmaker"_s);
    setFixedSize(twips(0, 0, 5190, 4290).size());

    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, kBlack);
    palette.setColor(QPalette::WindowText, kRed);
    setPalette(palette);
    setAutoFillBackground(true);

    auto* image = new QLabel(this);
    image->setObjectName(u"picture"_s);
    image->setGeometry(twips(360, 120, 4500, 2250));
    image->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    image->setPixmap(QPixmap(u":/about.jpg"_s)); // 300 x 150, shown unscaled

    auto* dedication = new QLabel(this);
    styleLabel(dedication, u"dedication"_s, kDedication, twips(600, 2400, 3855, 855));

    auto* directoryLink = new LinkLabel(this, [this] { Q_EMIT linkClicked(AboutLink::Directory); });
    styleLabel(directoryLink, u"directoryLink"_s, u"ICQ (click here)"_s,
               twips(360, 3480, 1095, 255));
    directoryLink->setAccessibleName(u"ICQ directory search"_s);

    auto* webLink = new LinkLabel(this, [this] { Q_EMIT linkClicked(AboutLink::WebSite); });
    styleLabel(webLink, u"webLink"_s, u"Visit web site (click here)"_s,
               twips(3960, 3600, 1215, 375));
    webLink->setAccessibleName(u"Visit web site"_s);

    m_returnButton = new QPushButton(u"Return"_s, this);
    m_returnButton->setObjectName(u"returnButton"_s);
    m_returnButton->setAccessibleName(u"Return"_s);
    m_returnButton->setAccessibleDescription(u"Back to the main window"_s);
    m_returnButton->setGeometry(twips(1920, 3720, 1335, 375));
    m_returnButton->setFocusPolicy(Qt::StrongFocus);
    // Enter as well as Space presses it, the way a focused button works on the
    // desktop this window was drawn for; Qt only does that by itself in dialogs.
    m_returnButton->setAutoDefault(true);
    // A style sheet, because not every platform style paints a palette's
    // button colour.
    m_returnButton->setStyleSheet(u"QPushButton { background-color: rgb(255, 0, 0); color: black;"
                                  u" border: 2px outset rgb(255, 120, 120); }"
                                  u"QPushButton:pressed { border-style: inset; }"
                                  u"QPushButton:focus { border-color: rgb(255, 200, 200); }"_s);
    connect(m_returnButton, &QPushButton::clicked, this, &AboutWindow::returnRequested);

    auto* mailLink = new LinkLabel(this, [this] { Q_EMIT linkClicked(AboutLink::Mail); });
    styleLabel(mailLink, u"mailLink"_s, u"Mail (click here)"_s, twips(360, 3840, 1335, 255));
    mailLink->setAccessibleName(u"Mail"_s);

    QList<CaptionRoom> captions;
    for (const QLabel* label :
         std::initializer_list<const QLabel*>{dedication, directoryLink, webLink, mailLink})
        captions.append({label->text(), label->contentsRect().size(), label->wordWrap()});
    setFont(fontFitting(font(), captions));
}

void AboutWindow::showAbout()
{
    if (!m_placed) {
        QRect place(QPoint(), size());
        place.moveCenter(screen()->availableGeometry().center());
        move(place.topLeft());
        m_placed = true;
    }
    show();
    raise();
    activateWindow();
    m_returnButton->setFocus(Qt::OtherFocusReason);
}

void AboutWindow::closeEvent(QCloseEvent* event)
{
    // The window has no close box, but a window manager can still close it
    // (Alt+F4). The main window is hidden while this one is up, so a close
    // counts as Return rather than leaving nothing on screen. A hidden About
    // window closes normally, which lets the application quit.
    if (!isVisible()) {
        event->accept();
        return;
    }
    event->ignore();
    Q_EMIT returnRequested();
}

} // namespace scp
