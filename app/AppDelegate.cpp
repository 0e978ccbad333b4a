#include "app/AppDelegate.h"
#include "ui_MainWindow.h"

#include "app/common/Endpoints.h"
#include "app/common/Utils.h"
#include "app/LibraryWatch.h"
#include "app/SingleInstance.h"
#include "app/history/UndoActions.h"
#include "app/update/AboutWindowController.h"
#include "app/update/UpdateWindowController.h"
#include "style/Arrow.h"
#include "style/CannotOpen.h"
#include "style/Motion.h"
#include "style/OpacityEffect.h"
#include "style/Palette.h"
#include "style/SideBar.h"
#include "tools/dateadded/DateAddedViewController.h"
#include "tools/modification/ModificationViewController.h"
#include "tools/playcount/CountEditorViewController.h"
#include "tools/rating/RatingViewController.h"
#include "tracks/library/ITunesApplication.h"
#include "window/TitleBarWindow.h"

#include <QAction>
#include <QApplication>
#include <QEvent>
#include <QGraphicsOpacityEffect>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QParallelAnimationGroup>
#include <QPropertyAnimation>
#include <QPushButton>
#include <QThreadPool>
#include <QToolButton>

#include <cmath>

namespace {

const char *const tabTooltips[4] = {"Date Modified", "Date Added", "Play Count", "Rating"};
const char *const tabIcons[4] = {":/images/tab_modified.png", ":/images/tab_added.png",
                                 ":/images/tab_playcount.png", ":/images/tab_rating.png"};

bool libraryIsRunning()
{
    return ITunesApplication::iTunes()
        .isRunning();
}

} // namespace

AppDelegate::AppDelegate(QObject *parent) : QObject(parent) {}

AppDelegate::~AppDelegate()
{
    // No thread of ours may outlive the delegate.
    if (m_watch)
        m_watch->stop();
}

bool AppDelegate::applicationDidFinishLaunching(const QList<QUrl> &files)
{
    m_singleInstance = std::make_unique<SingleInstance>();
    if (!m_singleInstance->claim(files))
        return false;
    connect(m_singleInstance.get(), &SingleInstance::activated, this, &AppDelegate::applicationShouldHandleReopen);
    connect(m_singleInstance.get(), &SingleInstance::filesOpened, this, &AppDelegate::openFiles);
    QApplication::setQuitOnLastWindowClosed(false);

    buildWindow();

    // The tab buttons, the arrow (its first place beside tab 1) and the
    // container come from the interface description.
    m_currentTabIndex = 0;
    m_oriArrowTop = arrow()->y();
    showModificationViewController();
    for (int i = 0; i < 4; ++i)
        tab(i)->setToolTip(QString::fromLatin1(tabTooltips[i]));

    m_window->show();
    if (!files.isEmpty())
        openFiles(files);

    if (!libraryIsRunning())
        showOrHideiTunesAlert(true);

    m_watch = std::make_unique<LibraryWatch>(&libraryIsRunning, [this](bool show) { showOrHideiTunesAlert(show); },
                                             m_iTunesAlertShown);
    m_watch->start();
    connect(qApp, &QCoreApplication::aboutToQuit, this, [this] { m_watch->stop(); });
    return true;
}

