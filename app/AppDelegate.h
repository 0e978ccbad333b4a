#pragma once

#include <QObject>
#include <QPointer>

#include <atomic>
#include <memory>

class AboutWindowController;
class Arrow;
class CountEditorViewController;
class DateAddedViewController;
class LibraryWatch;
class ModificationViewController;
class QAbstractButton;
class QMenu;
class QMessageBox;
class QPropertyAnimation;
class QParallelAnimationGroup;
class QPushButton;
class RatingViewController;
class SideBar;
class SingleInstance;
class TrackListPane;
class TitleBarWindow;
class UndoActions;
class UpdateWindowController;
namespace Ui {
class MainWindow;
}

// Owns the main window and everything that is not a tool: dresses the window
// at launch, switches between the four tools, watches that the music library
// runs, and answers the menu.
class AppDelegate : public QObject
{
    Q_OBJECT
    Q_PROPERTY(double arrowTop READ arrowTop WRITE setArrowTop)
public:
    static constexpr double sidebarWidth = 69.0;

    explicit AppDelegate(QObject *parent = nullptr);
    ~AppDelegate() override;

    // The launch sequence, with the files the program was started with
    // ("Open With"). False when another running copy was asked to show its
    // window (and take the files) instead; this copy should then end.
    bool applicationDidFinishLaunching(const QList<QUrl> &files = {});
    // The files go into the list of the tool on screen, as if dropped there
    // (the Date Modified tool, when it shows its choice of actions, opens
    // Set Modification Date first).
    void openFiles(const QList<QUrl> &files);
    // The list the user sees now; null when the tool shows none.
    TrackListPane *paneOnScreen() const;

    TitleBarWindow *window() const { return m_window.get(); }
    SideBar *sidebar() const { return m_sidebar; }
    Arrow *arrow() const;
    QWidget *container() const;
    QPushButton *tab(int index) const;
    QMenu *menu() const { return m_menu; }
    int currentTabIndex() const { return m_currentTabIndex; }
    double oriArrowTop() const { return m_oriArrowTop; }
    double arrowTop() const;
    void setArrowTop(double top);
    // The arrow's resting place for a tab.
    double arrowTopForTab(int index) const;

    ModificationViewController *modificationViewController() const;
    DateAddedViewController *dateAddedViewController() const;
    CountEditorViewController *countViewController() const;
    RatingViewController *ratingViewController() const;
    // The tool views that exist right now (more than one only while a switch fades).
    QList<QWidget *> toolViews() const;
    bool isSwitching() const;

    UpdateWindowController *updateWindowController() const { return m_updateWindowController.get(); }
    AboutWindowController *aboutWindowController() const { return m_aboutWindowController.get(); }

    bool iTunesAlertShown() const { return m_iTunesAlertShown.load(); }
    QMessageBox *iTunesAlert() const;
    LibraryWatch *libraryWatch() const { return m_watch.get(); }
    UndoActions *undoActions() const { return m_undo; }

public slots:
    void tabChanged(QObject *sender);
    void initModificationViewController();
    void initDateAddedViewController();
    void initCountViewController();
    void initRatingViewController();
    void showModificationViewController();
    void showDateAddedViewController();
    void showCountViewController();
    void showRatingViewController();

    // Starting the program again while it runs: bring the window back.
    bool applicationShouldHandleReopen();

    void checkUpdate();
    void showAbout();
    void requestFeature();
    void requestSupport();

    void showOrHideiTunesAlert(bool show);
    void alertDidEnd(int returnCode);

private:
    void buildWindow();
    void buildMenu();
    void layoutContent();
    void showTool(QWidget *tool);
    void discardToolsOtherThan(QWidget *keep);
    bool eventFilter(QObject *watched, QEvent *event) override;

    std::unique_ptr<TitleBarWindow> m_window;
    std::unique_ptr<Ui::MainWindow> m_ui;
    QWidget *m_content = nullptr; // the main view under the title bar
    SideBar *m_sidebar = nullptr;
    QMenu *m_menu = nullptr;
    UndoActions *m_undo = nullptr;
    double m_oriArrowTop = 0;
    int m_currentTabIndex = 0;

    QPointer<ModificationViewController> m_modificationViewController;
    QPointer<DateAddedViewController> m_dateAddedViewController;
    QPointer<CountEditorViewController> m_countViewController;
    QPointer<RatingViewController> m_ratingViewController;
    QPointer<QParallelAnimationGroup> m_switch;
    QPointer<QPropertyAnimation> m_arrowAnimation;

    std::unique_ptr<UpdateWindowController> m_updateWindowController;
    std::unique_ptr<AboutWindowController> m_aboutWindowController;

    std::atomic_bool m_iTunesAlertShown{false};
    QPointer<QMessageBox> m_iTunesAlert;
    std::unique_ptr<LibraryWatch> m_watch;
    std::unique_ptr<SingleInstance> m_singleInstance;
};
