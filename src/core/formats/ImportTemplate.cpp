#include "core/formats/ImportTemplate.h"

#include "core/formats/ScheduleWorkbook.h"
#include "core/store/CourseRuleStore.h"
#include "core/store/DoubleLessons.h"
#include "core/store/ImportStore.h"
#include "core/store/LessonsPerDay.h"
#include "core/store/SchoolStore.h"
#include "core/store/TeacherRuleStore.h"
#include "core/store/TimeLimits.h"
#include "core/store/TimetableDb.h"

#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSet>
#include <QTemporaryFile>
#include <cstdio>
#include <tuple>
#include <xlsxwriter.h>

namespace {

// The library says only that a call failed, not why.
void Check(lxw_error e) {
    if (e != LXW_NO_ERROR)
        throw WorkbookFailure(WorkbookFailure::Stage::Write);
}

struct ListSheet {
    const char* name;
    CodeTable table;
    const char* headings[4];
    const char* example[4]; // the row shown when the list is empty
};

const ListSheet kLists[] = {
    {"班级",
     CodeTable::Class,
     {"班级代码", "班级名称", "班级全称", "班级简称"},
     {"11", "一（1）班", "一年级（1）班", "一（1）"}},
    {"课程",
     CodeTable::Course,
     {"课程代码", "课程名称", "课程全称", "课程简称"},
     {"001", "语文", "语文", "语文"}},
    {"老师",
     CodeTable::Teacher,
     {"老师代码", "老师姓名", "老师全称", "老师简称"},
     {"001", "王老师", "王老师", "王老师"}},
};
const char* const kPlanExample[] = {"一（1）班", "语文", "王老师", "8", "1"};
const char* const kTimeOffExample[] = {"老师", "王老师", "三", "5-6"};

void Text(lxw_worksheet* ws, int row, int col, const QString& text, lxw_format* f = nullptr) {
    Check(worksheet_write_string(ws, static_cast<lxw_row_t>(row), static_cast<lxw_col_t>(col),
                                 text.toUtf8().constData(), f));
}

lxw_worksheet* Sheet(lxw_workbook* book, const char* name, const QList<const char*>& headings,
                     lxw_format* heading, lxw_format* text) {
    lxw_worksheet* ws = workbook_add_worksheet(book, name);
    if (!ws)
        throw WorkbookFailure(WorkbookFailure::Stage::Write);
    for (int c = 0; c < headings.size(); ++c)
        Text(ws, 0, c, QString::fromUtf8(headings[c]), heading);
    // Codes are text: a code 001 must not become the number 1 when edited.
    Check(worksheet_set_column(ws, 0, static_cast<lxw_col_t>(headings.size() - 1), 14, text));
    worksheet_freeze_panes(ws, 1, 0);
    return ws;
}

// Row 2 in grey with the mark after the last heading, so the user sees how
// to fill the sheet and the import knows the row for an example.
void Example(lxw_worksheet* ws, const QList<const char*>& cells, int columns, lxw_format* f) {
    for (int c = 0; c < cells.size(); ++c)
        Text(ws, 1, c, QString::fromUtf8(cells[c]), f);
    Text(ws, 1, columns, ImportExampleMark(), f);
}

void Number(lxw_worksheet* ws, int row, int col, double n) {
    Check(worksheet_write_number(ws, static_cast<lxw_row_t>(row), static_cast<lxw_col_t>(col), n,
                                 nullptr));
}

// Every "不排" period of the classes, teachers, courses and groups, one row
// per object and day for each run of periods (5-7). Periods past the school's
// day are left out: the import would refuse them.
void TimeOffSheet(lxw_workbook* book, TimetableDb& db, const QList<CodeRecord> (&lists)[4],
                  lxw_format* heading, lxw_format* text, lxw_format* example) {
    const QList<const char*> headings = {"类别", "名称", "星期", "节次"};
    lxw_worksheet* ws = Sheet(book, "不排时间", headings, heading, text);
    const int lessons = LessonsPerDayFor(db, false);
    const std::tuple<const char*, LimitKind, int> kinds[] = {{"班级", LimitKind::Class, 0},
                                                             {"老师", LimitKind::Teacher, 2},
                                                             {"课程", LimitKind::Course, 1},
                                                             {"教研组", LimitKind::Group, 3}};
    static const QString days = QStringLiteral("一二三四五");
    int row = 1;
    for (const auto& [title, kind, list] : kinds) {
        QSet<QString> done;
        for (const CodeRecord& r : lists[list]) {
            if (done.contains(r.code))
                continue;
            done.insert(r.code);
            bool never[Week::kDays + 1][Week::kMaxLessonsPerDay + 2] = {};
            for (const LimitCell& c : ReadLimits(db, kind, r.code))
                if (c.period.day >= 1 && c.period.day <= Week::kDays && c.period.lessonNo >= 1 &&
                    c.period.lessonNo <= lessons)
                    never[c.period.day][c.period.lessonNo] = c.isLevel(LimitLevel::Never);
            for (int day = 1; day <= Week::kDays; ++day)
                for (int from = 1; from <= lessons; ++from) {
                    if (!never[day][from])
                        continue;
                    int to = from;
                    while (to < lessons && never[day][to + 1])
                        ++to;
                    Text(ws, row, 0, QString::fromUtf8(title));
                    Text(ws, row, 1, r.name);
                    Text(ws, row, 2, days.at(day - 1));
                    Text(ws, row, 3,
                         from == to ? QString::number(from)
                                    : QStringLiteral("%1-%2").arg(from).arg(to));
                    ++row;
                    from = to;
                }
        }
    }
    if (row == 1)
        Example(ws,
                {kTimeOffExample[0], kTimeOffExample[1], kTimeOffExample[2], kTimeOffExample[3]},
                static_cast<int>(headings.size()), example);
}

void Fill(lxw_workbook* book, TimetableDb& db) {
    lxw_format* heading = workbook_add_format(book);
    lxw_format* text = workbook_add_format(book);
    if (!heading || !text)
        throw WorkbookFailure(WorkbookFailure::Stage::Write);
    format_set_bold(heading);
    format_set_num_format(text, "@");
    lxw_format* example = workbook_add_format(book);
    if (!example)
        throw WorkbookFailure(WorkbookFailure::Stage::Write);
    format_set_font_color(example, LXW_COLOR_GRAY);
    format_set_italic(example);
    QHash<QString, QString> names[3];
    QList<CodeRecord> lists[4]; // classes, courses, teachers, groups
    QSet<QString> groupsInUse;  // the groups the 老师 sheet names
    const CourseRules rules = ReadCourseRules(db);
    const TeacherRules teacherRules = ReadTeacherRules(db);
    for (int i = 0; i < 3; ++i) {
        const ListSheet& list = kLists[i];
        QList<const char*> headings{list.headings[0], list.headings[1], list.headings[2],
                                    list.headings[3]};
        // The courses' own rules, optional columns: empty sets nothing.
        const bool courses = list.table == CodeTable::Course;
        if (courses)
            headings << "同时上课班数"
                     << "每天最多节数";
        // The teachers' limits and group, optional columns too.
        const bool teachers = list.table == CodeTable::Teacher;
        if (teachers)
            headings << "每天最多节数"
                     << "最多连上节数"
                     << "教研组";
        lxw_worksheet* ws = Sheet(book, list.name, headings, heading, text);
        QList<CodeRecord>& records = lists[i];
        if (!LoadCodeRecords(db, list.table, records))
            throw std::runtime_error("reading a list failed");
        if (records.isEmpty()) {
            QList<const char*> cells{list.example[0], list.example[1], list.example[2],
                                     list.example[3]};
            if (teachers)
                cells << "6"
                      << "3"
                      << "语文组";
            Example(ws, cells, static_cast<int>(headings.size()), example);
        }
        int row = 1;
        for (const CodeRecord& r : records) {
            Text(ws, row, 0, r.code);
            Text(ws, row, 1, r.name);
            Text(ws, row, 2, r.fullName);
            Text(ws, row, 3, r.shortName);
            if (courses) {
                const CourseRule rule = rules.value(r.code);
                int col = 4;
                for (const std::optional<int>& n : {rule.maxClasses, rule.maxPerDay}) {
                    if (n)
                        Check(worksheet_write_number(ws, static_cast<lxw_row_t>(row),
                                                     static_cast<lxw_col_t>(col), *n, nullptr));
                    ++col;
                }
            }
            if (teachers) {
                const TeacherRule& rule = teacherRules.of(r.code);
                if (rule.maxPerDay > 0)
                    Number(ws, row, 4, rule.maxPerDay);
                if (rule.maxInRow > 0)
                    Number(ws, row, 5, rule.maxInRow);
                // A code left behind by a deleted group is no group: its name
                // would come back as a new group named by the code.
                if (teacherRules.groupNames.contains(rule.groupCode)) {
                    Text(ws, row, 6, teacherRules.groupName(rule.groupCode));
                    groupsInUse.insert(rule.groupCode);
                }
            }
            ++row;
            if (!names[i].contains(r.code))
                names[i].insert(r.code, r.name);
        }
    }
    const QList<const char*> planHeadings = {"班级", "课程", "老师", "节数", "连堂", "合班"};
    const QHash<QString, long long> doubles = ReadPlanDoubles(db.sql());
    lxw_worksheet* plan = Sheet(book, "教学计划", planHeadings, heading, text);
    const QList<PlanRow> rows = ReadAllPlanRows(db);
    if (rows.isEmpty())
        Example(
            plan,
            {kPlanExample[0], kPlanExample[1], kPlanExample[2], kPlanExample[3], kPlanExample[4]},
            static_cast<int>(planHeadings.size()), example);
    const JointClasses joints = LoadJoints(db);
    int row = 1;
    for (const PlanRow& p : rows) {
        // A joint row is written once, under its first class, naming the others.
        if (joints.isFurther(p.classCode, p.courseCode, p.teacherCode))
            continue;
        Text(plan, row, 0, names[0].value(p.classCode, p.classCode));
        Text(plan, row, 1, names[1].value(p.courseCode, p.courseCode));
        Text(plan, row, 2, names[2].value(p.teacherCode, p.teacherCode));
        if (p.count) // a Null count stays an empty cell
            Check(worksheet_write_number(plan, static_cast<lxw_row_t>(row), 3,
                                         static_cast<double>(*p.count), nullptr));
        if (const long long n =
                doubles.value(PlanDoubleKey(p.classCode, p.courseCode, p.teacherCode));
            n > 0)
            Number(plan, row, 4, static_cast<double>(n));
        if (const JointRow* j = joints.rowOf(p.classCode, p.courseCode, p.teacherCode)) {
            QStringList others;
            for (const QString& c : j->others)
                others << names[0].value(c, c);
            Text(plan, row, 5, others.join(QStringLiteral("、")));
        }
        ++row;
    }
    if (!LoadCodeRecords(db, CodeTable::Group, lists[3]))
        throw std::runtime_error("reading the groups failed");
    // The workbook knows a group only through its teachers: the time off of a
    // group without one would be a wrong row, and binds no one anyway.
    lists[3].removeIf([&](const CodeRecord& g) { return !groupsInUse.contains(g.code); });
    TimeOffSheet(book, db, lists, heading, text, example);
}

} // namespace

