#include "tools/modification/ModificationViewController.h"
#include "ui_ModificationViewController.h"


#include "app/common/Utils.h"
#include "style/ButtonArtwork.h"
#include "style/ChoiceGroup.h"
#include "style/FadeVeil.h"
#include "style/Motion.h"
#include "style/Palette.h"
#include "style/SlidingBackButton.h"
#include "style/ToolHeader.h"
#include "tools/modification/ActionCell.h"
#include "tracks/runs/ModificationDates.h"
#include "tools/modification/TrackNumberPreview.h"
#include "tracks/files/AlbumOrder.h"
#include "tracks/files/FileDates.h"
#include "tracks/lists/DatePreviewCell.h"
#include "tracks/lists/DropView.h"
#include "tracks/lists/TrackListModel.h"
#include "tracks/lists/TrackListPane.h"

#include <QButtonGroup>
#include <QFileDialog>
#include <QHeaderView>
#include <QPropertyAnimation>
#include <QStandardItemModel>
#include <QTableView>

#include <memory>
#include <optional>

namespace {
const char *const actionTitles[] = {
    QT_TRANSLATE_NOOP("ModificationViewController", "Set Modification Date"),
    QT_TRANSLATE_NOOP("ModificationViewController", "Copy Creation Date to Modification Date"),
    QT_TRANSLATE_NOOP("ModificationViewController", "Sort Modification Date by Track Number"),
};
const char *const actionDescriptions[] = {
    QT_TRANSLATE_NOOP("ModificationViewController", "Set a track's Modification Date to a specific date."),
    QT_TRANSLATE_NOOP("ModificationViewController", "Copy a track's Creation Date to its own Modification Date."),
    QT_TRANSLATE_NOOP("ModificationViewController", "Sort all the tracks' Modification Date for an album by Track Number."),
};

// The track number column of Sort by Track Number: as narrow as its bold
// title or a three-digit number allow, so the name keeps the room.
int trackColumnWidth(const QTableView *table)
{
    QFont bold = table->font();
    bold.setWeight(QFont::DemiBold);
    const QString title = table->model()->headerData(2, Qt::Horizontal).toString();
    const int widest = std::max(QFontMetrics(bold).horizontalAdvance(title),
                                QFontMetrics(table->font()).horizontalAdvance(QStringLiteral("999")));
    return widest + 2 * 8 + 2; // the header's and the cells' margins
}
} // namespace

ModificationViewController::ModificationViewController(QWidget *parent)
    : QWidget(parent), ui(std::make_unique<Ui::ModificationViewController>())
{
    ui->setupUi(this);
    awakeFromNib();
}

ModificationViewController::~ModificationViewController() = default;

