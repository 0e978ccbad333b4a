#include "style/ChoiceGroup.h"

#include "app/common/Utils.h"
#include "style/OpacityEffect.h"
#include "style/Palette.h"

#include <QButtonGroup>
#include <QGraphicsOpacityEffect>
#include <QLabel>
#include <QRadioButton>

QButtonGroup *choiceGroup(QWidget *owner, const char *name, std::initializer_list<QRadioButton *> choices)
{
    auto *group = new QButtonGroup(owner);
    group->setObjectName(QLatin1String(name));
    for (QRadioButton *choice : choices) {
        group->addButton(choice, choice->property("tag").toInt());
        opacityEffectOf(choice)->setOpacity(0.8);
        Palette::setTextColour(choice, Utils::ColorSidebar());
    }
    return group;
}

void dressCaptions(std::initializer_list<QLabel *> captions)
{
    for (QLabel *caption : captions) {
        Palette::setTextColour(caption, Utils::ColorSidebar());
        QFont bold = caption->font();
        bold.setBold(true);
        caption->setFont(bold);
    }
}
