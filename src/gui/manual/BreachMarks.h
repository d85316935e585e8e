#pragma once
// The red corners of the hand-placing grids: which shown lessons break a rule,
// from the rules' own list of breaches.
#include "core/rules/HardRules.h"

#include <functional>
#include <vector>

class QTableWidget;

// "违反排课规则：超过每天节数（每天最多 2 节）"
QString BreachText(const rules::Breach& breach);

// Marks the cells of the grid whose lesson is in a breach (notes are not
// faults); shows(lesson) tells whether the grid shows that lesson.
void MarkBreaches(QTableWidget* grid, const std::vector<rules::Breach>& breaches,
                  const std::function<bool(const Lesson&)>& shows);