void ModificationViewController::awakeFromNib()
{
    dressToolHeader(this, ui->tabTitle, ui->img);

    setUpActionList();


    Palette::setTextColour(ui->backButton, Utils::ColorSidebar());
    m_backButton = new SlidingBackButton(ui->backButton, ui->header);
    connect(ui->backButton, &QPushButton::clicked, this, &ModificationViewController::backClicked);

    ui->tabView->setCurrentIndex(0);
    m_pageVeil = new FadeVeil(ui->tabView, Utils::ColorBG());

    for (QWidget *picker : {static_cast<QWidget *>(ui->datePicker1), static_cast<QWidget *>(ui->datePicker2),
                            static_cast<QWidget *>(ui->timePicker1), static_cast<QWidget *>(ui->timePicker2)})
        Palette::setBackground(picker, Utils::ColorBG());
    Palette::setTextColour(ui->datePicker1, Utils::ColorSidebar());
    Palette::setTextColour(ui->timePicker1, Utils::ColorSidebar());
    QPalette calendar = ui->datePicker2->palette();
    calendar.setColor(QPalette::Highlight, Utils::ColorSidebar());
    calendar.setColor(QPalette::HighlightedText, Qt::white);
    ui->datePicker2->setPalette(calendar);

    styleButtons();

    setUpTrackList(SMD);
    setUpTrackList(CCD);
    setUpTrackList(TN);

    dressCaptions({ui->label1TN, ui->label2TN, ui->captionCCD});
    Palette::setTextColour(ui->captionCCD, Utils::ColorSecondTitle());

    m_radioTN1 = choiceGroup(this, "radioTN1", {ui->radioTN1Track, ui->radioTN1Name});
    m_radioTN2 = choiceGroup(this, "radioTN2", {ui->radioTN2Latest, ui->radioTN2Earliest});
    ui->radioTN1Track->setChecked(true);
    ui->radioTN2Earliest->setChecked(true);
    connect(m_radioTN1, &QButtonGroup::idClicked, this, &ModificationViewController::radioChangedTN1);
    connect(m_radioTN2, &QButtonGroup::idClicked, this, &ModificationViewController::radioChangedTN2);
    // The dates shown follow the direction however it changes, entering the action included.
    auto *previewTN = new TrackNumberPreview(dropView(TN)->model(), [this] { return m_radioTN2->checkedId() == 0; }, this);
    connect(m_radioTN2, &QButtonGroup::idToggled, previewTN, &TrackNumberPreview::refresh);
    connect(this, &ModificationViewController::runFinished, previewTN, [previewTN](int action) {
        if (action == TN)
            previewTN->reread();
    });

    // Set Modification Date: both controls of a kind show the same value.
    connect(ui->datePicker1, &QDateEdit::dateChanged, this, [this](const QDate &date) {
        if (m_showingDates || !date.isValid())
            return;
        m_chosenSMD.setDay(date);
        chosenDateChangedSMD(true);
    });
    connect(ui->datePicker2, &QCalendarWidget::selectionChanged, this, [this] {
        if (m_showingDates)
            return;
        m_chosenSMD.setDay(ui->datePicker2->selectedDate());
        chosenDateChangedSMD(true);
    });
    connect(ui->timePicker1, &QTimeEdit::timeChanged, this, [this](const QTime &time) {
        if (m_showingDates || !time.isValid())
            return;
        m_chosenSMD.setTime(time);
        chosenDateChangedSMD(false);
    });
    connect(ui->timePicker2, &ClockFace::timeEdited, this, [this](const QTime &time) {
        if (m_showingDates)
            return;
        m_chosenSMD.setTime(time);
        chosenDateChangedSMD(false);
    });
    connect(ui->setTodayButtonSMD, &QPushButton::clicked, this, &ModificationViewController::setTodaySMD);
    connect(ui->setNowButtonSMD, &QPushButton::clicked, this, &ModificationViewController::setNowSMD);
    connect(ui->set0000ButtonSMD, &QPushButton::clicked, this, &ModificationViewController::set0000SMD);
    connect(ui->set00ButtonSMD, &QPushButton::clicked, this, &ModificationViewController::set00SMD);
    connect(ui->sameAsButtonSMD, &QPushButton::clicked, this, &ModificationViewController::sameAsClickedSMD);
    connect(ui->setButtonSMD, &QPushButton::clicked, this, &ModificationViewController::setClickedSMD);
    connect(ui->setButtonCCD, &QPushButton::clicked, this, &ModificationViewController::setClickedCCD);
    connect(ui->setButtonTN, &QPushButton::clicked, this, &ModificationViewController::setClickedTN);

    // A fresh tool starts with its first action's values at the present.
    m_chosenSMD.enter(QDateTime::currentDateTime());
    showDateSMD();
    showTimeSMD();
}

void ModificationViewController::setUpActionList()
{
    m_actions = new QStandardItemModel(this);
    for (int row = 0; row < 3; ++row) {
        auto *item = new QStandardItem(tr(actionTitles[row]));
        item->setData(tr(actionDescriptions[row]), ActionCell::DescriptionRole);
        item->setEditable(false);
        m_actions->appendRow(item);
    }
    QListView *list = ui->tableView;
    list->setModel(m_actions);
    list->setItemDelegate(new ActionCell([this] { return m_selectedAction; }, list));
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list->setSpacing(0);
    list->setMouseTracking(false);
    list->viewport()->setAutoFillBackground(false);
    list->setAutoFillBackground(false);
    list->setStyleSheet(QStringLiteral("QListView { background: transparent; border: none; outline: none; }"));
    connect(list->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &ModificationViewController::tableViewSelectionDidChange);
}

void ModificationViewController::setUpTrackList(int action)
{
    static const char *const suffixes[] = {"SMD", "CCD", "TN"};
    TrackListPane *list = pane(action);
    list->setUp(action, this, QLatin1String(suffixes[action]));
    QTableView *table = list->tableView();
    QHeaderView *header = table->horizontalHeader();
    // Dates keep their full width; the names give way first.
    const QFontMetrics metrics(table->font());
    header->setSectionResizeMode(1, QHeaderView::Interactive);
    header->resizeSection(1, DatePreviewCell::columnWidth(metrics));
    header->setStretchLastSection(false);
    header->resizeSection(2, action == TN ? trackColumnWidth(table) : SimpleTextCell::dateColumnWidth(metrics));
}

