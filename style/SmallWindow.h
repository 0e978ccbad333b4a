#pragma once

class QWidget;

// The look every small window of the program shares (About, the update
// check): the palette's background and text colours and the application
// icon. Closing such a window never ends the program.
void dressSmallWindow(QWidget *window);
