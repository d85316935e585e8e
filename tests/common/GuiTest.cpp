#include "GuiTest.h"

#include "shell/frmConfirm.h"

#include <QApplication>
#include <QDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>
#include <QTimer>
#include <memory>

void OnNextModal(std::function<void(QWidget*)> fn) {
    auto timer = std::make_shared<QTimer>();
    auto tries = std::make_shared<int>(0);
    timer->setInterval(10);
    QObject::connect(timer.get(), &QTimer::timeout, [timer, tries, fn]() {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal && modal->isVisible()) {
            timer->stop();
            fn(modal);
        } else if (++*tries > 500) {
            timer->stop();
        }
    });
    timer->start();
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
