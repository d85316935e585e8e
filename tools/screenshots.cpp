// kbxt-screenshots: opens the program's windows offscreen on a small demo school
// and saves what they show, for the user manual and the README, so the pictures
// can be retaken whenever a window changes (scripts/screenshots.sh).
//
// usage: kbxt-screenshots OUTPUT_ROOT [WINDOW ...]
//        kbxt-screenshots --demo-db NEW.db      (only writes the demo school)
//   writes OUTPUT_ROOT/resources/使用手册/images/<WINDOW>.png and, for the
//   windows the README shows, OUTPUT_ROOT/docs/screenshots/<name>.png.
//   Without WINDOW arguments every window of this build is taken.
#include "core/config/AppConfig.h"
#include "core/store/Schema.h"
#include "core/store/SchoolWriter.h"
#include "core/store/TimetableDb.h"
#include "gui/shell/StartUp.h"
#include "gui/shell/frmConfirm.h"
#include "gui/shell/frmMain.h"
#include "gui/shell/frmSchoolName.h"
#include "gui/widgets/AppContext.h"
#include "gui/widgets/UiDialogs.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QLayout>
#include <QLineEdit>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <memory>
#include <vector>

#include "core/generation/BuildTimetable.h"
#include "core/store/CodeRecords.h"
#include "core/store/CourseRuleStore.h"
#include "core/store/DoubleLessons.h"
#include "core/store/Lookups.h"
#include "core/store/SchoolStore.h"
#include "core/store/TeacherRuleStore.h"
#include "core/store/TimeLimits.h"
#include "core/store/TimetableVersions.h"
#include "gui/basedata/frmClassInput.h"
#include "gui/basedata/frmClassPlanInput.h"
#include "gui/basedata/frmCourseInput.h"
#include "gui/basedata/frmImport.h"
#include "gui/basedata/frmTeacherInput.h"
#include "gui/generation/frmAutoBuild.h"
#include "gui/generation/frmAutoComplete.h"
#include "gui/generation/frmImproveTimetable.h"
#include "gui/generation/frmVersions.h"
#include "gui/limits/frmCourseLimitInput.h"
#include "gui/limits/frmDaySchedule.h"
#include "gui/limits/frmGroupLimitInput.h"
#include "gui/limits/frmSetLessonOfDay.h"
#include "gui/limits/frmTeacherLimitInput.h"
#include "gui/manual/frmCheckTimetable.h"
#include "gui/manual/frmManualSetLesson.h"
#include "gui/manual/frmSetLesson.h"
#include "gui/manual/frmTimetableQuality.h"
#include "gui/output/PublishPictures.h"
#include "gui/output/frmExport.h"
#include "gui/output/frmPrint.h"
#include "gui/output/frmPublish.h"
#include <QLabel>
#include <QMessageBox>
#include <QProgressBar>
#include <QTreeWidget>

