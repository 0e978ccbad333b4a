#include "tools/counting/CountToolController.h"

#include "app/common/Utils.h"
#include "style/ButtonArtwork.h"
#include "style/Palette.h"
#include "style/SlidingBackButton.h"
#include "style/Stepper.h"
#include "style/ToolHeader.h"
#include "tools/counting/OnlyIntegerValueFormatter.h"
#include "tracks/lists/DropView.h"
#include "tracks/lists/RatingCell.h"
#include "tracks/lists/SimpleTextCell.h"
#include "tracks/lists/TrackListModel.h"
#include "tracks/lists/TrackListPane.h"
#include "tracks/runs/CountRun.h"

#include <QButtonGroup>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTableView>

#include <algorithm>
#include <memory>

namespace {
// The column that shows the value a run changes.
constexpr int valueColumn = 2;
// Room for "current → new": five stars each, or play counts of up to seven digits.
int valueColumnWidth(const CountToolController::Kind &kind, const QTableView *table)
{
    if (kind.listAction == TrackListModel::Rating)
        return RatingCell::columnWidth();
    return SimpleTextCell::previewColumnWidth(table->fontMetrics(), QString(7, QLatin1Char('8')));
}
} // namespace

CountToolController::CountToolController(const Kind &kind, QWidget *parent) : QWidget(parent), m_kind(kind) {}

CountToolController::~CountToolController() = default;

DropView *CountToolController::dropView() const
{
    return m_controls.pane->dropView();
}

QTableView *CountToolController::tableView() const
{
    return m_controls.pane->tableView();
}

void CountToolController::awakeFromNib(const Controls &controls)
{
    m_controls = controls;
    dressToolHeader(this, m_controls.tabTitle, m_controls.img);
    // This tool has one page: its back button stays out of sight.
    new SlidingBackButton(m_controls.backButton, m_controls.header);

    TrackListPane *list = m_controls.pane;
    list->setUp(m_kind.listAction, this, QString());
    list->tableView()->horizontalHeader()->setSectionResizeMode(1, QHeaderView::Stretch);
    list->tableView()->horizontalHeader()->setSectionResizeMode(valueColumn, QHeaderView::Fixed);
    list->tableView()->horizontalHeader()->setStretchLastSection(false);
    list->tableView()->horizontalHeader()->resizeSection(valueColumn, valueColumnWidth(m_kind, list->tableView()));

    m_formatter = new OnlyIntegerValueFormatter(this);
    for (QLineEdit *field : {m_controls.countInput, m_controls.countInput2}) {
        field->setValidator(m_formatter);
        Palette::setBackground(field, Utils::ColorBG());
        Palette::setTextColour(field, Utils::ColorSidebar());
        connect(field, &QLineEdit::textEdited, this, [this, field] { controlTextDidChange(field); });
    }
    connect(m_controls.countStepper, &Stepper::stepped, this, &CountToolController::countStepperChanged);
    connect(m_controls.countStepper2, &Stepper::stepped, this, &CountToolController::countStepperChanged2);

    // The set buttons are styled as plain buttons, not as action buttons.
    ButtonArtwork artwork;
    artwork.setButtonStyle(m_controls.setButton1, false);
    artwork.setButtonStyle(m_controls.setButton2, false);
    connect(m_controls.setButton1, &QPushButton::clicked, this, &CountToolController::setButtonClicked1);
    connect(m_controls.setButton2, &QPushButton::clicked, this, &CountToolController::setButtonClicked2);

    for (QLabel *caption : {m_controls.label1, m_controls.label2})
        Palette::setTextColour(caption, Utils::ColorSidebar());

    // Column 0 adds, column 1 subtracts; the layout may place them anywhere.
    m_radio = new QButtonGroup(this);
    m_radio->setObjectName(QStringLiteral("radio"));
    m_radio->addButton(m_controls.radioAdd, 0);
    m_radio->addButton(m_controls.radioSubtract, 1);
    for (QRadioButton *radio : {m_controls.radioAdd, m_controls.radioSubtract})
        Palette::setTextColour(radio, Utils::ColorSidebar());

    // The values start where the interface description put the steppers.
    m_setCount = m_controls.countStepper->value();
    m_setCount2 = m_controls.countStepper2->value();
    m_controls.countInput->setText(QString::number(m_setCount));
    m_controls.countInput2->setText(QString::number(m_setCount2));

    // Choosing add or subtract uses the second line.
    connect(m_radio, &QButtonGroup::idClicked, this, [this] { useLine(1); });
    connect(m_radio, &QButtonGroup::idToggled, this, &CountToolController::showPreviews);
    connect(list->tableView()->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &CountToolController::showPreviews);
    connect(dropView()->model(), &TrackListModel::previewsNeeded, this, &CountToolController::showPreviews);
    // The rows a run changed show what a run would make of their new values.
    connect(this, &CountToolController::runFinished, this, &CountToolController::showPreviews);
}

void CountToolController::useLine(int mode)
{
    m_currentAction = mode;
    showPreviews();
}

void CountToolController::showPreviews()
{
    QItemSelectionModel *selection = tableView()->selectionModel();
    const QModelIndexList selected = selection->selectedRows();
    const QList<TrackObject> tracks = dropView()->tracks();
    const CountMode mode = m_currentAction == 0 ? CountMode::Set : CountMode::AddOrSubtract;
    const bool add = m_radio->checkedId() == 0;
    QList<QVariant> previews(tracks.size());
    for (const QModelIndex &index : selected)
        if (index.row() < tracks.size())
            previews[index.row()] = newValue(*m_kind.policy, mode, add, m_setCount, m_setCount2,
                                             tracks.at(index.row()).*m_kind.listedValue);
    dropView()->model()->setPreviews(previews);
}