void AppDelegate::buildWindow()
{
    m_window = std::make_unique<TitleBarWindow>();
    m_window->setTrafficLightButtonsLeftMargin(7.0);
    m_window->setFullScreenButtonRightMargin(7.0);
    m_window->setCenterFullScreenButton(true);
    m_window->setTitleBarHeight(40.0);
    m_window->setBackgroundColor(Utils::ColorBG());
    // The sidebar seems to run up to the window's top edge.
    m_window->setTitleBarSideColumn(sidebarWidth, Utils::ColorSidebar());
    m_window->setWindowTitle(QStringLiteral("Melvora for iTunes"));
    m_window->setWindowIcon(QIcon(QStringLiteral(":/images/appicon.png")));

    m_content = new QWidget(m_window->contentView());
    m_ui = std::make_unique<Ui::MainWindow>();
    m_ui->setupUi(m_content);
    m_window->resize(m_content->width(), m_content->height() + 40);
    m_window->setMinimumSize(m_content->minimumWidth(), m_content->minimumHeight() + 40);
    m_content->setGeometry(m_window->contentView()->rect());
    m_window->contentView()->installEventFilter(this);
    m_content->installEventFilter(this);

    m_sidebar = new SideBar(m_content);
    m_sidebar->setGeometry(0, 0, int(sidebarWidth), m_content->height());
    m_sidebar->setWindow(m_window.get());
    m_sidebar->lower();

    for (int i = 0; i < 4; ++i) {
        QPushButton *button = tab(i);
        button->setIcon(QIcon(QString::fromLatin1(tabIcons[i])));
        button->setAccessibleName(QString::fromLatin1(tabTooltips[i]));
        button->setStyleSheet(QStringLiteral("QPushButton { border: none; background: transparent; }"
                                             "QPushButton:focus { border: 1px solid rgba(255,255,255,90);"
                                             " border-radius: 6px; }"));
        connect(button, &QPushButton::clicked, this, [this, button] { tabChanged(button); });
    }

    QWidget *titleBar = m_window->titleBarView();
    auto *title = new QLabel(QStringLiteral("Melvora for iTunes"), titleBar);
    title->setObjectName(QStringLiteral("titleText"));
    title->setAlignment(Qt::AlignCenter);
    QFont font = title->font();
    font.setBold(true);
    font.setPointSizeF(14.0);
    title->setFont(font);
    Palette::setColour(title, {QPalette::WindowText}, Utils::ColorSidebar());
    title->setAttribute(Qt::WA_TransparentForMouseEvents);
    titleBar->installEventFilter(this);

    buildMenu();
    layoutContent();
}

void AppDelegate::buildMenu()
{
    m_menu = new QMenu(m_window.get());
    QAction *update = m_menu->addAction(QStringLiteral("Check for Updates…"), this, &AppDelegate::checkUpdate);
    QAction *about = m_menu->addAction(QStringLiteral("About Melvora for iTunes"), this, &AppDelegate::showAbout);
    m_menu->addSeparator();
    QAction *feature = m_menu->addAction(QStringLiteral("Request a Feature…"), this, &AppDelegate::requestFeature);
    QAction *support = m_menu->addAction(QStringLiteral("Contact Support…"), this, &AppDelegate::requestSupport);
    m_menu->addSeparator();
    // exit() rather than quit(): quit() first asks every window to close, and
    // an open alert refuses, which would leave the program running.
    QAction *quit = m_menu->addAction(QStringLiteral("Quit Melvora"), this, [] { QCoreApplication::exit(0); });
    update->setObjectName(QStringLiteral("checkUpdate"));
    about->setObjectName(QStringLiteral("showAbout"));
    feature->setObjectName(QStringLiteral("requestFeature"));
    support->setObjectName(QStringLiteral("requestSupport"));
    quit->setObjectName(QStringLiteral("quit"));
    quit->setShortcut(QKeySequence::Quit);
    quit->setShortcutContext(Qt::ApplicationShortcut);
    m_window->addActions(m_menu->actions());

    // Undo and History go first, once the journal has runs to show.
    m_undo = new UndoActions(m_menu, m_window.get(), [this] {
        const QList<QWidget *> views = toolViews();
        return views.isEmpty() ? static_cast<QWidget *>(nullptr) : views.last();
    });

    auto *button = new QToolButton(m_window->titleBarView());
    button->setObjectName(QStringLiteral("menuButton"));
    button->setText(QStringLiteral("☰"));
    button->setToolTip(QStringLiteral("Menu (F10)"));
    button->setAutoRaise(true);
    button->setPopupMode(QToolButton::InstantPopup);
    button->setMenu(m_menu);
    button->setFocusPolicy(Qt::TabFocus);
    button->setStyleSheet(QStringLiteral("QToolButton { color: %1; border: none; font-size: 16px; padding: 2px 6px; }"
                                         "QToolButton::menu-indicator { image: none; }")
                              .arg(Utils::ColorSidebar().name()));
    auto *openMenu = new QAction(m_window.get());
    openMenu->setShortcuts({QKeySequence(Qt::Key_F10), QKeySequence(Qt::ALT | Qt::Key_M)});
    connect(openMenu, &QAction::triggered, button, &QToolButton::showMenu);
    m_window->addAction(openMenu);
}