namespace {

// Message boxes would block an offscreen run: answer them and say what they were.
class SilentDialogs : public UiDialogs {
public:
    Answer message(QWidget*, const QString& title, const QString& text, Icon,
                   Buttons buttons) override {
        std::fprintf(stderr, "  (message \"%s\": %s)\n", qPrintable(title), qPrintable(text));
        if (buttons == Buttons::Ok)
            return Answer::Ok;
        return buttons == Buttons::YesNo ? Answer::No : Answer::Cancel;
    }
    QString openFileName(QWidget*, const QString&, const QString&, const QString&) override {
        return {};
    }
    QString saveFileName(QWidget*, const QString&, const QString&, const QString&) override {
        return {};
    }
};

// --- the demo school --------------------------------------------------------
SchoolRecords DemoSchoolRecords() {
    SchoolRecords school;
    const char* classes[][2] = {{"11", "一"}, {"12", "一"}, {"21", "二"},
                                {"22", "二"}, {"31", "三"}, {"32", "三"}};
    for (const auto& c : classes) {
        const QString numeral = QString::fromUtf8(c[1]);
        const QString n = QString(QChar::fromLatin1(c[0][1]));
        school.classes.push_back({c[0], numeral + "（" + n + "）班",
                                  numeral + "年级（" + n + "）班", numeral + "（" + n + "）"});
    }
    const char* courses[][2] = {{"01", "语文"}, {"02", "数学"}, {"03", "英语"}, {"04", "科学"},
                                {"05", "音乐"}, {"06", "美术"}, {"07", "体育"}, {"08", "班队"}};
    for (const auto& c : courses) {
        const QString name = QString::fromUtf8(c[1]);
        school.courses.push_back({c[0], name, name, name});
    }
    const char* teachers[][2] = {{"T01", "张丽"}, {"T02", "王芳"}, {"T03", "李强"}, {"T04", "刘洋"},
                                 {"T05", "陈静"}, {"T06", "杨帆"}, {"T07", "赵敏"}, {"T08", "黄磊"},
                                 {"T09", "周婷"}, {"T10", "吴昊"}};
    for (const auto& t : teachers) {
        const QString name = QString::fromUtf8(t[1]);
        school.teachers.push_back({t[0], name, name, name});
    }

    std::vector<SchoolRecords::Plan>& plan = school.plan;
    const char* chinese[] = {"T01", "T01", "T02", "T02", "T03", "T03"};
    const char* maths[] = {"T04", "T04", "T04", "T05", "T05", "T05"};
    for (int i = 0; i < 6; ++i) {
        const QString cls = classes[i][0];
        plan.push_back({cls, "01", chinese[i], 7});
        plan.push_back({cls, "02", maths[i], 5});
        if (i >= 2)
            plan.push_back({cls, "03", "T06", i >= 4 ? 3 : 2});
        plan.push_back({cls, "04", "T07", 2});
        plan.push_back({cls, "05", "T08", 2});
        plan.push_back({cls, "06", "T09", 2});
        plan.push_back({cls, "07", "T10", 3});
        plan.push_back({cls, "08", chinese[i], 1});
    }

    // Course limits: 语文 and 数学 at their best in the morning, no 体育 in the
    // first lesson, 音乐 avoided in the last.
    for (int day = 1; day <= 5; ++day) {
        for (int lesson = 1; lesson <= 2; ++lesson) {
            school.limits.push_back({1, "01", day, lesson, 0});
            school.limits.push_back({1, "02", day, lesson + 1, 0});
        }
        school.limits.push_back({1, "07", day, 1, 3});
        school.limits.push_back({1, "05", day, 6, 2});
    }
    // 张丽 has Wednesday afternoon off for teaching research.
    for (int lesson = 5; lesson <= 6; ++lesson)
        school.limits.push_back({2, "T01", 3, lesson, 3});

    // 班队 is fixed on Friday afternoon; the rest is spread over the week
    // by a plain first-fit, leaving one lesson of 一（1）班 for the manual
    // adjustment window to offer. Every plan row counts as generated.
    std::vector<SchoolRecords::Lesson>& lessons = school.lessons;
    for (int i = 0; i < 6; ++i) {
        // Two classes share their 语文 teacher, who also leads their 班队.
        lessons.push_back({classes[i][0], 5, i % 2 ? 5 : 6, "08", chinese[i], 0});
    }
    int start = 0;
    for (SchoolRecords::Plan& p : plan) {
        p.autoBuilt = true;
        if (p.courseCode == "08") {
            p.buildCount = 1;
            continue;
        }
        const int wanted = (p.classCode == "11" && p.courseCode == "06") ? p.count - 1 : p.count;
        int placed = 0;
        for (int k = 0; k < 30 && placed < wanted; ++k) {
            const int slot = (start + k * 7) % 30; // stride 7 spreads a course over the days
            const int day = slot % 5 + 1, lesson = slot / 5 + 1;
            const bool taken =
                std::any_of(lessons.begin(), lessons.end(), [&](const SchoolRecords::Lesson& l) {
                    return l.day == day && l.lessonNo == lesson &&
                           (l.classCode == p.classCode || l.teacherCode == p.teacherCode);
                });
            if (taken)
                continue;
            lessons.push_back({p.classCode, day, lesson, p.courseCode, p.teacherCode, 1});
            ++placed;
        }
        start = (start + 3) % 30;
        p.buildCount = placed;
    }
    return school;
}

// --- the windows -------------------------------------------------------------
struct Shot {
    const char* window;   // class name; also the manual's picture name
    const char* docsName; // docs/screenshots/<docsName>.png, or nullptr
    // Makes the window (owned by the caller unless it is the main window).
    std::function<QWidget*(AppContext&, frmMain*)> make;
    // Puts the window into a state worth showing; may be empty.
    std::function<void(QWidget*)> prepare;
    // False for a window that starts its work the moment it is shown.
    bool show = true;
    // Undoes what make wrote for this picture only; may be empty.
    std::function<void(AppContext&)> after = {};
};

template <class W> QWidget* Make(AppContext& ctx, frmMain* main) {
    return new W(ctx, main);
}

[[maybe_unused]] void LeftClickCell(QWidget* window, const char* gridName, int row, int col) {
    if (auto* grid = window->findChild<QTableWidget*>(gridName)) {
        const QRect r = grid->visualRect(grid->model()->index(row, col));
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, Qt::NoModifier, r.center());
    }
}

