#pragma once

#include <QDialog>

class QTableWidget;

// The runs of the journal, newest first: tool, time, items, how many were
// changed, and Undo for each run that can be taken back. A Date Added run
// cannot (its dates come from adding the files); it says what it did.
class HistoryWindow : public QDialog
{
    Q_OBJECT
public:
    explicit HistoryWindow(QWidget *parent = nullptr);
    QTableWidget *table() const { return m_table; }

public slots:
    // Reads the journal again.
    void reload();

signals:
    void undoRequested(qint64 run);

private:
    QTableWidget *m_table;
};