void AppDelegate::layoutContent()
{
    if (!m_content)
        return;
    const int w = m_content->width();
    const int h = m_content->height();
    m_sidebar->setGeometry(0, 0, int(sidebarWidth), h);
    container()->setGeometry(int(sidebarWidth), 0, std::max(0, w - int(sidebarWidth)), h);
    for (QWidget *view : toolViews())
        view->setGeometry(container()->geometry());

    // The title is centred over the part of the window right of the sidebar.
    QWidget *titleBar = m_window->titleBarView();
    if (auto *title = titleBar->findChild<QLabel *>(QStringLiteral("titleText"))) {
        const double bw = titleBar->width();
        const double width = bw - sidebarWidth;
        const double x = bw / 2.0 + sidebarWidth / 2.0 - width / 2.0;
        const double y = titleBar->height() / 2.0 - 9.0;
        title->setGeometry(QRectF(x, y, width, 18.0).toRect());
    }
    if (auto *button = titleBar->findChild<QToolButton *>(QStringLiteral("menuButton"))) {
        button->adjustSize();
        button->move(titleBar->width() - button->width() - 40, (titleBar->height() - button->height()) / 2);
    }
}

bool AppDelegate::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::Resize) {
        if (m_window && watched == m_window->contentView() && m_content)
            m_content->setGeometry(m_window->contentView()->rect());
        else
            layoutContent();
    }
    return QObject::eventFilter(watched, event);
}

Arrow *AppDelegate::arrow() const
{
    return m_ui ? m_ui->arrow : nullptr;
}

QWidget *AppDelegate::container() const
{
    return m_ui ? m_ui->container : nullptr;
}

QPushButton *AppDelegate::tab(int index) const
{
    if (!m_ui)
        return nullptr;
    switch (index) {
    case 0: return m_ui->tab1;
    case 1: return m_ui->tab2;
    case 2: return m_ui->tab3;
    case 3: return m_ui->tab4;
    default: return nullptr;
    }
}

double AppDelegate::arrowTop() const
{
    return arrow() ? arrow()->y() : 0.0;
}

void AppDelegate::setArrowTop(double top)
{
    if (Arrow *a = arrow())
        a->move(a->x(), int(std::lround(top)));
}

double AppDelegate::arrowTopForTab(int index) const
{
    if (index <= 0)
        return m_oriArrowTop;
    const auto midY = [](const QWidget *w) { return w->geometry().y() + w->geometry().height() / 2.0; };
    const float distance = std::round(float(midY(tab(index)) - midY(tab(0))));
    return m_oriArrowTop + double(distance) + 2.0;
}

void AppDelegate::tabChanged(QObject *sender)
{
    int index = -1;
    for (int i = 0; i < 4 && index < 0; ++i)
        if (sender == tab(i))
            index = i;
    if (index < 0 || index == m_currentTabIndex)
        return;
    m_currentTabIndex = index;

    if (m_arrowAnimation)
        m_arrowAnimation->stop();
    auto *move = new QPropertyAnimation(this, "arrowTop", this);
    move->setDuration(Motion::fadeMs);
    move->setStartValue(arrowTop());
    move->setEndValue(arrowTopForTab(index));
    m_arrowAnimation = move;
    move->start(QAbstractAnimation::DeleteWhenStopped);

    switch (index) {
    case 0: showModificationViewController(); break;
    case 1: showDateAddedViewController(); break;
    case 2: showCountViewController(); break;
    case 3: showRatingViewController(); break;
    }
}

