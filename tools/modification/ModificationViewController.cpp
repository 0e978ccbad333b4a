#include "tools/modification/ModificationViewController.h"
#include "ui_ModificationViewController.h"

#include "style/OpacityEffect.h"

#include "tools/modification/ActionCell.h"
#include "tracks/files/AlbumOrder.h"
#include "style/ButtonArtwork.h"
#include "tracks/lists/DropHintImage.h"
#include "tracks/lists/DropView.h"
#include "style/FadeVeil.h"
#include "tracks/files/FileDates.h"
#include "tracks/library/LibraryRefresh.h"
#include "tools/modification/ModificationDates.h"
#include "app/common/Utils.h"

#include <QAction>
#include <QButtonGroup>
#include <QFileDialog>
#include <QGraphicsOpacityEffect>
#include <QHeaderView>
#include <QKeySequence>
#include <QParallelAnimationGroup>
#include <QPropertyAnimation>
#include <QStandardItemModel>

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
constexpr int backButtonInset = 8;

void setTextColour(QWidget *widget, const QColor &colour)
{
    QPalette palette = widget->palette();
    palette.setColor(QPalette::WindowText, colour);
    palette.setColor(QPalette::Text, colour);
    palette.setColor(QPalette::ButtonText, colour);
    widget->setPalette(palette);
}

