#include "gui/basedata/frmCourseInput.h"

#include "core/model/Failure.h"
#include "core/store/CourseRuleStore.h"
#include "gui/widgets/AppContext.h"
#include "gui/widgets/RecordList.h"
#include "gui/widgets/UiDialogs.h"
#include "gui/widgets/UiMetrics.h"

#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QTreeWidget>

namespace {

constexpr int kMaxClassesColumn = 4;
constexpr int kMaxPerDayColumn = 5;
// The row of the two rule fields, below the four names, and the height the
// window and its frames grow by for it.
constexpr int kRuleTop = 2370;
constexpr int kGrow = 540;

QString textOf(const std::optional<int>& n) {
    return n ? QString::number(*n) : QString();
}

// Empty: no setting; else a whole number from 1 to most.
bool readCount(const QLineEdit* field, int most, std::optional<int>& out) {
    const QString text = field->text().trimmed();
    if (text.isEmpty()) {
        out.reset();
        return true;
    }
    bool ok = false;
    const int n = text.toInt(&ok);
    if (!ok || n < 1 || n > most)
        return false;
    out = n;
    return true;
}

void moveDown(QWidget* w, int twips) {
    w->move(w->x(), w->y() + Twips(twips));
}

} // namespace

frmCourseInput::frmCourseInput(AppContext& ctx, QWidget* parent)
    : frmCodeListInput(kCourseEditorKind, ctx, parent) {
    resize(width(), height() + Twips(kGrow));
    for (QFrame* frame : {fraData, fraOp})
        frame->resize(frame->width(), frame->height() + Twips(kGrow));
    moveDown(lstAllRecord, kGrow);

    auto addField = [&](QLabel*& label, QLineEdit*& field, const char* labelName,
                        const char* fieldName, const QString& caption, int left) {
        label = new QLabel(caption, fraData);
        label->setObjectName(labelName);
        label->setGeometry(Twips(left), Twips(kRuleTop), Twips(1680), Twips(450));
        field = new QLineEdit(fraData);
        field->setObjectName(fieldName);
        field->setMaxLength(3);
        field->setGeometry(Twips(left + 1700), Twips(kRuleTop), Twips(800), Twips(450));
        field->installEventFilter(this);
        SetInputMark(field, false);
        label->setBuddy(field);
    };
    addField(lblMaxClasses, txtMaxClasses, "lblMaxClasses", "txtMaxClasses",
             QStringLiteral("同时上课班数"), 240);
    addField(lblMaxPerDay, txtMaxPerDay, "lblMaxPerDay", "txtMaxPerDay",
             QStringLiteral("每天最多节数"), 2880);
    txtMaxClasses->setToolTip(QStringLiteral("这门课的教室（如操场、微机室）同时能上课的班数；"
                                             "1 表示专用教室，一次只能一个班；空着表示不限"));
    txtMaxPerDay->setToolTip(QStringLiteral("每个班这门课一天最多排几节；空着表示按每周节数"
                                            "计算（每周节数÷5 取整再加 1）"));
    setTabOrder(txtShortName, txtMaxClasses);
    setTabOrder(txtMaxClasses, txtMaxPerDay);
    setTabOrder(txtMaxPerDay, cmdAppend);

    lstAllRecord->setColumnCount(6);
    lstAllRecord->headerItem()->setText(kMaxClassesColumn, QStringLiteral("同时上课班数"));
    lstAllRecord->headerItem()->setText(kMaxPerDayColumn, QStringLiteral("每天最多节数"));
    // Six columns in the width of four: the names give up what the rules need.
    const int widths[] = {1000, 1300, 1300, 1000, 1600, 1600};
    for (int c = 0; c < 6; ++c)
        lstAllRecord->setColumnWidth(c, Twips(widths[c]));
    try {
        m_rules = ReadCourseRules(ctx.db);
    } catch (const std::exception&) {
        // Shown without rules, as the list shows what it could read.
    }
    for (int i = 0; i < lstAllRecord->topLevelItemCount(); ++i)
        ShowRuleInList(lstAllRecord->topLevelItem(i)->text(0));
}