void AppDelegate::initModificationViewController()
{
    if (!m_modificationViewController) {
        m_modificationViewController = new ModificationViewController(m_content);
        // A run wrote the journal: Undo may show now.
        connect(m_modificationViewController, &ModificationViewController::runFinished, m_undo, &UndoActions::refresh);
    }
}

void AppDelegate::initDateAddedViewController()
{
    if (!m_dateAddedViewController) {
        m_dateAddedViewController = new DateAddedViewController(m_content);
        // A run wrote the journal: Undo may show now.
        connect(m_dateAddedViewController, &DateAddedViewController::runFinished, m_undo, &UndoActions::refresh);
    }
}

void AppDelegate::initCountViewController()
{
    if (!m_countViewController) {
        m_countViewController = new CountEditorViewController(m_content);
        // A run wrote the journal: Undo may show now.
        connect(m_countViewController, &CountEditorViewController::runFinished, m_undo, &UndoActions::refresh);
    }
}

void AppDelegate::initRatingViewController()
{
    if (!m_ratingViewController) {
        m_ratingViewController = new RatingViewController(m_content);
        // A run wrote the journal: Undo may show now.
        connect(m_ratingViewController, &RatingViewController::runFinished, m_undo, &UndoActions::refresh);
    }
}

void AppDelegate::showModificationViewController()
{
    initModificationViewController();
    showTool(m_modificationViewController);
}

void AppDelegate::showDateAddedViewController()
{
    initDateAddedViewController();
    showTool(m_dateAddedViewController);
}

void AppDelegate::showCountViewController()
{
    initCountViewController();
    showTool(m_countViewController);
}

void AppDelegate::showRatingViewController()
{
    initRatingViewController();
    showTool(m_ratingViewController);
}

ModificationViewController *AppDelegate::modificationViewController() const { return m_modificationViewController; }
DateAddedViewController *AppDelegate::dateAddedViewController() const { return m_dateAddedViewController; }
CountEditorViewController *AppDelegate::countViewController() const { return m_countViewController; }
RatingViewController *AppDelegate::ratingViewController() const { return m_ratingViewController; }
QMessageBox *AppDelegate::iTunesAlert() const { return m_iTunesAlert; }

QList<QWidget *> AppDelegate::toolViews() const
{
    QList<QWidget *> views;
    for (QWidget *view : {static_cast<QWidget *>(m_modificationViewController.data()),
                          static_cast<QWidget *>(m_dateAddedViewController.data()),
                          static_cast<QWidget *>(m_countViewController.data()),
                          static_cast<QWidget *>(m_ratingViewController.data())})
        if (view)
            views.append(view);
    return views;
}

bool AppDelegate::isSwitching() const
{
    return !m_switch.isNull();
}

void AppDelegate::showTool(QWidget *tool)
{
    tool->setGeometry(container() ? container()->geometry() : QRect());
    QGraphicsOpacityEffect *incoming = opacityEffectOf(tool);
    if (!tool->isVisible() || tool->parentWidget() != m_content) {
        incoming->setOpacity(0.0);
        tool->setParent(m_content);
    }
    tool->show();
    tool->raise();

    // A newer choice replaces a switch still fading: only its completion
    // decides which tool stays, so exactly one remains at rest.
    if (m_switch) {
        m_switch->stop();
        delete m_switch;
    }
    auto *group = new QParallelAnimationGroup(this);
    const auto fade = [group](QGraphicsOpacityEffect *effect, double to) {
        auto *animation = new QPropertyAnimation(effect, "opacity", group);
        animation->setDuration(Motion::fadeMs);
        animation->setEndValue(to);
        group->addAnimation(animation);
    };
    fade(incoming, 1.0);
    for (QWidget *other : toolViews())
        if (other != tool)
            fade(opacityEffectOf(other), 0.0);
    QPointer<QWidget> keep(tool);
    connect(group, &QAbstractAnimation::finished, this, [this, keep] {
        if (keep) {
            discardToolsOtherThan(keep);
            // At rest the view draws directly, without the fade's off-screen pass.
            keep->setGraphicsEffect(nullptr);
        }
    });
    m_switch = group;
    group->start(QAbstractAnimation::DeleteWhenStopped);
}