void setBackground(QWidget *widget, const QColor &colour)
{
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Base, colour);
    palette.setColor(QPalette::Window, colour);
    palette.setColor(QPalette::Button, colour);
    widget->setPalette(palette);
    widget->setAutoFillBackground(true);
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
    setBackground(this, Utils::ColorBG());
    // The separator under the title stretches with the view.
    ui->img->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    setBackground(ui->img, Utils::ColorBorder());

    setUpActionList();

    QFont titleFont = ui->tabTitle->font();
    titleFont.setPointSizeF(titleFont.pointSizeF() * 1.35);
    titleFont.setBold(true);
    ui->tabTitle->setFont(titleFont);
    setTextColour(ui->tabTitle, Utils::ColorSidebar());

    // The back button lives outside the layout so that it can slide in from
    // beyond the left edge; it sits above the header, which would otherwise
    // take its clicks.
    ui->backButton->hide();
    ui->backButton->raise();
    setTextColour(ui->backButton, Utils::ColorSidebar());
    setBackButtonLeftMargin(hiddenBackButtonMargin());
    connect(ui->backButton, &QPushButton::clicked, this, &ModificationViewController::backClicked);

    ui->tabView->setCurrentIndex(0);
    m_pageVeil = new FadeVeil(ui->tabView, Utils::ColorBG());

    for (QWidget *picker : {static_cast<QWidget *>(ui->datePicker1), static_cast<QWidget *>(ui->datePicker2),
                            static_cast<QWidget *>(ui->timePicker1), static_cast<QWidget *>(ui->timePicker2)})
        setBackground(picker, Utils::ColorBG());
    setTextColour(ui->datePicker1, Utils::ColorSidebar());
    setTextColour(ui->timePicker1, Utils::ColorSidebar());
    QPalette calendar = ui->datePicker2->palette();
    calendar.setColor(QPalette::Highlight, Utils::ColorSidebar());
    calendar.setColor(QPalette::HighlightedText, Qt::white);
    ui->datePicker2->setPalette(calendar);
    setTextColour(ui->timePicker1, Utils::ColorSidebar());

    styleButtons();

    setUpTrackList(SMD);
    setUpTrackList(CCD);
    setUpTrackList(TN);

    for (QLabel *caption : {ui->label1TN, ui->label2TN, ui->captionCCD}) {
        setTextColour(caption, Utils::ColorSidebar());
        QFont bold = caption->font();
        bold.setBold(true);
        caption->setFont(bold);
    }
    setTextColour(ui->captionCCD, Utils::ColorSecondTitle());

    // The radio choices carry their meaning in a "tag" of their own, so the
    // layout can change without changing what a choice means.
    m_radioTN1 = new QButtonGroup(this);
    m_radioTN1->setObjectName(QStringLiteral("radioTN1"));
    m_radioTN2 = new QButtonGroup(this);
    m_radioTN2->setObjectName(QStringLiteral("radioTN2"));
    for (QRadioButton *radio : {ui->radioTN1Track, ui->radioTN1Name})
        m_radioTN1->addButton(radio, radio->property("tag").toInt());
    for (QRadioButton *radio : {ui->radioTN2Latest, ui->radioTN2Earliest})
        m_radioTN2->addButton(radio, radio->property("tag").toInt());
    for (QRadioButton *radio : {ui->radioTN1Track, ui->radioTN1Name, ui->radioTN2Latest, ui->radioTN2Earliest}) {
        opacityEffectOf(radio)->setOpacity(0.8);
        setTextColour(radio, Utils::ColorSidebar());
    }
    ui->radioTN1Track->setChecked(true);
    ui->radioTN2Earliest->setChecked(true);
    connect(m_radioTN1, &QButtonGroup::idClicked, this, &ModificationViewController::radioChangedTN1);
    connect(m_radioTN2, &QButtonGroup::idClicked, this, &ModificationViewController::radioChangedTN2);

    // Set Modification Date: both controls of a kind show the same value.
    connect(ui->datePicker1, &QDateEdit::dateChanged, this, [this](const QDate &date) {
        if (m_showingDates || !date.isValid())
            return;
        m_dateSMD = date;
        showDateSMD();
        dateChangedSMD();
    });
    connect(ui->datePicker2, &QCalendarWidget::selectionChanged, this, [this] {
        if (m_showingDates)
            return;
        m_dateSMD = ui->datePicker2->selectedDate();
        showDateSMD();
        dateChangedSMD();
    });
    connect(ui->timePicker1, &QTimeEdit::timeChanged, this, [this](const QTime &time) {
        if (m_showingDates || !time.isValid())
            return;
        m_timeSMD = time;
        showTimeSMD();
        dateChangedSMD();
    });
    connect(ui->timePicker2, &ClockFace::timeEdited, this, [this](const QTime &time) {
        if (m_showingDates)
            return;
        m_timeSMD = time;
        showTimeSMD();
        dateChangedSMD();
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
    const QDateTime now = QDateTime::currentDateTime();
    m_dateSMD = now.date();
    m_timeSMD = now.time();
    m_selectedDateSMD = now;
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
    DropView *drop = dropView(action);
    QTableView *table = trackTable(action);
    drop->attachTable(table);
    drop->setDelegate(this);
    drop->setCurrentAction(action);
    table->setFrameShape(QFrame::NoFrame);
    table->setSelectionMode(QAbstractItemView::ExtendedSelection);
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->setStyleSheet(QStringLiteral("QTableView { background: transparent; border: none; }"));
    table->horizontalHeader()->setStretchLastSection(true);
    table->horizontalHeader()->setSectionResizeMode(0, QHeaderView::Stretch);
    table->horizontalHeader()->setSectionResizeMode(1, action == TN ? QHeaderView::ResizeToContents
                                                                    : QHeaderView::Interactive);
    table->horizontalHeader()->resizeSection(1, action == TN ? 150 : 300);
    table->horizontalHeader()->setHighlightSections(false);
    table->horizontalHeader()->setStyleSheet(
        QStringLiteral("QHeaderView::section { background: %1; color: %2; border: none; border-bottom: 1px solid %3;"
                       " padding: 3px 8px; font-weight: 600; }")
            .arg(Utils::ColorBG().name(), Utils::ColorSecondTitle().name(), Utils::ColorBorder().name()));
    table->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);

    // Removing and clearing: Delete key, context menu and the buttons under
    // the list all reach the same operations.
    auto *remove = new QAction(tr("Remove"), table);
    remove->setShortcuts({QKeySequence::Delete, QKeySequence(Qt::Key_Backspace)});
    remove->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    auto *clear = new QAction(tr("Clear"), table);
    table->addAction(remove);
    table->addAction(clear);
    table->setContextMenuPolicy(Qt::ActionsContextMenu);
    connect(remove, &QAction::triggered, this, [this, action] { removeTableItem(action); });
    connect(clear, &QAction::triggered, this, [this, action] { clearTable(action); });

    QPushButton *removeButton = action == SMD ? ui->removeButtonSMD : action == CCD ? ui->removeButtonCCD : ui->removeButtonTN;
    QPushButton *clearButton = action == SMD ? ui->clearButtonSMD : action == CCD ? ui->clearButtonCCD : ui->clearButtonTN;
    connect(removeButton, &QPushButton::clicked, this, [this, action] { removeTableItem(action); });
    connect(clearButton, &QPushButton::clicked, this, [this, action] { clearTable(action); });

    // The table starts hidden behind its drop hint: the list is empty.
    opacityEffectOf(table)->setOpacity(0.0);
    table->hide();
    dropInfoImage(action)->setOpacity(1.0);
}