// A plan file from the school office: one row already in the plan, two new
// ones that bring a course and a teacher with them, and two wrong rows.
QString WriteImportSample(const QString& folder) {
    QString file = folder + QStringLiteral("/教学计划.csv");
    QFile f(file);
    if (f.open(QIODevice::WriteOnly))
        f.write(QStringLiteral("班级,课程,老师,节数\n"
                               "一(1)班,语文,张丽,6\n"
                               "一年级(2)班,数学,刘洋,５\n"
                               "三年级1班,书法,孙丽,1\n"
                               "三（2）班,书法,孙丽,1\n"
                               "七(1)班,美术,孙丽,1\n"
                               "七(1)班,音乐,孙丽,1\n")
                    .toUtf8());
    return file;
}

// A history worth showing: the timetable before a generation, the generated
// one before it was deleted, and the empty one before the first was restored.
// The demo timetable is back as it was afterwards.
void MakeVersionHistory(AppContext& ctx) {
    KeepVersion(ctx.db, VersionCause::Generation);
    const int first = ListVersions(ctx.db).first().number;
    int rate = 0;
    if (!tryBuildTimetable(ctx.db, Week::ofLessons(ctx.lessonsPerDay), &rate))
        return;
    KeepVersion(ctx.db, VersionCause::DeleteTimetable);
    if (!tryDeleteAllLessons(ctx.db))
        return;
    RestoreVersion(ctx.db, first);
}

// The 语文 teachers as one group that meets on Wednesday afternoon, and
// 王芳's own limits. Written once, before the first window that shows them.
void AddDemoGroup(AppContext& ctx) {
    if (CodeExists(ctx.db, CodeTable::Group, "G1"))
        return;
    InsertCodeRecord(ctx.db, CodeTable::Group, {"G1", "语文组", "语文教研组", "语文组"});
    InsertCodeRecord(ctx.db, CodeTable::Group, {"G2", "数学组", "数学教研组", "数学组"});
    for (const char* t : {"T01", "T03"})
        WriteTeacherRule(ctx.db, t, TeacherRule{5, 3, "G1"});
    WriteTeacherRule(ctx.db, "T02", TeacherRule{4, 2, "G1"});
    QList<Period> meeting;
    for (int n = 5; n <= ctx.lessonsPerDay; ++n)
        meeting.append(Period{3, n});
    WriteLimits(ctx.db, LimitKind::Group, "G1", meeting, attrOf(LimitLevel::Never));
}

