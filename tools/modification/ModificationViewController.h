#pragma once

#include "tracks/lists/BatchRun.h"
#include "style/ButtonArtwork.h"
#include "tracks/lists/FileDropDelegate.h"

#include <QDate>
#include <QDateTime>
#include <QPointer>
#include <QTime>
#include <QWidget>

#include <memory>

namespace Ui {
class ModificationViewController;
}

class DropHintImage;
class DropView;
class FadeVeil;
class QButtonGroup;
class QGraphicsOpacityEffect;
class QStandardItemModel;
class QTableView;

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
    static constexpr int animationMs = 250;

    explicit ModificationViewController(QWidget *parent = nullptr);
    ~ModificationViewController() override;

    int selectedAction() const { return m_selectedAction; }
    DropView *dropView(int action) const;
    QTableView *trackTable(int action) const;

    // Set Modification Date: the chosen day, the chosen time of day, and the
    // moment a run writes.
    QDate dateSMD() const { return m_dateSMD; }
    QTime timeSMD() const { return m_timeSMD; }
    QDateTime selectedDateSMD() const { return m_selectedDateSMD; }

    // The run in progress, if any.
    BatchRun *currentRun() const { return m_run; }

    int backButtonLeftMargin() const { return m_backButtonLeftMargin; }
    void setBackButtonLeftMargin(int margin);

    void fileDropped(const QList<QUrl> &items, DropView *sender) override;

public slots:
    void tableViewSelectionDidChange();
    void backClicked();
    void jumpToTab(int page);
    void showOrHideBackButton(bool show);
    void showOrHideDropInfoImage(bool show, int action);

    void removeTableItemSMD() { removeTableItem(SMD); }
    void removeTableItemCCD() { removeTableItem(CCD); }
    void removeTableItemTN() { removeTableItem(TN); }
    void clearTableSMD() { clearTable(SMD); }
    void clearTableCCD() { clearTable(CCD); }
    void clearTableTN() { clearTable(TN); }

    void setTodaySMD();
    void setNowSMD();
    void set0000SMD();
    void set00SMD();
    void sameAsClickedSMD();
    void dateChangedSMD();
    void calculateDateSMD();
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

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    void awakeFromNib();
    void setUpTrackList(int action);
    void setUpActionList();
    void styleButtons();
    void enterSetModificationDate();
    void showDateSMD();
    void showTimeSMD();
    void removeTableItem(int action);
    void clearTable(int action);
    int hiddenBackButtonMargin() const;
    DropHintImage *dropInfoImage(int action) const;
    void fade(QWidget *widget, qreal to);
    void launchRun(int action, BatchRun::Steps steps);

    std::unique_ptr<Ui::ModificationViewController> ui;
    QStandardItemModel *m_actions = nullptr;
    FadeVeil *m_pageVeil = nullptr;
    QButtonGroup *m_radioTN1 = nullptr;
    QButtonGroup *m_radioTN2 = nullptr;
    int m_selectedAction = 0;
    int m_backButtonLeftMargin = 0;
    bool m_showingDates = false;
    QDate m_dateSMD;
    QTime m_timeSMD;
    QDateTime m_selectedDateSMD;
    QPointer<BatchRun> m_run;
    // The button faces of this tool, rendered per button at set-up.
    ButtonArtwork m_buttonArtwork;
};