void ModificationViewController::styleButtons()
{
    for (QPushButton *button : {ui->setTodayButtonSMD, ui->setNowButtonSMD, ui->set0000ButtonSMD, ui->set00ButtonSMD,
                                ui->sameAsButtonSMD, ui->removeButtonSMD, ui->clearButtonSMD, ui->removeButtonCCD,
                                ui->clearButtonCCD, ui->removeButtonTN, ui->clearButtonTN})
        m_buttonArtwork.setButtonStyle(button, false);
    for (QPushButton *button : {ui->setButtonSMD, ui->setButtonCCD, ui->setButtonTN})
        m_buttonArtwork.setButtonStyle(button, true);
}

DropView *ModificationViewController::dropView(int action) const
{
    switch (action) {
    case SMD: return ui->dropViewSMD;
    case CCD: return ui->dropViewCCD;
    case TN: return ui->dropViewTN;
    }
    return nullptr;
}

QTableView *ModificationViewController::trackTable(int action) const
{
    switch (action) {
    case SMD: return ui->tableViewSMD;
    case CCD: return ui->tableViewCCD;
    case TN: return ui->tableViewTN;
    }
    return nullptr;
}

DropHintImage *ModificationViewController::dropInfoImage(int action) const
{
    switch (action) {
    case SMD: return ui->dropInfoImageSMD;
    case CCD: return ui->dropInfoImageCCD;
    case TN: return ui->dropInfoImageTN;
    }
    return nullptr;
}

void ModificationViewController::fade(QWidget *widget, qreal to)
{
    // The drop hint fades by itself; anything else through an effect.
    QObject *target = widget;
    QByteArray property = "opacity";
    if (!qobject_cast<DropHintImage *>(widget))
        target = opacityEffectOf(widget);
    // A newer fade wins: the older one must not end later (and hide the table).
    for (auto *running : widget->findChildren<QPropertyAnimation *>(QStringLiteral("fade"), Qt::FindDirectChildrenOnly))
        running->stop();
    auto *animation = new QPropertyAnimation(target, property, widget);
    animation->setObjectName(QStringLiteral("fade"));
    animation->setDuration(animationMs);
    animation->setEndValue(to);
    // A faded-out table is also hidden: views that scroll their contents
    // (the header does) would otherwise paint past the effect.
    if (to > 0.0)
        widget->show();
    else if (!qobject_cast<DropHintImage *>(widget))
        connect(animation, &QAbstractAnimation::finished, widget, &QWidget::hide);
    animation->start(QAbstractAnimation::DeleteWhenStopped);
}

// ---- Navigation -----------------------------------------------------------

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
    animation->setDuration(animationMs);
    animation->setStartValue(0.0);
    animation->setEndValue(1.0);
    animation->start(QAbstractAnimation::DeleteWhenStopped);
}

int ModificationViewController::hiddenBackButtonMargin() const
{
    return 13 - ui->backButton->width() - backButtonInset;
}

void ModificationViewController::setBackButtonLeftMargin(int margin)
{
    m_backButtonLeftMargin = margin;
    ui->backButton->move(backButtonInset + margin, (ui->header->height() - ui->backButton->height()) / 2);
}

void ModificationViewController::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    setBackButtonLeftMargin(m_backButtonLeftMargin);
}

