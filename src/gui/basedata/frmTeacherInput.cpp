#include "gui/basedata/frmTeacherInput.h"

#include "core/model/Failure.h"
#include "core/store/TeacherRuleStore.h"
#include "gui/widgets/AppContext.h"
#include "gui/widgets/UiDialogs.h"
#include "gui/widgets/UiMetrics.h"

#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QTreeWidget>

namespace {

// 0 is "不限": no limit.
QSpinBox* LimitBox(QWidget* parent, const char* name) {
    auto* box = new QSpinBox(parent);
    box->setObjectName(name);
    box->setRange(0, 7);
    box->setSpecialValueText(QStringLiteral("不限"));
    return box;
}

} // namespace

frmTeacherInput::frmTeacherInput(AppContext& ctx, QWidget* parent)
    : frmCodeListInput(kTeacherEditorKind, ctx, parent) {
    // The limits take a band between the fields and the list.
    fraRule = new QFrame(this);
    fraRule->setObjectName("fraRule");
    fraRule->setFrameShape(QFrame::Box);
    fraRule->setFrameShadow(QFrame::Sunken);
    fraRule->setGeometry(Twips(120), Twips(2655), Twips(8100), Twips(1035));
    lstAllRecord->setGeometry(Twips(120), Twips(3810), Twips(8100), Twips(3780));

    auto label = [&](QLabel*& l, const char* name, const QString& text, int left, int top,
                     int width) {
        l = new QLabel(text, fraRule);
        l->setObjectName(name);
        l->setGeometry(Twips(left), Twips(top), Twips(width), Twips(420));
    };
    label(lblMaxPerDay, "lblMaxPerDay", QStringLiteral("每天最多节数(&Y)"), 120, 60, 1740);
    spnMaxPerDay = LimitBox(fraRule, "spnMaxPerDay");
    spnMaxPerDay->setGeometry(Twips(1860), Twips(60), Twips(900), Twips(420));
    label(lblMaxInRow, "lblMaxInRow", QStringLiteral("最多连上节数(&R)"), 2880, 60, 1740);
    spnMaxInRow = LimitBox(fraRule, "spnMaxInRow");
    spnMaxInRow->setGeometry(Twips(4620), Twips(60), Twips(900), Twips(420));
    label(lblGroup, "lblGroup", QStringLiteral("教研组(&G)"), 120, 540, 1740);
    cboGroup = new QComboBox(fraRule);
    cboGroup->setObjectName("cboGroup");
    cboGroup->setGeometry(Twips(1860), Twips(540), Twips(2760), Twips(420));
    cmdApplyAll = new QPushButton(QStringLiteral("全部老师都用这两个节数(&L)"), fraRule);
    cmdApplyAll->setObjectName("cmdApplyAll");
    cmdApplyAll->setAutoDefault(false);
    cmdApplyAll->setGeometry(Twips(4740), Twips(540), Twips(3240), Twips(420));
    lblMaxPerDay->setBuddy(spnMaxPerDay);
    lblMaxInRow->setBuddy(spnMaxInRow);
    lblGroup->setBuddy(cboGroup);
    connect(cmdApplyAll, &QPushButton::clicked, this, [this] { ApplyToAll(); });

    QWidget* previous = LastField();
    for (QWidget* w : {static_cast<QWidget*>(spnMaxPerDay), static_cast<QWidget*>(spnMaxInRow),
                       static_cast<QWidget*>(cboGroup), static_cast<QWidget*>(cmdApplyAll),
                       static_cast<QWidget*>(cmdAppend)}) {
        setTabOrder(previous, w);
        previous = w;
    }
    LoadGroups();
}

void frmTeacherInput::LoadGroups() {
    cboGroup->clear();
    cboGroup->addItem(QStringLiteral("（无）"), QString());
    QList<CodeRecord> groups;
    (void)LoadCodeRecords(m_ctx.db, CodeTable::Group, groups);
    for (const CodeRecord& g : groups)
        cboGroup->addItem(g.name, g.code);
}

bool frmTeacherInput::SaveExtras(const QString& code) {
    const TeacherRule rule{spnMaxPerDay->value(), spnMaxInRow->value(),
                           cboGroup->currentData().toString()};
    try {
        // A teacher without any setting needs no row (and an older
        // database no new table).
        if (rule.maxPerDay == 0 && rule.maxInRow == 0 && rule.groupCode.isEmpty() &&
            !HasTeacherRuleTables(m_ctx.db.sql()))
            return false;
        WriteTeacherRule(m_ctx.db, code, rule);
    } catch (const Failure& e) {
        ShowError(this, QStringLiteral("保存失败"),
                  QStringLiteral("老师的节数和教研组未保存：") + e.message());
        return true;
    } catch (const std::exception& e) {
        ShowError(this, QStringLiteral("保存失败"),
                  QStringLiteral("老师的节数和教研组未保存：") + QString::fromUtf8(e.what()));
        return true;
    }
    return false;
}

void frmTeacherInput::ShowExtras(const QString& code) {
    TeacherRule rule;
    try {
        rule = ReadTeacherRules(m_ctx.db).of(code);
    } catch (const std::exception&) {
        // Shown as none; saving will say what is wrong.
    }
    spnMaxPerDay->setValue(rule.maxPerDay);
    spnMaxInRow->setValue(rule.maxInRow);
    const int at = cboGroup->findData(rule.groupCode);
    cboGroup->setCurrentIndex(at < 0 ? 0 : at);
}

void frmTeacherInput::ClearExtras() {
    spnMaxPerDay->setValue(0);
    spnMaxInRow->setValue(0);
    cboGroup->setCurrentIndex(0);
}

void frmTeacherInput::ApplyToAll() {
    const int perDay = spnMaxPerDay->value(), inRow = spnMaxInRow->value();
    auto text = [](int n) { return n == 0 ? QStringLiteral("不限") : QString::number(n); };
    if (!AskOkCancel(this, QStringLiteral("全部老师"),
                     QStringLiteral("把全部老师的每天最多节数设为%1，最多连上节数设为%2？\n"
                                    "各老师的教研组不变。")
                         .arg(text(perDay), text(inRow))))
        return;
    try {
        const int n = WriteLimitsOfAllTeachers(m_ctx.db, perDay, inRow);
        staMsgPanel1->setText(QStringLiteral("已设置 %1 位老师的节数").arg(n));
    } catch (const Failure& e) {
        ShowError(this, QStringLiteral("保存失败"),
                  QStringLiteral("全部老师的节数未保存：") + e.message());
    }
}
