#include "gui/manual/ClassChoice.h"

#include <QComboBox>
#include <QSignalBlocker>

void FillClassChoice(QComboBox* list, const QStringList& names,
                     const std::function<void()>& classClick) {
    {
        const QSignalBlocker block(list);
        list->clear();
        list->addItems(names);
        list->setCurrentIndex(-1);
    }
    if (list->count() > 0)
        ChooseClass(list, 0, classClick);
}

void ChooseClass(QComboBox* list, int index, const std::function<void()>& classClick) {
    if (list->currentIndex() == index)
        classClick();
    else
        list->setCurrentIndex(index);
}

void StepClass(QComboBox* list, int step, const std::function<void()>& classClick) {
    const int index = list->currentIndex() + step;
    if (index >= 0 && index < list->count())
        ChooseClass(list, index, classClick);
}