// The first row of a list that shows the text in some column.
void ChooseRow(QTreeWidget* list, const QString& text) {
    for (int i = 0; i < list->topLevelItemCount(); ++i)
        for (int col = 0; col < list->columnCount(); ++col)
            if (list->topLevelItem(i)->text(col) == text) {
                list->setCurrentItem(list->topLevelItem(i));
                emit list->itemClicked(list->topLevelItem(i), col);
                return;
            }
}

std::vector<Shot> Shots() {
    std::vector<Shot> shots;
    shots.push_back({"frmMain", "main", [](AppContext&, frmMain* main) { return main; }, {}});
    shots.push_back({"frmClassInput", nullptr, &Make<frmClassInput>, {}});
    // 体育 on a playground for three classes at once, chosen. Only for the
    // picture: the demo timetable was not laid for it.
    shots.push_back({"frmCourseInput", nullptr,
                     [](AppContext& ctx, frmMain* main) {
                         WriteCourseRule(ctx.db, "07", CourseRule{3, std::nullopt});
                         return static_cast<QWidget*>(new frmCourseInput(ctx, main));
                     },
                     [](QWidget* w) {
                         ChooseRow(static_cast<frmCourseInput*>(w)->lstAllRecord,
                                   QStringLiteral("体育"));
                     },
                     true, [](AppContext& ctx) { WriteCourseRule(ctx.db, "07", CourseRule{}); }});
    // 王芳 chosen: her limits and group below the fields.
    shots.push_back({"frmTeacherInput", nullptr,
                     [](AppContext& ctx, frmMain* main) {
                         AddDemoGroup(ctx);
                         return static_cast<QWidget*>(new frmTeacherInput(ctx, main));
                     },
                     [](QWidget* w) {
                         auto* list = static_cast<frmTeacherInput*>(w)->lstAllRecord;
                         for (int i = 0; i < list->topLevelItemCount(); ++i)
                             if (list->topLevelItem(i)->text(0) == QStringLiteral("T02"))
                                 list->setCurrentItem(list->topLevelItem(i));
                     }});
    shots.push_back({"frmCourseLimitInput", "limits", &Make<frmCourseLimitInput>, {}});
    shots.push_back({"frmTeacherLimitInput", nullptr, &Make<frmTeacherLimitInput>, {}});
    shots.push_back({"frmGroupLimitInput",
                     nullptr,
                     [](AppContext& ctx, frmMain* main) {
                         AddDemoGroup(ctx);
                         return static_cast<QWidget*>(new frmGroupLimitInput(ctx, main));
                     },
                     {}});
    // 一（1）班's 美术 as one double lesson, chosen; likewise only for the
    // picture.
    shots.push_back(
        {"frmClassPlanInput", "plan",
         [](AppContext& ctx, frmMain* main) {
             WritePlanDoubles(ctx.db, "11", "06", "T09", 1);
             return static_cast<QWidget*>(new frmClassPlanInput(ctx, main));
         },
         [](QWidget* w) {
             ChooseRow(static_cast<frmClassPlanInput*>(w)->lstAllRecord, QStringLiteral("美术"));
         },
         true, [](AppContext& ctx) { WritePlanDoubles(ctx.db, "11", "06", "T09", 0); }});
    shots.push_back({"frmSetLesson", nullptr, &Make<frmSetLesson>, {}});
    // The confirmation before generation, with OK typed in (its text box is
    // emptied each time it is shown).
    shots.push_back(
        {"frmConfirm", nullptr,
         [](AppContext&, frmMain* main) {
             auto* dlg = new frmConfirm(main);
             dlg->setWarning(QStringLiteral("自动生成课表将会清除您以前排好的课表！"));
             return static_cast<QWidget*>(dlg);
         },
         [](QWidget* w) { static_cast<frmConfirm*>(w)->Text1->setText(QStringLiteral("OK")); }});
    shots.push_back({"frmAutoBuild", nullptr, &Make<frmAutoBuild>, {}, false});
    shots.push_back({"frmAutoComplete", nullptr, &Make<frmAutoComplete>,
                     [](QWidget* w) {
                         static_cast<frmAutoComplete*>(w)->lblStatus->setText(
                             QStringLiteral("还有 4 节未排"));
                     },
                     false});
    // 课表优化 at work, and what it tells when done: the demo school improved
    // in memory, so the database keeps its timetable for the other pictures.
    shots.push_back(
        {"frmImproveTimetable", nullptr, &Make<frmImproveTimetable>,
         [](QWidget* w) { static_cast<frmImproveTimetable*>(w)->barProgress->setValue(60); },
         false});
    shots.push_back({"frmImproveTimetable-done",
                     nullptr,
                     [](AppContext& ctx, frmMain* main) {
                         School school = LoadSchool(ctx.db, Week::ofLessons(ctx.lessonsPerDay));
                         ImproveRun run;
                         run.lessonsPerDay = ctx.lessonsPerDay;
                         const ImproveReport r = ImproveSchool(school, run).report;
                         auto* box = new QMessageBox(
                             QMessageBox::Information, QStringLiteral("课表优化"),
                             frmImproveTimetable::Summary(r), QMessageBox::Ok, main);
                         return static_cast<QWidget*>(box);
                     },
                     {}});
    // An unplaced lesson chosen: cyan where it may go, and why it did not.
    shots.push_back({"frmManualSetLesson-why", nullptr, &Make<frmManualSetLesson>, [](QWidget* w) {
                         auto* list = static_cast<frmManualSetLesson*>(w)->lstCourse;
                         if (QTreeWidgetItem* item = list->topLevelItem(0)) {
                             list->setCurrentItem(item);
                             emit list->itemClicked(item, 0);
                         }
                     }});
    // A lesson selected for a swap: red, with the yellow periods it may go to.
    shots.push_back({"frmManualSetLesson", "adjust", &Make<frmManualSetLesson>,
                     [](QWidget* w) { LeftClickCell(w, "MSFlexGrid1", 2, 2); }});
    shots.push_back({"frmCheckTimetable", nullptr, &Make<frmCheckTimetable>, {}});
    shots.push_back({"frmTimetableQuality", nullptr, &Make<frmTimetableQuality>, {}});
    shots.push_back({"frmPrint", nullptr, &Make<frmPrint>, {}});
    shots.push_back({"frmExport", nullptr, &Make<frmExport>, {}});
    shots.push_back({"frmSetLessonOfDay", nullptr, &Make<frmSetLessonOfDay>, {}});
    shots.push_back({"frmDaySchedule", nullptr, &Make<frmDaySchedule>, {}});
    shots.push_back({"frmPublish", nullptr, &Make<frmPublish>, {}});
    // The picture a class group gets, at half its size.
    shots.push_back({"publish-picture",
                     nullptr,
                     [](AppContext& ctx, frmMain*) {
                         const PublishSchool set =
                             ReadPublishSchool(ctx.db, ctx.lessonsPerDay, CurrentTimetableTitle());
                         auto* label = new QLabel;
                         if (!set.classes.empty())
                             label->setPixmap(QPixmap::fromImage(
                                 RenderPublishTable(set, set.classes.front(), false)
                                     .scaledToWidth(540, Qt::SmoothTransformation)));
                         return static_cast<QWidget*>(label);
                     },
                     {}});
    shots.push_back({"frmImport", nullptr, &Make<frmImport>, [](QWidget* w) {
                         auto* dlg = static_cast<frmImport*>(w);
                         dlg->LoadFile(WriteImportSample(qEnvironmentVariable("KBXT_HOME")));
                     }});
    shots.push_back({"frmVersions",
                     nullptr,
                     [](AppContext& ctx, frmMain* main) {
                         MakeVersionHistory(ctx);
                         return static_cast<QWidget*>(new frmVersions(ctx, main));
                     },
                     {}});
    shots.push_back(
        {"frmSchoolName",
         nullptr,
         [](AppContext&, frmMain* main) { return static_cast<QWidget*>(new frmSchoolName(main)); },
         {}});
    // 合班 last, as it changes the plan the other shots show: 一（1）班's
    // 体育 given together with 一（2）班, and the chooser beside it.
    shots.push_back({"frmClassPlanInput-joint", nullptr, &Make<frmClassPlanInput>, [](QWidget* w) {
                         auto* plan = static_cast<frmClassPlanInput*>(w);
                         QTreeWidget* list = plan->lstAllRecord;
                         for (int i = 0; i < list->topLevelItemCount(); ++i)
                             if (list->topLevelItem(i)->text(0) == QStringLiteral("体育"))
                                 list->setCurrentItem(list->topLevelItem(i));
                         (void)plan->SetJointClasses({QStringLiteral("一（2）班")});
                     }});
    shots.push_back({"frmJointClasses",
                     nullptr,
                     [](AppContext& ctx, frmMain* main) {
                         auto* plan = new frmClassPlanInput(ctx, main);
                         QTreeWidget* list = plan->lstAllRecord;
                         for (int i = 0; i < list->topLevelItemCount(); ++i)
                             if (list->topLevelItem(i)->text(0) == QStringLiteral("体育"))
                                 list->setCurrentItem(list->topLevelItem(i));
                         return static_cast<QWidget*>(
                             plan->JointChooser({QStringLiteral("一（2）班")}));
                     },
                     {}});
    return shots;
}

