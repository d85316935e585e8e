#include "gui/widgets/StatusPanels.h"

StatusPanels::StatusPanels(const QList<int>& stretches, QWidget* parent) : QStatusBar(parent) {
    setSizeGripEnabled(false);
    for (int stretch : stretches) {
        auto* label = new QLabel(this);
        label->setFrameShape(QFrame::Panel);
        label->setFrameShadow(QFrame::Sunken);
        label->setMinimumWidth(40);
        addWidget(label, stretch);
        m_panels.append(label);
    }
}

QLabel* StatusPanels::panel(int panel) const {
    return panel >= 1 && panel <= m_panels.size() ? m_panels[panel - 1] : nullptr;
}

void StatusPanels::setPanelText(int panel, const QString& text) {
    if (QLabel* label = this->panel(panel))
        label->setText(text);
}

QString StatusPanels::panelText(int panel) const {
    const QLabel* label = this->panel(panel);
    return label ? label->text() : QString();
}
