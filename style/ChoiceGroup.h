#pragma once

#include <initializer_list>

class QButtonGroup;
class QLabel;
class QRadioButton;
class QWidget;

// Radio choices as the tools show them: grouped under a name, each choice
// identified by the "tag" property it carries (so the layout can change
// without changing what a choice means), a little faded, in the sidebar
// colour.
QButtonGroup *choiceGroup(QWidget *owner, const char *name, std::initializer_list<QRadioButton *> choices);

// Captions above choices: bold, in the sidebar colour.
void dressCaptions(std::initializer_list<QLabel *> captions);
