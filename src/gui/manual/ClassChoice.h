#pragma once
// The class list of the hand-placing windows with its previous / next buttons.
// Choosing a class always runs the window's class click, even for the entry
// chosen already, so the class is loaded afresh.
#include <QStringList>

#include <functional>

class QComboBox;

// Refills the list without a change signal and chooses its first class.
void FillClassChoice(QComboBox* list, const QStringList& names,
                     const std::function<void()>& classClick);
void ChooseClass(QComboBox* list, int index, const std::function<void()>& classClick);
// One class back (-1) or on (+1); nothing past either end.
void StepClass(QComboBox* list, int step, const std::function<void()>& classClick);
