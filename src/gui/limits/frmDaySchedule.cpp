#include "gui/limits/frmDaySchedule.h"

#include "core/store/DayScheduleStore.h"
#include "gui/widgets/AppContext.h"
#include "gui/widgets/UiDialogs.h"
#include "gui/widgets/UiMetrics.h"

#include <QDateEdit>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QTimeEdit>
#include <QVBoxLayout>

namespace {

QTime TimeOf(int minutes) {
    return QTime(minutes / 60, minutes % 60);
}
int MinutesOf(const QTime& t) {
    return t.hour() * 60 + t.minute();
}

} // namespace

frmDaySchedule::frmDaySchedule(AppContext& ctx, QWidget* parent) : QDialog(parent), m_ctx(ctx) {
    setObjectName("frmDaySchedule");
    setWindowTitle(QStringLiteral("作息时间设置"));
    setFont(SongTi(10));

    auto* lessons = new QGroupBox(QStringLiteral("每节课的上课、下课时间"), this);
    lessons->setObjectName("fraLessons");
    auto* grid = new QGridLayout(lessons);
    grid->addWidget(new QLabel(QStringLiteral("上课"), lessons), 0, 1);
    grid->addWidget(new QLabel(QStringLiteral("下课"), lessons), 0, 2);
    for (int n = 1; n <= Week::kMaxLessonsPerDay; ++n) {
        const size_t i = static_cast<size_t>(n - 1);
        auto* label =
            new QLabel(n == Week::kMaxLessonsPerDay ? QStringLiteral("第%1节（每天7节时）").arg(n)
                                                    : QStringLiteral("第%1节").arg(n),
                       lessons);
        label->setObjectName(QStringLiteral("lblLesson%1").arg(n));
        txtStart[i] = new QTimeEdit(lessons);
        txtEnd[i] = new QTimeEdit(lessons);
        for (QTimeEdit* e : {txtStart[i], txtEnd[i]})
            e->setDisplayFormat(QStringLiteral("HH:mm"));
        txtStart[i]->setObjectName(QStringLiteral("txtStart%1").arg(n));
        txtEnd[i]->setObjectName(QStringLiteral("txtEnd%1").arg(n));
        label->setBuddy(txtStart[i]);
        grid->addWidget(label, n, 0);
        grid->addWidget(txtStart[i], n, 1);
        grid->addWidget(txtEnd[i], n, 2);
    }

    auto* term = new QGroupBox(QStringLiteral("学期起止日期"), this);
    term->setObjectName("fraTerm");
    dtpFirstDay = new QDateEdit(term);
    dtpLastDay = new QDateEdit(term);
    dtpFirstDay->setObjectName("dtpFirstDay");
    dtpLastDay->setObjectName("dtpLastDay");
    for (QDateEdit* e : {dtpFirstDay, dtpLastDay}) {
        e->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
        e->setCalendarPopup(true);
    }
    auto* first = new QLabel(QStringLiteral("开学(&F)"), term);
    auto* last = new QLabel(QStringLiteral("结束(&L)"), term);
    first->setObjectName("lblFirstDay");
    last->setObjectName("lblLastDay");
    first->setBuddy(dtpFirstDay);
    last->setBuddy(dtpLastDay);
    auto* termRow = new QHBoxLayout(term);
    termRow->addWidget(first);
    termRow->addWidget(dtpFirstDay);
    termRow->addSpacing(Twips(300));
    termRow->addWidget(last);
    termRow->addWidget(dtpLastDay);
    termRow->addStretch();

    cmdDefault = new QPushButton(QStringLiteral("恢复默认(&D)"), this);
    cmdOK = new QPushButton(QStringLiteral("确定"), this);
    cmdCancel = new QPushButton(QStringLiteral("取消"), this);
    cmdDefault->setObjectName("cmdDefault");
    cmdOK->setObjectName("cmdOK");
    cmdCancel->setObjectName("cmdCancel");
    cmdOK->setDefault(true);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(cmdDefault);
    buttons->addStretch();
    buttons->addWidget(cmdOK);
    buttons->addWidget(cmdCancel);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(lessons);
    layout->addWidget(term);
    layout->addLayout(buttons);

    connect(cmdDefault, &QPushButton::clicked, this, &frmDaySchedule::cmdDefault_Click);
    connect(cmdOK, &QPushButton::clicked, this, &frmDaySchedule::cmdOK_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &QDialog::reject);

    try {
        Show(LoadDaySchedule(m_ctx.db));
    } catch (const std::exception& e) {
        ShowError(this, windowTitle(),
                  QStringLiteral("读取作息时间失败，先显示默认时间。\n") +
                      FailureMessage(e, reason::ioError(), m_ctx.db.path()));
        Show(DefaultDaySchedule(QDate::currentDate()));
    }
}

void frmDaySchedule::Show(const DaySchedule& s) {
    for (int n = 1; n <= Week::kMaxLessonsPerDay; ++n) {
        const size_t i = static_cast<size_t>(n - 1);
        txtStart[i]->setTime(TimeOf(s.lesson(n).start));
        txtEnd[i]->setTime(TimeOf(s.lesson(n).end));
    }
    dtpFirstDay->setDate(s.firstDay);
    dtpLastDay->setDate(s.lastDay);
}

DaySchedule frmDaySchedule::Schedule() const {
    DaySchedule s;
    for (size_t i = 0; i < s.lessons.size(); ++i)
        s.lessons[i] = {MinutesOf(txtStart[i]->time()), MinutesOf(txtEnd[i]->time())};
    s.firstDay = dtpFirstDay->date();
    s.lastDay = dtpLastDay->date();
    return s;
}

void frmDaySchedule::cmdDefault_Click() {
    Show(DefaultDaySchedule(QDate::currentDate()));
}

void frmDaySchedule::cmdOK_Click() {
    const DaySchedule s = Schedule();
    if (const QString problem = DayScheduleProblem(s, m_ctx.lessonsPerDay); !problem.isEmpty()) {
        ShowWarning(this, windowTitle(), problem);
        return;
    }
    try {
        SaveDaySchedule(m_ctx.db, s);
    } catch (const std::exception& e) {
        ShowError(this, windowTitle(),
                  QStringLiteral("保存作息时间失败！\n") +
                      FailureMessage(e, reason::ioError(), m_ctx.db.path()));
        return;
    }
    accept();
}
