#include "editor.h"

#include "about_window.h"
#include "busy_work.h"
#include "list_edit.h"
#include "list_marks.h"
#include "main_window.h"
#include "message_box_reporter.h"
#include "script_menus.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QTimer>

// The pictures are compiled into the static editor library. Nothing refers to
// them by symbol, so they are registered by name, which also keeps the linker
// from dropping them. Must stand outside any namespace.
static void registerResources()
{
    Q_INIT_RESOURCE(resources);
}

namespace scp {

// A Load whose lists are being filled, on threads of their own. The window
// stays live meanwhile: the lists take no typing, and whatever would act on
// them waits until all three are in.
struct Editor::Loading {
    explicit Loading(QWidget* window) : busy(window) { busy.setEventLoopRuns(); }
    BusyWork busy;
    QTimer ticker; // the pointer and the progress, while the lists fill
};

Editor::Editor(const QDir& folder) : m_workshop(folder), m_pictures(folder.path())
{
    registerResources();
    m_mainWindow = std::make_unique<MainWindow>();
    MainWindow* main = m_mainWindow.get();
    for (ListId list : kAllLists) {
        new ListMarks(main->listEdit(list), list, &m_pictures); // owned by the list box
        connect(&main->listEdit(list), &ListEdit::contentFilled, this, &Editor::listFilled);
    }
    main->setGate([this](std::function<void()> action) { whenFree(std::move(action)); });
    connect(main, &MainWindow::loadRequested, this, &Editor::load);
    connect(main, &MainWindow::saveMenuRequested, this, &Editor::openSaveMenu);
    connect(main, &MainWindow::copyMenuRequested, this, &Editor::openCopyMenu);
    connect(main, &MainWindow::aboutRequested, this, &Editor::showAbout);
}

Editor::~Editor()
{
    // A Load still filling: its pointer and progress go before the window
    // they belong to.
    m_loading.reset();
}

void Editor::show()
{
    m_mainWindow->show();
}

ScriptMenus& Editor::menus()
{
    if (!m_menus) {
        m_menus = std::make_unique<ScriptMenus>();
        connect(m_menus.get(), &ScriptMenus::compileRequested, this, &Editor::compileScript);
        connect(m_menus.get(), &ScriptMenus::saveSectionsRequested, this, &Editor::saveSections);
        connect(m_menus.get(), &ScriptMenus::copyRequested, this, &Editor::copyList);
    }
    return *m_menus;
}

AboutWindow& Editor::aboutWindow()
{
    if (!m_aboutWindow) {
        m_aboutWindow = std::make_unique<AboutWindow>();
        connect(m_aboutWindow.get(), &AboutWindow::returnRequested, this, &Editor::returnToMain);
        connect(m_aboutWindow.get(), &AboutWindow::linkClicked, this, &Editor::openLink);
    }
    return *m_aboutWindow;
}

namespace {

// Ends the busy feedback before a message box shows.
class FinishingReporter final : public Reporter {
public:
    FinishingReporter(BusyWork& work, QWidget* window) : m_work(work), m_boxes(window) {}
    void information(const QString& text) override
    {
        m_work.finish();
        m_boxes.information(text);
    }
    void failure(const QString& text) override
    {
        m_work.finish();
        m_boxes.failure(text);
    }
    void progress(double fraction) override { m_work.step(fraction); }

private:
    BusyWork& m_work;
    MessageBoxReporter m_boxes;
};

// Lists this long take a Save past the time a busy pointer is due.
constexpr qsizetype kLongSave = qsizetype(8) << 20; // characters

} // namespace

void Editor::whenFree(std::function<void()> action)
{
    if (m_work || m_loading)
        m_waiting.push_back(std::move(action));
    else
        action();
}

void Editor::runWork(bool longWork, const std::function<void(Reporter&)>& work)
{
    {
        BusyWork busy(m_mainWindow.get(), longWork);
        FinishingReporter reporter(busy, m_mainWindow.get());
        m_work = &busy;
        work(reporter);
        m_work = nullptr;
    }
    runWaiting();
}

void Editor::runWaiting()
{
    // In the order asked for, until one of them is a Load, which runs on
    // its own and comes back here when its lists are in.
    while (!m_work && !m_loading && !m_waiting.empty()) {
        const std::function<void()> next = std::move(m_waiting.front());
        m_waiting.erase(m_waiting.begin());
        next();
    }
}

bool Editor::listsAreLong() const
{
    qsizetype characters = 0;
    for (ListId list : kAllLists)
        characters += m_mainWindow->listEdit(list).document()->characterCount();
    return characters >= kLongSave;
}

void Editor::load()
{
    whenFree([this] { startLoad(); });
}

void Editor::startLoad()
{
    auto loading = std::make_unique<Loading>(m_mainWindow.get());
    std::optional<std::array<QByteArray, 3>> contents;
    {
        FinishingReporter reporter(loading->busy, m_mainWindow.get());
        m_work = &loading->busy;
        contents = m_workshop.readSections(reporter);
        m_work = nullptr;
    }
    if (!contents) {
        runWaiting();
        return;
    }
    m_loading = std::move(loading);
    m_mainWindow->setListsBusy(true);
    for (ListId list : kAllLists)
        m_mainWindow->listEdit(list).startFileContent((*contents)[size_t(list)]);
    connect(&m_loading->ticker, &QTimer::timeout, this, [this] {
        double filled = 0;
        for (ListId list : kAllLists)
            filled += m_mainWindow->listEdit(list).filledFraction();
        m_loading->busy.step(filled / 3);
    });
    m_loading->ticker.start(BusyWork::kRepaintEvery);
    listFilled(); // a thread that could not start left nothing to wait for
}

void Editor::listFilled()
{
    if (!m_loading)
        return;
    for (ListId list : kAllLists) {
        if (m_mainWindow->listEdit(list).isFilling())
            return;
    }
    // All three are in: they replace the lists together.
    for (ListId list : kAllLists)
        m_mainWindow->listEdit(list).finishFileContent();
    m_loading.reset();
    m_mainWindow->setListsBusy(false);
    runWaiting();
}

void Editor::compileScript()
{
    whenFree([this] {
        runWork(listsAreLong(), [this](Reporter& reporter) {
            m_workshop.compileScript(m_mainWindow->lists(), reporter);
        });
    });
}

void Editor::saveSections()
{
    whenFree([this] {
        runWork(listsAreLong(), [this](Reporter& reporter) {
            m_workshop.saveSections(m_mainWindow->lists(), reporter);
        });
    });
}

void Editor::copyList(ListId list)
{
    const TextBox& box = m_mainWindow->lists().box(list);
    QClipboard* clipboard = QGuiApplication::clipboard();
    // Emptied first, so no older content in another format outlives the copy.
    clipboard->clear();
    const QString selected = box.selectedText();
    clipboard->setText(selected.isEmpty() ? box.text() : selected);
}

void Editor::openSaveMenu(QPoint at)
{
    ScriptMenus::popup(menus().saveMenu(), at);
}

void Editor::openCopyMenu(ListId list, QPoint at)
{
    ScriptMenus::popup(menus().copyMenu(list), at);
}

void Editor::showAbout()
{
    m_mainWindow->hide();
    aboutWindow().showAbout();
}

void Editor::returnToMain()
{
    aboutWindow().hide();
    m_mainWindow->setVisible(true);
    m_mainWindow->show();
    m_mainWindow->raise();
    m_mainWindow->activateWindow();
}

void Editor::openLink(AboutLink link)
{
    m_launchLink(linkCommand(link));
}

} // namespace scp