// The manual's and the README's names of windows that this build does not have
// yet, so asking for them says so instead of "unknown".
const char* const kAllWindows[] = {"frmMain",
                                   "frmClassInput",
                                   "frmCourseInput",
                                   "frmTeacherInput",
                                   "frmCourseLimitInput",
                                   "frmClassPlanInput",
                                   "frmSetLesson",
                                   "frmConfirm",
                                   "frmAutoBuild",
                                   "frmAutoComplete",
                                   "frmImproveTimetable",
                                   "frmImproveTimetable-done",
                                   "frmTeacherLimitInput",
                                   "frmGroupLimitInput",
                                   "frmManualSetLesson-why",
                                   "frmManualSetLesson",
                                   "frmCheckTimetable",
                                   "frmTimetableQuality",
                                   "frmPrint",
                                   "frmExport",
                                   "frmSetLessonOfDay",
                                   "frmDaySchedule",
                                   "frmPublish",
                                   "publish-picture",
                                   "frmSchoolName",
                                   "frmImport",
                                   "frmVersions",
                                   "frmClassPlanInput-joint",
                                   "frmJointClasses",
                                   "frmMain-start",
                                   "dlgOpenDb",
                                   "dlgPrintPreview"};

bool Save(const QImage& image, const QString& path) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    if (!image.save(path, "PNG")) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        return false;
    }
    std::printf("%s\n", qPrintable(QDir::current().relativeFilePath(path)));
    return true;
}

