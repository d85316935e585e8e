#pragma once
// The class and teacher lists of the print and export windows.
#include <QStringList>

class QComboBox;

// Refills the list and chooses its first name.
void FillNameChoice(QComboBox* list, const QStringList& names);
// One name back (-1) or on (+1); nothing past either end.
void StepNameChoice(QComboBox* list, int step);
