#pragma once

// The About window: a picture, a dedication, three links and Return.

#include <QString>
#include <QWidget>

class QCloseEvent;
class QPushButton;

namespace scp {

enum class AboutLink {
    WebSite,  // "Visit web site (click here)"
    Mail,     // "Mail (click here)"
    Directory // "ICQ (click here)": the messaging directory's search for the contact number
};

// The exact command text a link hands to the link launcher.
QString linkCommand(AboutLink link);

// The About window: a borderless black panel with a picture, a dedication,
// three links and a red Return button. It swaps places with the main window:
// ABOUT hides the main window and shows this one, Return does the reverse.
class AboutWindow : public QWidget {
    Q_OBJECT

public:
    explicit AboutWindow(QWidget* parent = nullptr);

    // Shows the window modeless with Return focused: centred on the screen the
    // first time, at its earlier place afterwards.
    void showAbout();

Q_SIGNALS:
    void returnRequested();
    void linkClicked(scp::AboutLink link);

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    QPushButton* m_returnButton = nullptr;
    bool m_placed = false;
};

} // namespace scp