void AppDelegate::discardToolsOtherThan(QWidget *keep)
{
    const auto discard = [keep](auto &pointer) {
        if (pointer && pointer != keep) {
            pointer->hide();
            pointer->deleteLater();
            pointer = nullptr;
        }
    };
    discard(m_modificationViewController);
    discard(m_dateAddedViewController);
    discard(m_countViewController);
    discard(m_ratingViewController);
}

bool AppDelegate::applicationShouldHandleReopen()
{
    // Hidden, minimised or behind other windows: back to the front, restored.
    if (m_window) {
        m_window->setWindowState((m_window->windowState() & ~Qt::WindowMinimized) | Qt::WindowActive);
        m_window->show();
        m_window->raise();
        m_window->activateWindow();
    }
    return true;
}

void AppDelegate::checkUpdate()
{
    if (!m_updateWindowController)
        m_updateWindowController = std::make_unique<UpdateWindowController>();
    m_updateWindowController->showWindow();
}

void AppDelegate::showAbout()
{
    if (!m_aboutWindowController)
        m_aboutWindowController = std::make_unique<AboutWindowController>();
    m_aboutWindowController->showWindow();
}

void AppDelegate::requestFeature()
{
    mailOrTell(m_window.get(), Endpoints::supportAddress(), QStringLiteral("Feature Request"));
}

void AppDelegate::requestSupport()
{
    mailOrTell(m_window.get(), Endpoints::supportAddress(), QStringLiteral("Support"));
}

void AppDelegate::showOrHideiTunesAlert(bool show)
{
    if (show) {
        if (m_iTunesAlert)
            return;
        auto *alert = new QMessageBox(m_window.get());
        alert->setObjectName(QStringLiteral("iTunesAlert"));
        alert->setIcon(QMessageBox::Information);
        // The library started when none runs: ours (in the part of iTunes),
        // or the one the environment names.
        alert->setText(QStringLiteral("%1 is required for this app.  Would you like to launch %1 now?")
                           .arg(ITunesApplication::iTunes().displayName()));
        QPushButton *yes = alert->addButton(QStringLiteral("Yes"), QMessageBox::YesRole);
        // Not a reject role: Escape must not quit the program.
        alert->addButton(QStringLiteral("Quit"), QMessageBox::DestructiveRole);
        alert->setDefaultButton(yes);
        alert->setWindowModality(Qt::WindowModal);
        connect(alert, &QMessageBox::buttonClicked, this, [this, alert, yes](QAbstractButton *button) {
            if (m_iTunesAlert == alert)
                m_iTunesAlert = nullptr;
            alert->deleteLater();
            alertDidEnd(button == yes ? 1000 : 1001);
        });
        m_iTunesAlert = alert;
        alert->open();
        m_iTunesAlertShown = true;
        return;
    }
    // Only the library alert is taken down, whatever other sheet is up: a
    // progress sheet belongs to its run and closes when the run ends.
    if (QMessageBox *alert = m_iTunesAlert) {
        m_iTunesAlert = nullptr;
        alert->disconnect(this);
        alert->close();
        alert->deleteLater();
        alertDidEnd(1000);
    }
    m_iTunesAlertShown = false;
}

void AppDelegate::alertDidEnd(int returnCode)
{
    if (returnCode == 1000) {
        // Starting the library may take a moment; the window stays live meanwhile.
        QThreadPool::globalInstance()->start([] {
            ITunesApplication::iTunes().run();
        });
        m_iTunesAlertShown = false;
    } else {
        QCoreApplication::exit(0);
    }
}
