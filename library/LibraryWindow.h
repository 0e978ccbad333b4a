#pragma once

#include <QMainWindow>

class MusicLibrary;
class QTableView;

// The library's window: a sortable table of every track with multi-selection,
// tracks dragged out as file URLs and files or folders dropped in added.
class LibraryWindow : public QMainWindow
{
    Q_OBJECT
public:
    explicit LibraryWindow(MusicLibrary *library, QWidget *parent = nullptr);

    QTableView *tableView() const { return m_table; }

private:
    void updateTitle();

    MusicLibrary *m_library;
    QTableView *m_table;
};
