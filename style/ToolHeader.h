#pragma once

class QLabel;
class QWidget;

// Dresses the top of a tool's view as every tool shows it: the title large,
// bold and in the sidebar colour, and the one-point separator under it
// stretching across the view in the border colour, over the view's own
// background colour.
void dressToolHeader(QWidget *view, QLabel *title, QLabel *separator);