void ModificationViewController::showOrHideBackButton(bool show)
{
    QGraphicsOpacityEffect *effect = opacityEffectOf(ui->backButton);
    for (auto *running : findChildren<QParallelAnimationGroup *>(QStringLiteral("backButtonSlide"), Qt::FindDirectChildrenOnly))
        running->stop();

    auto *group = new QParallelAnimationGroup(this);
    group->setObjectName(QStringLiteral("backButtonSlide"));
    auto *slide = new QPropertyAnimation(this, "backButtonLeftMargin", group);
    auto *alpha = new QPropertyAnimation(effect, "opacity", group);
    slide->setDuration(animationMs);
    alpha->setDuration(animationMs);
    slide->setEasingCurve(QEasingCurve::OutCubic);
    if (show) {
        effect->setOpacity(0.0);
        ui->backButton->show();
        ui->backButton->raise();
        slide->setEndValue(0);
        alpha->setEndValue(1.0);
    } else {
        slide->setEndValue(hiddenBackButtonMargin());
        alpha->setEndValue(0.0);
        connect(group, &QAbstractAnimation::finished, ui->backButton, &QWidget::hide);
        ui->tabTitle->setText(tr("Set \"Date Modified\""));
    }
    group->addAnimation(slide);
    group->addAnimation(alpha);
    group->start(QAbstractAnimation::DeleteWhenStopped);
}

void ModificationViewController::showOrHideDropInfoImage(bool show, int action)
{
    QTableView *table = trackTable(action);
    DropHintImage *hint = dropInfoImage(action);
    if (!table || !hint)
        return;
    fade(table, show ? 0.0 : 1.0);
    fade(hint, show ? 1.0 : 0.0);
}

// ---- Lists ----------------------------------------------------------------

void ModificationViewController::removeTableItem(int action)
{
    DropView *drop = dropView(action);
    QTableView *table = trackTable(action);
    QList<QUrl> files = drop->files();
    const QItemSelectionModel *selection = table->selectionModel();
    // Going downward keeps the indexes still to visit valid.
    bool removed = false;
    for (int row = int(files.size()) - 1; row >= 0; --row) {
        if (selection->isRowSelected(row, QModelIndex())) {
            files.removeAt(row);
            removed = true;
        }
    }
    if (removed)
        drop->setFiles(files);
    drop->reloadData();
    if (files.isEmpty())
        showOrHideDropInfoImage(true, action);
}

void ModificationViewController::clearTable(int action)
{
    dropView(action)->cleanTable(trackTable(action));
    showOrHideDropInfoImage(true, action);
}

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
    // One moment for all three, fraction of a second included: Set right
    // away writes exactly the moment of entering.
    const QDateTime now = QDateTime::currentDateTime();
    m_timeSMD = now.time();
    m_dateSMD = now.date();
    m_selectedDateSMD = now;
    showDateSMD();
    showTimeSMD();
    ui->dropViewSMD->setToDate(m_selectedDateSMD);
}

void ModificationViewController::showDateSMD()
{
    const bool was = m_showingDates;
    m_showingDates = true;
    ui->datePicker1->setDate(m_dateSMD);
    ui->datePicker2->setSelectedDate(m_dateSMD);
    m_showingDates = was;
}

void ModificationViewController::showTimeSMD()
{
    const bool was = m_showingDates;
    m_showingDates = true;
    ui->timePicker1->setTime(m_timeSMD);
    ui->timePicker2->setTime(m_timeSMD);
    m_showingDates = was;
}

void ModificationViewController::setTodaySMD()
{
    m_dateSMD = QDate::currentDate();
    showDateSMD();
    dateChangedSMD();
}

void ModificationViewController::setNowSMD()
{
    m_timeSMD = QTime::currentTime();
    showTimeSMD();
    dateChangedSMD();
}

void ModificationViewController::set0000SMD()
{
    m_timeSMD = ModificationDates::fullHour(m_timeSMD);
    showTimeSMD();
    dateChangedSMD();
}

void ModificationViewController::set00SMD()
{
    m_timeSMD = ModificationDates::fullMinute(m_timeSMD);
    showTimeSMD();
    dateChangedSMD();
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
    const std::optional<FileTime> modified = FileDates::modificationDate(chosen.first());
    if (!modified)
        return;
    const QDateTime moment = modified->toDateTime().toLocalTime();
    m_timeSMD = moment.time();
    m_dateSMD = moment.date();
    showDateSMD();
    showTimeSMD();
    dateChangedSMD();
}

