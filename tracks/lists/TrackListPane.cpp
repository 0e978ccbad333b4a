#include "tracks/lists/TrackListPane.h"

#include "app/common/Utils.h"
#include "style/Motion.h"
#include "style/OpacityEffect.h"
#include "tracks/lists/DropHintImage.h"
#include "tracks/lists/AddFilesDialog.h"
#include "tracks/lists/DropView.h"
#include "tracks/lists/PastedFiles.h"
#include "tracks/lists/TrackListModel.h"

#include <QAction>
#include <QClipboard>
#include <QGuiApplication>
#include <QMessageBox>
#include <QGraphicsOpacityEffect>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeySequence>
#include <QPropertyAnimation>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

namespace {
constexpr QSize listButtonSize{84, 28};
} // namespace

TrackListPane::TrackListPane(QWidget *parent)
    : QWidget(parent), m_dropView(new DropView(this)), m_table(new QTableView(m_dropView)),
      m_hint(new DropHintImage(m_dropView)), m_remove(new QPushButton(tr("Remove"), this)),
      m_clear(new QPushButton(tr("Clear"), this)), m_add(new QPushButton(tr("Add Files…"), this)),
      m_addAction(new QAction(tr("Add Files…"), this)), m_buttons(new QHBoxLayout)
{
    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(10);
    column->addWidget(m_dropView, 1);
    column->addLayout(m_buttons);

    // The table and the hint share one place inside the drop area's border.
    auto *stack = new QGridLayout(m_dropView);
    stack->setContentsMargins(1, 1, 1, 1);
    stack->setSpacing(0);
    stack->addWidget(m_table, 0, 0);
    stack->addWidget(m_hint, 0, 0);

    m_buttons->setSpacing(8);
    m_remove->setToolTip(tr("Remove the selected tracks from the list (Delete)"));
    m_clear->setToolTip(tr("Remove every track from the list"));
    m_add->setToolTip(tr("Choose files or folders to add to the list (or paste them, Ctrl+V)"));
    for (QPushButton *button : {m_remove, m_clear, m_add}) {
        button->setFixedSize(listButtonSize);
        button->setFocusPolicy(Qt::TabFocus);
        m_buttons->addWidget(button);
    }
    m_buttons->addStretch(1);
    connect(m_remove, &QPushButton::clicked, this, &TrackListPane::removeTableItem);
    connect(m_clear, &QPushButton::clicked, this, &TrackListPane::clearTable);
    connect(m_add, &QPushButton::clicked, this, &TrackListPane::chooseFiles);

    m_table->setFrameShape(QFrame::NoFrame);
    m_table->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->setStyleSheet(QStringLiteral("QTableView { background: transparent; border: none; }"));
    QHeaderView *header = m_table->horizontalHeader();
    header->setStretchLastSection(true);
    header->setHighlightSections(false);
    header->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    header->setStyleSheet(
        QStringLiteral("QHeaderView::section { background: %1; color: %2; border: none; border-bottom: 1px solid %3;"
                       " padding: 3px 8px; font-weight: 600; }")
            .arg(Utils::ColorBG().name(), Utils::ColorSecondTitle().name(), Utils::ColorBorder().name()));

    // Delete key and context menu reach the same operations as the buttons.
    auto *remove = new QAction(tr("Remove"), m_table);
    remove->setShortcuts({QKeySequence::Delete, QKeySequence(Qt::Key_Backspace)});
    remove->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    auto *clear = new QAction(tr("Clear"), m_table);
    auto *separator = new QAction(m_table);
    separator->setSeparator(true);
    m_table->addActions({remove, clear, separator, m_addAction});
    m_table->setContextMenuPolicy(Qt::ActionsContextMenu);
    connect(remove, &QAction::triggered, this, &TrackListPane::removeTableItem);
    connect(clear, &QAction::triggered, this, &TrackListPane::clearTable);
    connect(m_addAction, &QAction::triggered, this, &TrackListPane::chooseFiles);
    // Ctrl+V anywhere in the window while this list is on screen (a list
    // that is not shown takes no shortcut; a text field pastes into itself).
    auto *pasteAction = new QAction(tr("Paste"), this);
    pasteAction->setShortcuts(QKeySequence::Paste);
    pasteAction->setShortcutContext(Qt::WindowShortcut);
    addAction(pasteAction);
    connect(pasteAction, &QAction::triggered, this, &TrackListPane::paste);

    // The list starts empty: the table hides behind the drop hint.
    opacityEffectOf(m_table)->setOpacity(0.0);
    m_table->hide();
    m_hint->setOpacity(1.0);
}