bool TakeShot(const Shot& shot, AppContext& ctx, frmMain* main, const QString& outRoot) {
    QWidget* w = shot.make(ctx, main);
    std::unique_ptr<QWidget> owned(w == main ? nullptr : w);
    if (shot.show) {
        w->show();
    } else {
        w->ensurePolished();
        if (w->layout())
            w->layout()->activate();
        w->resize(w->size().expandedTo(w->sizeHint()));
    }
    QApplication::processEvents();
    if (shot.prepare) {
        shot.prepare(w);
        QApplication::processEvents();
    }
    const QImage image = w->grab().toImage();
    if (w != main)
        w->hide();
    owned.reset();
    if (shot.after)
        shot.after(ctx);
    bool ok = Save(image, outRoot + "/resources/使用手册/images/" + shot.window + ".png");
    if (shot.docsName)
        ok &= Save(image, outRoot + "/docs/screenshots/" + shot.docsName + ".png");
    return ok;
}

// --- the dialogs the program opens modally ----------------------------------
// Waits (within the event loop that follows) for a modal dialog of type T,
// saves what it shows, then hands it to `then` (which closes it).
template <class T>
void GrabNextModal(const QString& outRoot, const char* name, bool* ok,
                   std::function<void(T*)> then = {}) {
    auto* timer = new QTimer;
    auto tries = std::make_shared<int>(0);
    timer->setInterval(50);
    QObject::connect(timer, &QTimer::timeout, [=]() {
        T* dialog = qobject_cast<T*>(QApplication::activeModalWidget());
        // A few rounds more: the preview draws its pages after it shows.
        if ((!dialog || ++*tries < 6) && *tries < 400) {
            if (!dialog)
                ++*tries;
            return;
        }
        timer->stop();
        timer->deleteLater();
        if (!dialog) {
            std::fprintf(stderr, "%s: the dialog did not open\n", name);
            *ok = false;
            return;
        }
        *ok &=
            Save(dialog->grab().toImage(), outRoot + "/resources/使用手册/images/" + name + ".png");
        if (then)
            then(dialog);
        else
            dialog->reject();
    });
    timer->start();
}