void ModificationViewController::styleButtons()
{
    for (QPushButton *button : {ui->setTodayButtonSMD, ui->setNowButtonSMD, ui->set0000ButtonSMD, ui->set00ButtonSMD,
                                ui->sameAsButtonSMD})
        m_buttonArtwork.setButtonStyle(button, false);
    for (QPushButton *button : {ui->setButtonSMD, ui->setButtonCCD, ui->setButtonTN})
        m_buttonArtwork.setButtonStyle(button, true);
    ui->paneSMD->addActionButton(ui->setButtonSMD);
    ui->paneCCD->addActionButton(ui->setButtonCCD);
    ui->paneTN->addActionButton(ui->setButtonTN);
}

TrackListPane *ModificationViewController::pane(int action) const
{
    switch (action) {
    case SMD: return ui->paneSMD;
    case CCD: return ui->paneCCD;
    case TN: return ui->paneTN;
    }
    return nullptr;
}

DropView *ModificationViewController::dropView(int action) const
{
    TrackListPane *list = pane(action);
    return list ? list->dropView() : nullptr;
}

QTableView *ModificationViewController::trackTable(int action) const
{
    TrackListPane *list = pane(action);
    return list ? list->tableView() : nullptr;
}

// ---- Navigation -----------------------------------------------------------