void ModificationViewController::dateChangedSMD()
{
    calculateDateSMD();
    ui->dropViewSMD->setPreviewDate(m_selectedDateSMD);
    ui->dropViewSMD->reloadData();
}

void ModificationViewController::calculateDateSMD()
{
    const QDateTime composed = ModificationDates::compose(m_dateSMD, m_timeSMD);
    if (composed.isValid())
        m_selectedDateSMD = composed;
}

void ModificationViewController::setClickedSMD()
{
    if (ui->dropViewSMD->count() > 0 && !m_run)
        startPerformSMD();
}

// ---- Runs -----------------------------------------------------------------

void ModificationViewController::launchRun(int action, BatchRun::Steps steps)
{
    QPointer<ModificationViewController> self(this);
    steps.barValue = [](int index) { return index; };
    steps.end = [self, action] {
        if (!self)
            return;
        // The run object goes away later; the next Set may come at once.
        self->m_run = nullptr;
        self->dropView(action)->reloadData();
        emit self->runFinished(action);
    };
    m_run = BatchRun::start(this, std::move(steps));
}

void ModificationViewController::startPerformSMD()
{
    const QList<QUrl> files = ui->dropViewSMD->files();
    if (files.isEmpty())
        return;
    // Every file gets exactly the same moment, milliseconds included.
    const FileTime moment = FileTime::fromDateTime(m_selectedDateSMD);
    BatchRun::Steps steps;
    steps.count = int(files.size());
    steps.work = [files, moment](int i) { FileDates::setModificationDate(files.at(i).toLocalFile(), moment); };
    steps.afterProgress = [files](int i) { refreshSingleFileFromItunesList(files.at(i)); };
    launchRun(SMD, std::move(steps));
}

void ModificationViewController::setClickedCCD()
{
    if (ui->dropViewCCD->count() > 0 && !m_run)
        startPerformCCD();
}

void ModificationViewController::startPerformCCD()
{
    const QList<QUrl> files = ui->dropViewCCD->files();
    if (files.isEmpty())
        return;
    BatchRun::Steps steps;
    steps.count = int(files.size());
    steps.work = [files](int i) {
        const QString path = files.at(i).toLocalFile();
        // Without a readable creation date the file is left as it is.
        if (const std::optional<FileTime> created = FileDates::creationDate(path))
            FileDates::setModificationDate(path, *created);
    };
    steps.afterProgress = [files](int i) { refreshSingleFileFromItunesList(files.at(i)); };
    launchRun(CCD, std::move(steps));
}

void ModificationViewController::setClickedTN()
{
    if (ui->dropViewTN->count() > 0 && !m_run)
        startPerformTN();
}

void ModificationViewController::startPerformTN()
{
    const QList<QUrl> files = ui->dropViewTN->files();
    if (files.isEmpty())
        return;
    // The direction is read once: the sheet keeps the user from changing it,
    // and a worker must not touch widgets.
    const bool firstGetsLatest = m_radioTN2->checkedId() == 0;
    const qint64 count = files.size();
    // The base is found by the worker before its first item, while the sheet
    // is already up: the same result as finding it beforehand, without
    // reading every file's dates on the main thread.
    auto base = std::make_shared<qint64>(0);
    BatchRun::Steps steps;
    steps.count = int(count);
    steps.before = [files, base] {
        QList<std::optional<FileTime>> births;
        births.reserve(files.size());
        for (const QUrl &file : files)
            births.append(FileDates::creationDate(file.toLocalFile()));
        *base = ModificationDates::baseSeconds(ModificationDates::latest(births));
        return true;
    };
    steps.work = [files, base, count, firstGetsLatest](int i) {
        const qint64 seconds = ModificationDates::trackNumberSeconds(*base, count, i, firstGetsLatest);
        FileDates::setModificationDate(files.at(i).toLocalFile(), FileTime{seconds, 0});
    };
    steps.afterProgress = [files](int i) { refreshSingleFileFromItunesList(files.at(i)); };
    launchRun(TN, std::move(steps));
}

void ModificationViewController::reOrderArray()
{
    DropView *drop = ui->dropViewTN;
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
