#pragma once

#include "style/ButtonArtwork.h"
#include "tools/modification/ChosenDate.h"
#include "tracks/files/FileDates.h"
#include "tracks/lists/BatchRun.h"
#include "tracks/lists/FileDropDelegate.h"
#include "tracks/runs/DateRuns.h"

#include <QDate>
#include <QDateTime>
#include <QPointer>
#include <QTime>
#include <QWidget>

#include <functional>
#include <memory>
#include <optional>

namespace Ui {
class ModificationViewController;
}

class DropView;
class FadeVeil;
class QButtonGroup;
class QStandardItemModel;
class QTableView;
class SlidingBackButton;
class TrackListPane;

// The Date Modified tool: rewrites the modification dates of the audio files
// behind library tracks, so that the library sorted by Date Modified lists
// them in the wanted order. Page 0 lists the three actions; pages 1 to 3 hold
// each action's track list and controls.
class ModificationViewController : public QWidget, public FileDropDelegate
{
    Q_OBJECT
    Q_PROPERTY(int backButtonLeftMargin READ backButtonLeftMargin WRITE setBackButtonLeftMargin)
public:
    enum Action { SMD = 0, CCD = 1, TN = 2 };

    explicit ModificationViewController(QWidget *parent = nullptr);
    ~ModificationViewController() override;

    int selectedAction() const { return m_selectedAction; }
    // Opens the action's page, as choosing it in the list does.
    void openAction(int action);
    // The choice of actions is on screen, no action's page.
    bool showsActions() const;
    TrackListPane *pane(int action) const;
    DropView *dropView(int action) const;
    QTableView *trackTable(int action) const;

    // Set Modification Date: the chosen day, the chosen time of day, and the
    // moment a run writes.
    QDate dateSMD() const { return m_chosenSMD.day(); }
    QTime timeSMD() const { return m_chosenSMD.time(); }
    QDateTime selectedDateSMD() const { return m_chosenSMD.moment(); }

    // The run in progress, if any.
    BatchRun *currentRun() const { return m_run; }

    int backButtonLeftMargin() const;
    void setBackButtonLeftMargin(int margin);

    void fileDropped(const QList<QUrl> &items, DropView *sender) override;

public slots:
    void tableViewSelectionDidChange();
    void backClicked();
    void jumpToTab(int page);
    void showOrHideBackButton(bool show);
    void showOrHideDropInfoImage(bool show, int action);

    void removeTableItemSMD();
    void removeTableItemCCD();
    void removeTableItemTN();
    void clearTableSMD();
    void clearTableCCD();
    void clearTableTN();

    void setTodaySMD();
    void setNowSMD();
    void set0000SMD();
    void set00SMD();
    void sameAsClickedSMD();
    void dateChangedSMD();
    void setClickedSMD();
    void startPerformSMD();

    void setClickedCCD();
    void startPerformCCD();
    void setClickedTN();
    void startPerformTN();
    void reOrderArray();
    void radioChangedTN1();
    void radioChangedTN2();

signals:
    // After a run's end step has refreshed the action's table.
    void runFinished(int action);

private:
    void awakeFromNib();
    void setUpTrackList(int action);
    void setUpActionList();
    void styleButtons();
    void enterSetModificationDate();
    void showDateSMD();
    void showTimeSMD();
    // After a change of the chosen date: the controls and the previews show it.
    void chosenDateChangedSMD(bool day);
    // Starts a run over the files of the action's list.
    void launchRun(int action, const DateRuns::DateRun &run);

    std::unique_ptr<Ui::ModificationViewController> ui;
    QStandardItemModel *m_actions = nullptr;
    FadeVeil *m_pageVeil = nullptr;
    QButtonGroup *m_radioTN1 = nullptr;
    QButtonGroup *m_radioTN2 = nullptr;
    int m_selectedAction = 0;
    SlidingBackButton *m_backButton = nullptr;
    bool m_showingDates = false;
    ChosenDate m_chosenSMD;
    QPointer<BatchRun> m_run;
    // The button faces of this tool, rendered per button at set-up.
    ButtonArtwork m_buttonArtwork;
};
