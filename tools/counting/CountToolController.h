#pragma once

#include "tracks/lists/BatchRun.h"
#include "tracks/lists/FileDropDelegate.h"
#include "tracks/lists/TrackObject.h"
#include "tracks/runs/CountPolicy.h"

#include <QPointer>
#include <QWidget>

#include <optional>

class DropView;
class QButtonGroup;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QTableView;
class OnlyIntegerValueFormatter;
class Stepper;
class TrackListPane;

// What the Play Count and the Rating tool do, told apart by a small policy.
// Each lists library tracks (the library's selection, taken when something
// is dropped on the list) and rewrites one value of the tracks selected in
// the list: mode 0 sets every one to a number, mode 1 adds an amount to each
// one's own value or subtracts it. The run writes each new value into the
// library, which reads the file again and shows the track; afterwards each
// processed row shows the value the library holds.
class CountToolController : public QWidget, public FileDropDelegate
{
    Q_OBJECT
public:
    // How the two tools differ.
    struct Kind
    {
        int listAction;                    // the list's kind (DropView actions 3 and 4)
        const CountPolicy *policy;         // what is written, on which scale, within which bounds
        qint32 TrackObject::*listedValue;  // the listed track's value the run changes
        std::optional<qint32> fieldCap;    // a typed number above it becomes it
    };

    ~CountToolController() override;

    qint32 setCount() const { return m_setCount; }
    qint32 setCount2() const { return m_setCount2; }
    // The mode of the next run, the line last used: 0 after setButton1 or
    // an edit of the first line's number, 1 after setButton2 or an edit of
    // the second line (its amount, add or subtract).
    int currentAction() const { return m_currentAction; }

    TrackListPane *pane() const { return m_controls.pane; }
    DropView *dropView() const;
    QTableView *tableView() const;
    // The run in progress, if any.
    BatchRun *currentRun() const { return m_run; }

    void fileDropped(const QList<QUrl> &items, DropView *sender) override;

public slots:
    void countStepperChanged();
    void countStepperChanged2();
    // The user changed the text of an input field.
    void controlTextDidChange(QLineEdit *field);
    void setButtonClicked1();
    void setButtonClicked2();
    void startPerformCOUNT();
    void removeTableItem();
    void clearTable();
    // The action argument has no effect: the tool has one list.
    void showOrHideDropInfoImage(bool show, int action = 0);

signals:
    // After a run's end step has shown the processed rows' new values.
    void runFinished();

protected:
    // The controls each tool's interface description makes, under the same names.
    struct Controls
    {
        QWidget *header = nullptr;
        QLabel *tabTitle = nullptr;
        QLabel *img = nullptr;
        QLabel *label1 = nullptr;
        QLabel *label2 = nullptr;
        QLineEdit *countInput = nullptr;
        QLineEdit *countInput2 = nullptr;
        Stepper *countStepper = nullptr;
        Stepper *countStepper2 = nullptr;
        QRadioButton *radioAdd = nullptr;
        QRadioButton *radioSubtract = nullptr;
        QPushButton *setButton1 = nullptr;
        QPushButton *setButton2 = nullptr;
        QPushButton *backButton = nullptr;
        TrackListPane *pane = nullptr;
    };
    template<typename Ui>
    static Controls controlsOf(Ui &ui)
    {
        return {ui.header, ui.tabTitle, ui.img, ui.label1, ui.label2, ui.countInput, ui.countInput2,
                ui.countStepper, ui.countStepper2, ui.radioAdd, ui.radioSubtract, ui.setButton1, ui.setButton2,
                ui.backButton, ui.pane};
    }

    CountToolController(const Kind &kind, QWidget *parent);
    // Finishes the set-up of the controls the interface description made.
    void awakeFromNib(const Controls &controls);

private:
    void setButtonClicked();
    // The selected rows show the value a run in the current mode would
    // write; the others show none.
    void showPreviews();
    void useLine(int mode);
    void stepperChanged(Stepper *stepper, QLineEdit *field, qint32 &value);
    void showSelectTracksAlert();

    Kind m_kind;
    Controls m_controls;
    OnlyIntegerValueFormatter *m_formatter = nullptr;
    QButtonGroup *m_radio = nullptr;
    qint32 m_setCount = 0;
    qint32 m_setCount2 = 0;
    int m_currentAction = 0;
    QPointer<BatchRun> m_run;
};