void ModificationViewController::openAction(int action)
{
    // A row still selected from before would not announce itself again.
    ui->tableView->selectionModel()->clearSelection();
    ui->tableView->selectionModel()->select(ui->tableView->model()->index(action, 0),
                                            QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
}

bool ModificationViewController::showsActions() const
{
    return ui->tabView->currentIndex() == 0;
}

void ModificationViewController::tableViewSelectionDidChange()
{
    const QModelIndexList selected = ui->tableView->selectionModel()->selectedRows();
    m_selectedAction = selected.isEmpty() ? -1 : selected.first().row();
    ui->tableView->viewport()->update();

    switch (m_selectedAction) {
    case SMD:
        jumpToTab(1);
        ui->tabTitle->setText(tr(actionTitles[SMD]));
        clearTableSMD();
        enterSetModificationDate();
        showOrHideBackButton(true);
        break;
    case CCD:
        jumpToTab(2);
        ui->tabTitle->setText(tr(actionTitles[CCD]));
        showOrHideBackButton(true);
        clearTableCCD();
        break;
    case TN:
        jumpToTab(3);
        ui->tabTitle->setText(tr(actionTitles[TN]));
        showOrHideBackButton(true);
        clearTableTN();
        ui->radioTN1Track->setChecked(true);
        ui->radioTN2Earliest->setChecked(true);
        break;
    default:
        break;
    }
}

void ModificationViewController::backClicked()
{
    jumpToTab(0);
    showOrHideBackButton(false);
    // With the selection cleared, the action just left can be chosen again
    // at once: choosing it is a change of selection again.
    ui->tableView->selectionModel()->clearSelection();
}

void ModificationViewController::jumpToTab(int page)
{
    if (page < 0 || page >= ui->tabView->count())
        return;
    for (auto *running : m_pageVeil->findChildren<QPropertyAnimation *>(QStringLiteral("pageFade")))
        running->stop();
    m_pageVeil->setPageOpacity(0.0);
    ui->tabView->setCurrentIndex(page);
    auto *animation = new QPropertyAnimation(m_pageVeil, "pageOpacity", m_pageVeil);
    animation->setObjectName(QStringLiteral("pageFade"));
    animation->setDuration(Motion::fadeMs);
    animation->setStartValue(0.0);
    animation->setEndValue(1.0);
    animation->start(QAbstractAnimation::DeleteWhenStopped);
}

int ModificationViewController::backButtonLeftMargin() const
{
    return m_backButton->leftMargin();
}

void ModificationViewController::setBackButtonLeftMargin(int margin)
{
    m_backButton->setLeftMargin(margin);
}

void ModificationViewController::showOrHideBackButton(bool show)
{
    m_backButton->showOrHide(show);
    if (!show)
        ui->tabTitle->setText(tr("Set \"Date Modified\""));
}

void ModificationViewController::showOrHideDropInfoImage(bool show, int action)
{
    if (TrackListPane *list = pane(action))
        list->showOrHideDropInfoImage(show);
}

// ---- Lists ----------------------------------------------------------------

void ModificationViewController::removeTableItemSMD() { ui->paneSMD->removeTableItem(); }
void ModificationViewController::removeTableItemCCD() { ui->paneCCD->removeTableItem(); }
void ModificationViewController::removeTableItemTN() { ui->paneTN->removeTableItem(); }
void ModificationViewController::clearTableSMD() { ui->paneSMD->clearTable(); }
void ModificationViewController::clearTableCCD() { ui->paneCCD->clearTable(); }
void ModificationViewController::clearTableTN() { ui->paneTN->clearTable(); }

void ModificationViewController::fileDropped(const QList<QUrl> &, DropView *sender)
{
    if (!sender)
        return;
    const int action = sender->currentAction();
    switch (action) {
    case SMD:
    case CCD:
        sender->reloadData();
        break;
    case TN:
        reOrderArray();
        break;
    default:
        return;
    }
    showOrHideDropInfoImage(false, action);
}

// ---- Set Modification Date ----------------------------------------------------

void ModificationViewController::enterSetModificationDate()
{
    m_chosenSMD.enter(QDateTime::currentDateTime());
    showDateSMD();
    showTimeSMD();
    dropView(SMD)->setToDate(m_chosenSMD.moment());
}

void ModificationViewController::showDateSMD()
{
    const bool was = m_showingDates;
    m_showingDates = true;
    ui->datePicker1->setDate(m_chosenSMD.day());
    ui->datePicker2->setSelectedDate(m_chosenSMD.day());
    m_showingDates = was;
}

void ModificationViewController::showTimeSMD()
{
    const bool was = m_showingDates;
    m_showingDates = true;
    ui->timePicker1->setTime(m_chosenSMD.time());
    ui->timePicker2->setTime(m_chosenSMD.time());
    m_showingDates = was;
}

void ModificationViewController::chosenDateChangedSMD(bool day)
{
    if (day)
        showDateSMD();
    else
        showTimeSMD();
    dateChangedSMD();
}

void ModificationViewController::setTodaySMD()
{
    m_chosenSMD.toToday();
    chosenDateChangedSMD(true);
}

void ModificationViewController::setNowSMD()
{
    m_chosenSMD.toNow();
    chosenDateChangedSMD(false);
}

void ModificationViewController::set0000SMD()
{
    m_chosenSMD.toFullHour();
    chosenDateChangedSMD(false);
}

void ModificationViewController::set00SMD()
{
    m_chosenSMD.toFullMinute();
    chosenDateChangedSMD(false);
}

void ModificationViewController::sameAsClickedSMD()
{
    QFileDialog dialog(this, tr("Same as File"));
    dialog.setObjectName(QStringLiteral("sameAsDialog"));
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    if (dialog.exec() != QDialog::Accepted)
        return;
    const QStringList chosen = dialog.selectedFiles();
    if (chosen.isEmpty())
        return;
    const std::optional<FileTime> modified = FileDates::modificationDate(QUrl::fromLocalFile(chosen.first()));
    if (!modified)
        return;
    m_chosenSMD.setDayAndTime(modified->toDateTime());
    showDateSMD();
    showTimeSMD();
    dateChangedSMD();
}

void ModificationViewController::dateChangedSMD()
{
    dropView(SMD)->setPreviewDate(m_chosenSMD.moment());
    dropView(SMD)->reloadData();
}

void ModificationViewController::setClickedSMD()
{
    if (dropView(SMD)->count() > 0 && !m_run)
        startPerformSMD();
}

void ModificationViewController::reOrderArray()
{
    DropView *drop = dropView(TN);
    const QList<QUrl> files = drop->files();
    if (files.isEmpty())
        return;
    const AlbumOrder::Key key = m_radioTN1->checkedId() == 0 ? AlbumOrder::Key::FileName : AlbumOrder::Key::TrackNumber;
    drop->setFiles(AlbumOrder::sorted(files, key));
    drop->reloadData();
}

void ModificationViewController::radioChangedTN1()
{
    reOrderArray();
}

void ModificationViewController::radioChangedTN2()
{
}