void TrackListPane::setUp(int action, FileDropDelegate *delegate, const QString &nameSuffix)
{
    m_dropView->setObjectName(QStringLiteral("dropView") + nameSuffix);
    m_table->setObjectName(QStringLiteral("tableView") + nameSuffix);
    m_hint->setObjectName(QStringLiteral("dropInfoImage") + nameSuffix);
    m_remove->setObjectName(QStringLiteral("removeButton") + nameSuffix);
    m_clear->setObjectName(QStringLiteral("clearButton") + nameSuffix);
    m_add->setObjectName(QStringLiteral("addButton") + nameSuffix);
    if (TrackListModel::holdsTracks(action)) {
        // Tracks come from the library's selection, as a drop takes them.
        m_add->setText(tr("Add Selected Tracks"));
        m_add->setToolTip(tr("Add the tracks selected in the library"));
        m_add->setFixedSize(qMax(listButtonSize.width(), m_add->sizeHint().width()), listButtonSize.height());
        m_addAction->setText(tr("Add Selected Tracks"));
    }

    m_dropView->attachTable(m_table);
    m_dropView->setDelegate(delegate);
    m_dropView->setCurrentAction(action);
    // The name takes the room the other columns leave.
    m_table->horizontalHeader()->setSectionResizeMode(0, QHeaderView::Stretch);
    m_buttonArtwork.setButtonStyle(m_remove, false);
    m_buttonArtwork.setButtonStyle(m_clear, false);
    m_buttonArtwork.setButtonStyle(m_add, false);
}

QString TrackListPane::hintText() const
{
    return m_hint->text();
}

void TrackListPane::setHintText(const QString &text)
{
    m_hint->setText(text);
}

void TrackListPane::addActionButton(QPushButton *button)
{
    m_buttons->addWidget(button);
}

void TrackListPane::removeTableItem()
{
    const QItemSelectionModel *selection = m_table->selectionModel();
    QList<int> rows;
    for (int row = m_dropView->count() - 1; row >= 0; --row)
        if (selection->isRowSelected(row, QModelIndex()))
            rows.append(row);
    m_dropView->removeItemsAt(rows);
    m_dropView->reloadData();
    if (m_dropView->count() == 0)
        showOrHideDropInfoImage(true);
}

void TrackListPane::clearTable()
{
    m_dropView->cleanTable(m_table);
    showOrHideDropInfoImage(true);
}

void TrackListPane::chooseFiles()
{
    if (TrackListModel::holdsTracks(m_dropView->currentAction())) {
        m_dropView->takeFiles({});
        return;
    }
    auto *dialog = new AddFilesDialog(window());
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    connect(dialog, &QDialog::accepted, this, [this, dialog] {
        addFiles(dialog->chosen());
        if (dialog->unreadable().isEmpty())
            return;
        // Never another file in their place: the user is told to add them another way.
        auto *box = new QMessageBox(QMessageBox::Warning, tr("Add Files"),
                                    tr("These names are not valid text, so the dialog cannot tell which files "
                                       "they are. Add their folder, or drag them onto the list:"),
                                    QMessageBox::Ok, window());
        box->setObjectName(QStringLiteral("unreadableNamesAlert"));
        box->setInformativeText(dialog->unreadable().join(u'\n'));
        box->setAttribute(Qt::WA_DeleteOnClose);
        box->open();
    });
    dialog->open();
}

void TrackListPane::addFiles(const QList<QUrl> &files)
{
    m_dropView->takeFiles(files);
}

void TrackListPane::paste()
{
    const QMimeData *clipboard = QGuiApplication::clipboard()->mimeData();
    // A list of tracks takes the library's selection whatever was copied.
    addFiles(clipboard ? PastedFiles::urls(*clipboard) : QList<QUrl>());
}

void TrackListPane::showOrHideDropInfoImage(bool show)
{
    fade(m_table, show ? 0.0 : 1.0);
    fade(m_hint, show ? 1.0 : 0.0);
}

void TrackListPane::fade(QWidget *widget, qreal to)
{
    // The drop hint fades by itself; the table through an effect.
    QObject *target = widget == m_hint ? static_cast<QObject *>(m_hint) : opacityEffectOf(widget);
    // A newer fade wins: the older one must not end later (and hide the table).
    for (auto *running : widget->findChildren<QPropertyAnimation *>(QStringLiteral("fade"), Qt::FindDirectChildrenOnly))
        running->stop();
    auto *animation = new QPropertyAnimation(target, "opacity", widget);
    animation->setObjectName(QStringLiteral("fade"));
    animation->setDuration(Motion::fadeMs);
    animation->setEndValue(to);
    // A faded-out table is also hidden: views that scroll their contents
    // (the header does) would otherwise paint past the effect.
    if (to > 0.0)
        widget->show();
    else if (widget != m_hint)
        connect(animation, &QAbstractAnimation::finished, widget, &QWidget::hide);
    animation->start(QAbstractAnimation::DeleteWhenStopped);
}
