#pragma once

#include <QString>
#include <QWidget>

class QCloseEvent;
class QPushButton;

namespace scp {

// The About window's own link targets. None holds a space, so each command
// text stays "start" plus one word.
namespace about {
inline constexpr char kWebPage[] = "scpmaker.example.org/"; // host and path
inline constexpr char kDirectoryHost[] = "directory.example.org";
} // namespace about

enum class AboutLink {
    WebSite,  // Label3
    Mail,     // Label2
    Directory // ICQ: the messaging directory's search for the contact number
};

// The exact command text a link hands to launch_link().
QString link_command(AboutLink link);

// The About window: a borderless black panel with a picture, a dedication,
// three links and a red Return button. It swaps places with the main window:
// ABOUT hides the main window and shows this one, Return does the reverse.
class Form2 : public QWidget {
    Q_OBJECT

public:
    explicit Form2(QWidget* parent = nullptr);

    // Shows the window modeless with Return focused: centred on the screen the
    // first time, at its earlier place afterwards.
    void showAbout();

    void Command1_Click(); // Return
    void Label3_Click();   // web site
    void Label2_Click();   // mail
    void ICQ_Click();      // messaging directory search

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    QPushButton* m_command1 = nullptr;
    bool m_placed = false;
};

} // namespace scp
