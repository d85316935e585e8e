#include "GuiTest.h"

#include "gui/shell/frmConfirm.h"

#include <QApplication>
#include <QDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>
#include <QTimer>
#include <memory>

QPointer<QTimer> OnNextModal(const std::function<void(QWidget*)>& fn) {
    // The timer deletes itself once it has handled a dialog or given up.
    auto* timer = new QTimer;
    auto tries = std::make_shared<int>(0);
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, [timer, tries, fn]() {
        QWidget* modal = QApplication::activeModalWidget();
        const bool found = modal && modal->isVisible();
        if (!found && ++*tries <= 500)
            return;
        timer->stop();
        timer->deleteLater();
        if (found)
            fn(modal);
    });
    timer->start();
    return timer;
}

void ClickCell(QTableWidget* grid, int row, int col, Qt::MouseButton button) {
    const QRect r = grid->visualRect(grid->model()->index(row, col));
    QTest::mouseClick(grid->viewport(), button, Qt::NoModifier, r.center());
}

void AnswerNextConfirm(const QString& text) {
    OnNextModal([text](QWidget* w) {
        auto* dlg = qobject_cast<frmConfirm*>(w);
        if (!dlg) {
            if (auto* d = qobject_cast<QDialog*>(w))
                d->reject();
            return;
        }
        if (text.isNull()) {
            dlg->cmdCancel->click();
            return;
        }
        dlg->Text1->setText(text);
        dlg->cmdOK->click();
    });
}
