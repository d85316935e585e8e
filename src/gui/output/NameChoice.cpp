#include "gui/output/NameChoice.h"

#include <QComboBox>

void FillNameChoice(QComboBox* list, const QStringList& names) {
    list->clear();
    list->addItems(names);
    if (list->count() > 0)
        list->setCurrentIndex(0);
}

void StepNameChoice(QComboBox* list, int step) {
    const int index = list->currentIndex() + step;
    if (index >= 0 && index < list->count())
        list->setCurrentIndex(index);
}