QString ImportExampleMark() {
    return QStringLiteral("← 示例行，导入时不读取；照此填写后可删去");
}

void WriteImportTemplate(TimetableDb& db, const QString& fileName) {
    using Stage = WorkbookFailure::Stage;
    const QFileInfo target(QFileInfo(fileName).absoluteFilePath());
    const auto cannotCreate = [&] {
        return WorkbookFailure(Stage::Create,
                               Failure(QStringLiteral("无法创建文件"), target.absoluteFilePath()));
    };
    if (fileName.isEmpty() || target.isDir() || (target.exists() && !target.isWritable()))
        throw cannotCreate();
    // Written beside the target and renamed over it, so a failure never leaves
    // half a workbook or destroys the one that was there.
    QTemporaryFile temp(target.absolutePath() + QStringLiteral("/.kbxt-XXXXXX.xlsx"));
    if (!temp.open())
        throw cannotCreate();
    temp.close();
    lxw_workbook* book = workbook_new(QFile::encodeName(temp.fileName()).constData());
    if (!book)
        throw cannotCreate();
    try {
        Fill(book, db);
    } catch (...) {
        workbook_close(book);
        throw;
    }
    const auto cannotWrite = [&] {
        return WorkbookFailure(
            Stage::Write, Failure(QStringLiteral("写入工作簿出错"), target.absoluteFilePath()));
    };
    if (workbook_close(book) != LXW_NO_ERROR)
        throw cannotWrite();
    temp.setPermissions(target.exists() ? target.permissions()
                                        : QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup |
                                              QFile::ReadOther);
    if (std::rename(QFile::encodeName(temp.fileName()).constData(),
                    QFile::encodeName(target.absoluteFilePath()).constData()) != 0)
        throw cannotWrite();
    temp.setAutoRemove(false);
}