// ---- Fields and steppers --------------------------------------------------

void CountToolController::stepperChanged(Stepper *stepper, QLineEdit *field, qint32 &value)
{
    value = stepper->value();
    stepper->setValue(value);
    field->setText(QString::number(value));
    field->clearFocus();
    useLine(field == m_controls.countInput ? 0 : 1);
}

void CountToolController::countStepperChanged()
{
    stepperChanged(m_controls.countStepper, m_controls.countInput, m_setCount);
}

void CountToolController::countStepperChanged2()
{
    stepperChanged(m_controls.countStepper2, m_controls.countInput2, m_setCount2);
}

void CountToolController::controlTextDidChange(QLineEdit *field)
{
    qint32 *value = field == m_controls.countInput ? &m_setCount : field == m_controls.countInput2 ? &m_setCount2 : nullptr;
    Stepper *stepper = field == m_controls.countInput ? m_controls.countStepper : m_controls.countStepper2;
    if (!value)
        return;
    *value = OnlyIntegerValueFormatter::intValue(field->text());
    if (m_kind.fieldCap && *value > *m_kind.fieldCap) {
        *value = *m_kind.fieldCap;
        field->setText(QString::number(*value));
    }
    // The field keeps the text as typed; the stepper shows what it can of it.
    stepper->setValue(*value);
    useLine(field == m_controls.countInput ? 0 : 1);
}

// ---- Set buttons and the run ---------------------------------------------

void CountToolController::setButtonClicked1()
{
    useLine(0);
    setButtonClicked();
}

void CountToolController::setButtonClicked2()
{
    useLine(1);
    setButtonClicked();
}

void CountToolController::setButtonClicked()
{
    if (m_run)
        return;
    if (tableView()->selectionModel()->hasSelection())
        startPerformCOUNT();
    else if (dropView()->count() > 0)
        showSelectTracksAlert();
}

void CountToolController::showSelectTracksAlert()
{
    auto *alert = new QMessageBox(QMessageBox::Warning, QString(),
                                  tr("Please select the tracks you want to process in the table first."),
                                  QMessageBox::NoButton, window());
    alert->setObjectName(QStringLiteral("selectTracksAlert"));
    alert->addButton(tr("OK"), QMessageBox::AcceptRole);
    alert->setWindowModality(Qt::WindowModal);
    alert->setAttribute(Qt::WA_DeleteOnClose);
    alert->open();
}

void CountToolController::startPerformCOUNT()
{
    // The rows selected now, in ascending order; the sheet keeps them still.
    QList<int> rows;
    for (const QModelIndex &index : tableView()->selectionModel()->selectedRows())
        rows.append(index.row());
    std::sort(rows.begin(), rows.end());
    if (rows.isEmpty())
        return;

    const QList<TrackObject> tracks = dropView()->tracks();
    const auto field = m_kind.listedValue;
    CountRun::Setting setting;
    setting.policy = *m_kind.policy;
    setting.mode = m_currentAction == 0 ? CountMode::Set : CountMode::AddOrSubtract;
    setting.add = m_radio->checkedId() == 0;
    setting.setCount = m_setCount;
    setting.setCount2 = m_setCount2;
    QList<CountRun::Item> items;
    for (int row : rows)
        items.append({tracks.at(row).location, tracks.at(row).*field});
    // What the library stored for each item, filled in on the worker and
    // read by the end step, which the worker posts after the last answer.
    auto stored = std::make_shared<CountRun::Stored>();

    BatchRun::Steps steps;
    static_cast<RunSteps &>(steps) = CountRun::steps(items, setting, stored);
    steps.barValue = [](int k) { return k + 1; };
    QPointer<CountToolController> self(this);
    steps.end = [self, rows, tracks, stored, field](const BatchRun::Failures &) {
        if (!self)
            return;
        self->m_run = nullptr;
        // A track the library did not write keeps the value it had, and its
        // row says so.
        const QString reason = CountRun::reasonNotStored();
        QList<QUrl> items;
        QHash<QUrl, QString> failures;
        for (int k = 0; k < rows.size(); ++k) {
            items.append(tracks.at(rows.at(k)).location);
            if (!stored->at(k)) {
                failures.insert(tracks.at(rows.at(k)).location, reason);
                continue;
            }
            TrackObject track = tracks.at(rows.at(k));
            track.*field = *stored->at(k);
            self->dropView()->updateTrack(rows.at(k), track);
        }
        self->dropView()->model()->setOutcome(items, failures);
        self->dropView()->reloadRows(rows, valueColumn);
        emit self->runFinished();
    };
    m_run = BatchRun::start(this, std::move(steps));
}

// ---- The list -------------------------------------------------------------

void CountToolController::removeTableItem()
{
    m_controls.pane->removeTableItem();
}

void CountToolController::clearTable()
{
    m_controls.pane->clearTable();
}

void CountToolController::showOrHideDropInfoImage(bool show, int)
{
    m_controls.pane->showOrHideDropInfoImage(show);
}

void CountToolController::fileDropped(const QList<QUrl> &, DropView *sender)
{
    if (!sender)
        return;
    sender->reloadData();
    showOrHideDropInfoImage(false);
}