struct ModalShot {
    const char* window;
    std::function<bool(AppContext&, frmMain*, const QString&)> take;
};

std::vector<ModalShot> ModalShots() {
    std::vector<ModalShot> shots;
    // The main window on a database without classes: the start guide shows.
    shots.push_back({"frmMain-start", [](AppContext&, frmMain*, const QString& outRoot) {
                         QTemporaryDir dir;
                         AppContext empty;
                         empty.systemTitle = MakeSystemTitle(QStringLiteral("阳光小学"));
                         const QString path = dir.filePath("kb.db");
                         if (!CreateTimetableFile(path) || !OpenTimetableDb(empty.db, path))
                             return false;
                         frmMain window(empty);
                         window.setWindowTitle(empty.systemTitle + " -- " + path);
                         window.resize(960, 640);
                         window.show();
                         QApplication::processEvents();
                         const bool ok =
                             Save(window.grab().toImage(),
                                  outRoot + "/resources/使用手册/images/frmMain-start.png");
                         window.hide();
                         CloseTimetableDb(empty.db);
                         return ok;
                     }});
    // The open-database dialog as the program shows it: Qt's own, in Chinese.
    shots.push_back({"dlgOpenDb", [](AppContext&, frmMain* main, const QString& outRoot) {
                         bool ok = true;
                         UiDialogs& silent = UiDialogs::instance();
                         UiDialogs::setInstance(nullptr);
                         GrabNextModal<QFileDialog>(outRoot, "dlgOpenDb", &ok);
                         main->mnuOpenDb->trigger();
                         UiDialogs::setInstance(&silent);
                         return ok;
                     }});
    // The print preview of a class's timetable, and the print dialog its print
    // button opens.
    shots.push_back({"dlgPrintPreview", [](AppContext& ctx, frmMain* main, const QString& outRoot) {
                         bool ok = true;
                         frmPrint print(ctx, main);
                         print.show();
                         GrabNextModal<QPrintPreviewDialog>(
                             outRoot, "dlgPrintPreview", &ok, [&](QPrintPreviewDialog* preview) {
                                 GrabNextModal<QPrintDialog>(outRoot, "dlgPrint", &ok,
                                                             [preview](QPrintDialog* dialog) {
                                                                 dialog->reject();
                                                                 preview->reject();
                                                             });
                                 // The preview's own print button (the first action
                                 // whose text names printing).
                                 for (QAction* a : preview->findChildren<QAction*>())
                                     if (a->text().contains(QStringLiteral("打印")) &&
                                         !a->text().contains(QStringLiteral("预览"))) {
                                         QTimer::singleShot(0, a, &QAction::trigger);
                                         return;
                                     }
                                 std::fprintf(stderr, "dlgPrint: no print button in the preview\n");
                                 ok = false;
                                 preview->reject();
                             });
                         print.cmdPrintClass->click();
                         print.hide();
                         return ok;
                     }});
    return shots;
}

} // namespace

