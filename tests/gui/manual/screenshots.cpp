// Draws both hand-placing windows over a sample school, partly timetabled, into
// PNG files: manual_screenshots <folder>. Run with QT_QPA_PLATFORM=offscreen.
#include "GuiTest.h"
#include "TestContext.h"
#include "TestDb.h"
#include "core/store/Sql.h"
#include "gui/manual/frmManualSetLesson.h"
#include "gui/manual/frmSetLesson.h"
#include "gui/widgets/UiMetrics.h"

#include <QApplication>
#include <QDir>
#include <QListWidget>
#include <QTest>

namespace {

struct Plan {
    const char* course;
    int count;
    const char* teacher; // empty: the class teacher
};

void fillSchool(TestDb& t) {
    const char* classes[][4] = {{"11", "一（1）班", "一年级（1）班", "一1"},
                                {"12", "一（2）班", "一年级（2）班", "一2"},
                                {"21", "二（1）班", "二年级（1）班", "二1"},
                                {"22", "二（2）班", "二年级（2）班", "二2"}};
    const char* classTeachers[] = {"T01", "T02", "T03", "T04"};
    const char* mathTeachers[] = {"T05", "T05", "T06", "T06"};
    for (auto& c : classes)
        t.addClass(c[0], c[1], c[2], c[3]);
    const char* courses[][2] = {{"01", "语文"}, {"02", "数学"}, {"03", "英语"}, {"04", "音乐"},
                                {"05", "体育"}, {"06", "美术"}, {"07", "科学"}, {"08", "班会"}};
    for (auto& c : courses)
        t.addCourse(c[0], c[1]);
    const char* teachers[][2] = {{"T01", "张丽"}, {"T02", "王芳"}, {"T03", "李娜"}, {"T04", "刘洋"},
                                 {"T05", "陈静"}, {"T06", "杨帆"}, {"T07", "赵敏"}, {"T08", "黄磊"},
                                 {"T09", "周杰"}, {"T10", "吴婷"}, {"T11", "郑强"}};
    for (auto& te : teachers)
        t.addTeacher(te[0], te[1]);

    const Plan plans[] = {{"01", 7, ""},    {"02", 5, "math"}, {"03", 3, "T07"}, {"04", 2, "T08"},
                          {"05", 3, "T09"}, {"06", 2, "T10"},  {"07", 2, "T11"}, {"08", 1, ""}};
    SQLite::Database& d = t.db.sql();
    for (int ci = 0; ci < 4; ++ci) {
        const QString cls = QString::fromUtf8(classes[ci][0]);
        int next = ci * 3; // each class starts its sweep elsewhere in the week
        for (const Plan& p : plans) {
            QString teacher = QString::fromUtf8(p.teacher);
            if (teacher.isEmpty())
                teacher = QString::fromUtf8(classTeachers[ci]);
            else if (teacher == "math")
                teacher = QString::fromUtf8(mathTeachers[ci]);
            t.addPlan(cls, p.course, teacher, p.count);
            // The first class meets on Friday's last lesson, fixed in advance.
            int placed = 0;
            if (QByteArray(p.course) == "08") {
                t.addLesson(cls, 5, 6 - ci % 2, p.course, teacher, 0);
                placed = 1;
            }
            // Generation left a lesson of music and of science unplaced in
            // the first classes.
            const int wanted =
                p.count -
                ((ci < 2 && (QByteArray(p.course) == "04" || QByteArray(p.course) == "07")) ? 1
                                                                                            : 0);
            for (int tries = 0; placed < wanted && tries < 30; ++tries) {
                const int slot = (next + tries * 7) % 30;
                const int day = slot % 5 + 1, lessonNo = slot / 5 + 1;
                if (sql::hasRow(d,
                                "select 1 from LessonListtb where Day=? and LessonNo=? and"
                                " (ClassCode=? or TeacherCode=?)",
                                day, lessonNo, cls, teacher))
                    continue;
                t.addLesson(cls, day, lessonNo, p.course, teacher, 1);
                ++placed;
                next = slot + 1;
                tries = -1;
            }
            sql::exec(d,
                      "update ClassPlantb set BuildCount=?, IsAutoBuild=1 where ClassCode=? and"
                      " CourseCode=?",
                      placed, cls, QString::fromUtf8(p.course));
        }
    }
}

void save(QWidget& w, const QString& file) {
    w.show();
    if (!QTest::qWaitForWindowExposed(&w))
        qWarning("window not exposed");
    w.adjustSize();
    QApplication::processEvents();
    w.grab().save(file);
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    InstallFontSubstitutions();
    const QString folder = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QDir::currentPath();

    {
        // Before generation: only the fixed lessons are in the timetable.
        TestDb t;
        fillSchool(t);
        t.exec("delete from LessonListtb where SetFlag<>0");
        t.exec("update ClassPlantb set BuildCount=0");
        t.addLesson("11", 3, 5, "05", "T09", 0);
        t.addLesson("12", 2, 5, "05", "T09", 0);
        t.addLesson("11", 1, 1, "01", "T01", 0);
        TestContext c(t);
        frmSetLesson w(c.ctx);
        w.lstCourse->setCurrentRow(1); // 体育, whose teacher is fixed elsewhere on Tuesday 5
        save(w, folder + "/frmSetLesson.png");
    }
    {
        TestDb t;
        fillSchool(t);
        TestContext c(t);
        frmManualSetLesson w(c.ctx);
        w.show();
        if (!QTest::qWaitForWindowExposed(&w))
            qWarning("window not exposed");
        ClickCell(w.MSFlexGrid1, 2, 2); // a lesson selected for a swap
        save(w, folder + "/frmManualSetLesson.png");
    }
    return 0;
}