bool frmCourseInput::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress &&
        (watched == txtShortName || watched == txtMaxClasses || watched == txtMaxPerDay)) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        const bool enter = key == Qt::Key_Return || key == Qt::Key_Enter;
        QLineEdit* next = watched == txtShortName    ? txtMaxClasses
                          : watched == txtMaxClasses ? txtMaxPerDay
                                                     : txtCode;
        QLineEdit* previous = watched == txtShortName    ? txtFullName
                              : watched == txtMaxClasses ? txtShortName
                                                         : txtMaxClasses;
        if (enter || key == Qt::Key_Down) {
            next->setFocus();
            return true;
        }
        if (key == Qt::Key_Up) {
            previous->setFocus();
            return true;
        }
    }
    if (event->type() == QEvent::KeyPress && watched == txtCode &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Up) {
        txtMaxPerDay->setFocus();
        return true;
    }
    return frmCodeListInput::eventFilter(watched, event);
}

bool frmCourseInput::ReadRule(CourseRule& rule) {
    QList<CodeRecord> classes;
    (void)LoadCodeRecords(m_ctx.db, CodeTable::Class, classes);
    const int classCount = std::max(1, static_cast<int>(classes.size()));
    const bool classesOk = readCount(txtMaxClasses, classCount, rule.maxClasses);
    const bool perDayOk = readCount(txtMaxPerDay, m_ctx.lessonsPerDay, rule.maxPerDay);
    SetInputMark(txtMaxClasses, !classesOk);
    SetInputMark(txtMaxPerDay, !perDayOk);
    if (!classesOk) {
        txtMaxClasses->setFocus();
        ShowInfo(this, QStringLiteral("输入信息检查"),
                 QStringLiteral("同时上课班数应是 1 到 %1 的整数（全校共 %1 个班），"
                                "空着表示不限。")
                     .arg(classCount));
        return false;
    }
    if (!perDayOk) {
        txtMaxPerDay->setFocus();
        ShowInfo(this, QStringLiteral("输入信息检查"),
                 QStringLiteral("每天最多节数应是 1 到 %1 的整数（每天 %1 节课），"
                                "空着表示按每周节数计算。")
                     .arg(m_ctx.lessonsPerDay));
        return false;
    }
    return true;
}

bool frmCourseInput::SaveRule(const QString& code, const CourseRule& rule) {
    if (m_rules.value(code) == rule)
        return true;
    try {
        WriteCourseRule(m_ctx.db, code, rule);
    } catch (const std::exception& e) {
        ShowError(
            this, QStringLiteral("保存失败"),
            QStringLiteral("同时上课班数和每天最多节数没有保存：%1")
                .arg(FailureMessage(e, QStringLiteral("写入课表数据库失败"), m_ctx.db.path())));
        return false;
    }
    if (rule.isEmpty())
        m_rules.remove(code);
    else
        m_rules.insert(code, rule);
    ShowRuleInList(code);
    return true;
}

void frmCourseInput::ShowRuleInList(const QString& code) {
    QTreeWidgetItem* item = m_records->find(code);
    if (!item)
        return;
    const CourseRule rule = m_rules.value(code);
    item->setText(kMaxClassesColumn, textOf(rule.maxClasses));
    item->setText(kMaxPerDayColumn, textOf(rule.maxPerDay));
}

bool frmCourseInput::AppendRecord() {
    CourseRule rule;
    if (!ReadRule(rule))
        return true;
    const QString code = txtCode->text().trimmed();
    if (frmCodeListInput::AppendRecord())
        return true;
    txtMaxClasses->clear();
    txtMaxPerDay->clear();
    m_rules.remove(code); // a course deleted earlier took its rules along
    (void)SaveRule(code, rule);
    return false;
}

bool frmCourseInput::ModifyRecord() {
    CourseRule rule;
    if (!ReadRule(rule))
        return true;
    const QString code = txtCode->text().trimmed();
    if (frmCodeListInput::ModifyRecord())
        return true;
    return !SaveRule(code, rule);
}

void frmCourseInput::ShowSelectedRecord() {
    frmCodeListInput::ShowSelectedRecord();
    const QTreeWidgetItem* item = m_records->selected();
    if (!item)
        return;
    const CourseRule rule = m_rules.value(item->text(0));
    txtMaxClasses->setText(textOf(rule.maxClasses));
    txtMaxPerDay->setText(textOf(rule.maxPerDay));
    SetInputMark(txtMaxClasses, false);
    SetInputMark(txtMaxPerDay, false);
}