int main(int argc, char** argv) {
    // Offscreen, the screen is a common school office one, 1366×768, so that
    // windows show at the size they have there.
    QTemporaryDir screenDir;
    if (qgetenv("QT_QPA_PLATFORM") == "offscreen" && screenDir.isValid()) {
        QFile json(screenDir.filePath("screen.json"));
        if (json.open(QIODevice::WriteOnly)) {
            json.write(R"({"screens":[{"name":"office","x":0,"y":0,"width":1366,)"
                       R"("height":768,"logicalDpi":96,"logicalBaseDpi":96,"dpr":1}]})");
            json.close();
            qputenv("QT_QPA_PLATFORM", ("offscreen:configfile=" + json.fileName()).toUtf8());
        }
    }
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("kbxt"));
    if (argc < 2) {
        std::fprintf(stderr, "usage: kbxt-screenshots OUTPUT_ROOT [WINDOW ...]\n");
        return 2;
    }
    if (QByteArray(argv[1]) == "--demo-db") {
        // Only the demo school, for trying the windows by hand.
        if (argc != 3) {
            std::fprintf(stderr, "usage: kbxt-screenshots --demo-db NEW.db\n");
            return 2;
        }
        const QString error = MakeSchoolFile(QString::fromLocal8Bit(argv[2]), DemoSchoolRecords());
        if (!error.isEmpty()) {
            std::fprintf(stderr, "%s\n", qPrintable(error));
            return 2;
        }
        return 0;
    }
    const QString outRoot = QDir(QString::fromLocal8Bit(argv[1])).absolutePath();
    const std::vector<Shot> shots = Shots();
    const std::vector<ModalShot> modalShots = ModalShots();

    std::vector<const Shot*> wanted;
    std::vector<const ModalShot*> wantedModal;
    for (int i = 2; i < argc; ++i) {
        const QByteArray name = argv[i];
        auto it = std::find_if(shots.begin(), shots.end(),
                               [&](const Shot& s) { return name == s.window; });
        if (it != shots.end()) {
            wanted.push_back(&*it);
            continue;
        }
        auto modal = std::find_if(modalShots.begin(), modalShots.end(),
                                  [&](const ModalShot& s) { return name == s.window; });
        if (modal != modalShots.end()) {
            wantedModal.push_back(&*modal);
            continue;
        }
        const bool known = std::any_of(std::begin(kAllWindows), std::end(kAllWindows),
                                       [&](const char* w) { return name == w; });
        std::fprintf(stderr, "%s: %s\n", name.constData(),
                     known ? "not in this build yet" : "no such window");
        return 2;
    }
    if (wanted.empty() && wantedModal.empty()) {
        for (const Shot& s : shots)
            wanted.push_back(&s);
        for (const ModalShot& s : modalShots)
            wantedModal.push_back(&s);
    }

    // A private application directory holding the demo school, opened the way
    // the program opens its database at start-up.
    QTemporaryDir home;
    if (!home.isValid())
        return 1;
    qputenv("KBXT_HOME", home.path().toLocal8Bit());
    const QString dbPath = home.path() + "/demo.db";
    if (const QString error = MakeSchoolFile(dbPath, DemoSchoolRecords()); !error.isEmpty()) {
        std::fprintf(stderr, "cannot make the demo database: %s\n", qPrintable(error));
        return 1;
    }
    // The school year and term as an office sets them, so titles show them.
    if (!WriteDbFileName(dbPath) || !WriteSchoolName(QStringLiteral("阳光小学")) ||
        !WriteSchoolTerm(2026, 1)) {
        std::fprintf(stderr, "cannot write kbxt.ini\n");
        return 1;
    }

    SilentDialogs dialogs;
    UiDialogs::setInstance(&dialogs);
    AppContext ctx;
    std::unique_ptr<frmMain> main = Main(ctx);
    if (!main)
        return 1;
    main->resize(960, 640);
    main->show();
    QApplication::processEvents();

    bool ok = true;
    for (const Shot* s : wanted)
        ok &= TakeShot(*s, ctx, main.get(), outRoot);
    for (const ModalShot* s : wantedModal)
        ok &= s->take(ctx, main.get(), outRoot);
    UiDialogs::setInstance(nullptr);
    return ok ? 0 : 1;
}
