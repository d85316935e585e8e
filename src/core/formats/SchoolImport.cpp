#include "core/formats/SchoolImport.h"

#include "core/formats/ImportTemplate.h"
#include "core/model/ClassNames.h"
#include "core/model/PlanRow.h"
#include "core/model/TextRules.h"
#include "core/store/CourseRuleStore.h"
#include "core/store/DoubleLessons.h"
#include "core/store/LessonsPerDay.h"
#include "core/store/TeacherRuleStore.h"
#include "core/store/TimeLimits.h"
#include "core/store/TimetableDb.h"

#include <QHash>
#include <QMap>
#include <QSet>
#include <algorithm>
#include <array>
#include <initializer_list>
#include <optional>

namespace {

enum class Sheet { Unknown, Classes, Courses, Teachers, Plan, Grid, TimeOff };
enum class Field {
    None,
    Code,
    Name,
    FullName,
    ShortName,
    Class,
    Course,
    Teacher,
    Count,
    Joint,
    MaxClasses, // 课程: 同时上课班数
    MaxPerDay,  // 课程, 老师: 每天最多节数
    MaxInRow,   // 老师: 最多连上节数
    Group,      // 老师: 教研组
    Doubles,    // 教学计划: 连堂
    Category,   // 不排时间: 类别
    Day,        // 不排时间: 星期
    Periods,    // 不排时间: 节次
};

constexpr int kMaxText = 10;          // the list editors' fields hold ten characters
constexpr int kHeaderSearchRows = 10; // a title or a note may stand above the headings
constexpr int kMostStoredLimit = 999; // the rule tables read larger values as none

const QString kListNames[3] = {QStringLiteral("班级"), QStringLiteral("课程"),
                               QStringLiteral("老师")};
const QString kPlanList = QStringLiteral("教学计划");
const QString kGroupList = QStringLiteral("教研组");
const QString kTimeOffList = QStringLiteral("不排时间");

// A heading without blanks, marks of required columns and a bracketed remark:
// " 节数（每周）*" → "节数".
QString CleanHeading(const QString& text) {
    QString h;
    for (const QChar c : text)
        if (!c.isSpace() && c != u'*' && c != u'＊')
            h += c;
    for (const QChar open : {QChar(u'('), QChar(u'（'), QChar(u'[')}) {
        const qsizetype at = h.indexOf(open);
        if (at > 0)
            h.truncate(at);
    }
    return h;
}

bool StartsWithAny(const QString& h, std::initializer_list<const char16_t*> words) {
    for (const char16_t* w : words)
        if (h.startsWith(QStringView(w)))
            return true;
    return false;
}
bool EndsWithAny(const QString& h, std::initializer_list<const char16_t*> words) {
    for (const char16_t* w : words)
        if (h.endsWith(QStringView(w)))
            return true;
    return false;
}

bool IsCountHeading(const QString& h) {
    // "每天最多节数" is a limit of a list, "连堂节数" a part of the count,
    // neither a plan's weekly count.
    if (h.contains(u"最多") || h.contains(u"连堂"))
        return false;
    return h.contains(u"节数") || h.contains(u"课时") || h == u"节" || h == u"周节";
}

// The optional columns of a course's or a teacher's own rules.
Field RuleField(const QString& h) {
    if (h.startsWith(u"同时上课"))
        return Field::MaxClasses;
    if (h.startsWith(u"每天最多"))
        return Field::MaxPerDay;
    if (StartsWithAny(h, {u"最多连上", u"连上"}))
        return Field::MaxInRow;
    if (h.startsWith(u"教研组"))
        return Field::Group;
    return Field::None;
}

// The columns of the time-off sheet (不排时间).
Field TimeOffField(const QString& h) {
    if (StartsWithAny(h, {u"类别", u"类型"}))
        return Field::Category;
    if (StartsWithAny(h, {u"名称", u"名字", u"姓名", u"对象"}))
        return Field::Name;
    if (StartsWithAny(h, {u"星期", u"周几"}))
        return Field::Day;
    if (h.startsWith(u"节次"))
        return Field::Periods;
    return Field::None;
}

Field ListField(const QString& h) {
    if (EndsWithAny(h, {u"代码", u"编号", u"编码", u"代号"}) || h == u"工号")
        return Field::Code;
    if (h.endsWith(u"全称"))
        return Field::FullName;
    if (h.endsWith(u"简称"))
        return Field::ShortName;
    if (EndsWithAny(h, {u"名称", u"姓名", u"名字"}) ||
        StartsWithAny(h, {u"班级", u"课程", u"科目", u"老师", u"教师"}))
        return h.size() <= 4 ? Field::Name : Field::None;
    return Field::None;
}

Field PlanField(const QString& h) {
    if (h.startsWith(u"合班"))
        return Field::Joint;
    if (h.startsWith(u"连堂"))
        return Field::Doubles;
    if (IsCountHeading(h))
        return Field::Count;
    if (h.startsWith(u"班"))
        return Field::Class;
    if (h.contains(u"老师") || h.contains(u"教师"))
        return Field::Teacher;
    if (StartsWithAny(h, {u"课程", u"科目", u"学科"}))
        return Field::Course;
    return Field::None;
}

// The list a heading names by its first word: 老师姓名 → teachers.
Sheet SubjectOf(const QString& h) {
    if (h.startsWith(u"班"))
        return Sheet::Classes;
    if (StartsWithAny(h, {u"课程", u"科目", u"学科"}))
        return Sheet::Courses;
    if (StartsWithAny(h, {u"老师", u"教师"}))
        return Sheet::Teachers;
    return Sheet::Unknown;
}

Sheet SubjectOfSheetName(const QString& name) {
    const QString n = name.toLower();
    if (n.contains(u"计划") || n.contains(u"plan"))
        return Sheet::Plan;
    if (n.contains(u"老师") || n.contains(u"教师") || n.contains(u"teacher"))
        return Sheet::Teachers;
    if (n.contains(u"课程") || n.contains(u"科目") || n.contains(u"course"))
        return Sheet::Courses;
    if (n.contains(u"班") || n.contains(u"class"))
        return Sheet::Classes;
    return Sheet::Unknown;
}

// The code of a class name in any office form: 一(1)班 → 11; empty when none.
QString ClassCodeOfName(const QString& name) {
    const ClassCodeParts p = ReadClassName(name);
    return p.grade < 0 ? QString() : FormClassCode(p.grade, p.classNumber);
}

bool IsClassCode(const QString& code) {
    const ClassCodeParts p = SplitClassCode(code);
    return p.grade >= 0 && p.grade < kGradeCount && p.classNumber >= 1 &&
           p.classNumber <= kClassNumberCount && FormClassCode(p.grade, p.classNumber) == code;
}

struct Layout {
    Sheet kind = Sheet::Unknown;
    int headerRow = -1;        // index into rows
    QHash<Field, int> columns; // first column of each field
    // The class × subject layout: classes down, subjects across, teachers in
    // the cells, and an optional row of counts.
    QList<int> subjectColumns;
    int countRow = -1;
};

// Headings of a class list's other columns, never subjects.
bool IsClassDetail(const QString& h) {
    return StartsWithAny(h, {u"序号", u"备注", u"人数", u"学生", u"教室", u"说明", u"年级",
                             u"班主任", u"班长", u"电话", u"地点"});
}

// Class names or codes down the first columns and at least two subjects
// across: the office's usual teaching plan, one row per class with its teachers.
bool ReadGrid(const SheetTable& table, int r, const QList<QString>& headings, Layout& layout) {
    int classColumn = -1;
    int codeColumn = -1;
    QList<int> subjects;
    for (int c = 0; c < headings.size(); ++c) {
        const QString& h = headings[c];
        if (h.isEmpty())
            continue;
        const Field f = ListField(h);
        const bool keys = classColumn < 0 && codeColumn < 0;
        // 班级代码 or a bare 代码 before the subjects keys the rows; full and
        // short names, or a code of another list, make it a list.
        if (f == Field::Code && codeColumn < 0 && subjects.isEmpty() && h != u"工号" &&
            (SubjectOf(h) == Sheet::Classes || SubjectOf(h) == Sheet::Unknown))
            codeColumn = c;
        else if (f == Field::Code || f == Field::FullName || f == Field::ShortName ||
                 (f == Field::Name && SubjectOf(h) != Sheet::Classes))
            return false; // 姓名, 名称: a list
        else if (classColumn < 0 && subjects.isEmpty() && SubjectOf(h) == Sheet::Classes &&
                 f == Field::Name)
            classColumn = c;
        else if (!keys && f == Field::None && !IsClassDetail(h) && PlanField(h) != Field::Count &&
                 PlanField(h) != Field::Teacher && PlanField(h) != Field::Course)
            subjects << c; // 班会 too, which a plan sheet would take for its class column
    }
    if ((classColumn < 0 && codeColumn < 0) || subjects.size() < 2)
        return false;
    const auto at = [&](int row, int column) {
        return column >= 0 && column < table.rows[row].size() ? table.rows[row][column].trimmed()
                                                              : QString();
    };
    bool classes = false;
    for (int row = r + 1; row < table.rows.size() && !classes; ++row)
        classes = ReadClassName(at(row, classColumn)).grade >= 0 ||
                  IsClassCode(HalfWidthDigits(at(row, codeColumn)));
    if (!classes)
        return false;
    layout.kind = Sheet::Grid;
    layout.headerRow = r;
    if (classColumn >= 0)
        layout.columns.insert(Field::Class, classColumn);
    if (codeColumn >= 0)
        layout.columns.insert(Field::Code, codeColumn);
    layout.subjectColumns = subjects;
    for (int row = 0; row < table.rows.size(); ++row)
        if (row != r && (IsCountHeading(CleanHeading(at(row, classColumn))) ||
                         IsCountHeading(CleanHeading(at(row, codeColumn))))) {
            layout.countRow = row;
            break;
        }
    return true;
}

// A list of names alone (姓名 above the teachers' names): the list is told by
// the sheet's name, else by the heading.
bool ReadNamesOnly(const SheetTable& table, int r, const QList<QString>& headings, Layout& layout) {
    int column = -1;
    for (int c = 0; c < headings.size(); ++c) {
        if (headings[c].isEmpty())
            continue;
        if (column >= 0 || ListField(headings[c]) != Field::Name)
            return false;
        column = c;
    }
    if (column < 0)
        return false;
    const QString& h = headings[column];
    Sheet kind = SubjectOfSheetName(table.name);
    if (kind == Sheet::Unknown || kind == Sheet::Plan)
        kind = SubjectOf(h);
    if (kind == Sheet::Unknown && h.endsWith(u"姓名"))
        kind = Sheet::Teachers;
    if (kind == Sheet::Unknown)
        return false;
    layout.kind = kind;
    layout.headerRow = r;
    layout.columns.insert(Field::Name, column);
    return true;
}

// Periods when a class, teacher, course or group has no lessons: told by its
// 类别, 星期 and 节次 columns, or by the sheet's name and one of them. A
// timetable's own 星期 and 节次 headings, without 类别, are no such sheet.
bool ReadTimeOff(const SheetTable& table, int r, const QList<QString>& headings, Layout& layout) {
    QHash<Field, int> columns;
    for (int c = 0; c < headings.size(); ++c) {
        const Field f = TimeOffField(headings[c]);
        if (f != Field::None && !columns.contains(f))
            columns.insert(f, c);
    }
    const bool named = table.name.contains(u"不排");
    const bool all = columns.contains(Field::Category) && columns.contains(Field::Day) &&
                     columns.contains(Field::Periods);
    if (!all && !(named && (columns.contains(Field::Day) || columns.contains(Field::Periods))))
        return false;
    layout.kind = Sheet::TimeOff;
    layout.headerRow = r;
    layout.columns = columns;
    return true;
}

Layout FindLayout(const SheetTable& table) {
    Layout layout;
    const int rows = std::min<int>(kHeaderSearchRows, static_cast<int>(table.rows.size()));
    for (int r = 0; r < rows; ++r) {
        const QStringList& cells = table.rows[r];
        QList<QString> headings;
        int listHits = 0;
        int planHits = 0;
        bool count = false;
        for (const QString& cell : cells) {
            headings << CleanHeading(cell);
            // 姓名 beside 教研组 alone is a teacher list too.
            listHits += ListField(headings.back()) != Field::None ||
                        RuleField(headings.back()) != Field::None;
            planHits += PlanField(headings.back()) != Field::None;
            count = count || IsCountHeading(headings.back());
        }
        if (ReadTimeOff(table, r, headings, layout))
            return layout;
        if (ReadGrid(table, r, headings, layout))
            return layout;
        if (std::max(listHits, planHits) < 2)
            continue;
        layout.headerRow = r;
        std::array<int, 4> votes{};
        for (int c = 0; c < headings.size(); ++c) {
            // A rule's heading first: 教研组名称 names a group, not the teacher.
            Field f = count ? PlanField(headings[c]) : RuleField(headings[c]);
            if (!count && f == Field::None)
                f = ListField(headings[c]);
            if (f != Field::None && !layout.columns.contains(f))
                layout.columns.insert(f, c);
            votes[static_cast<size_t>(SubjectOf(headings[c]))]++;
        }
        if (count) {
            layout.kind = Sheet::Plan;
        } else {
            layout.kind = SubjectOfSheetName(table.name);
            if (layout.kind == Sheet::Unknown || layout.kind == Sheet::Plan) {
                layout.kind = Sheet::Unknown;
                int best = 0;
                for (Sheet s : {Sheet::Classes, Sheet::Courses, Sheet::Teachers})
                    if (votes[static_cast<size_t>(s)] > best) {
                        best = votes[static_cast<size_t>(s)];
                        layout.kind = s;
                    }
            }
        }
        return layout;
    }
    // No row of two headings: a list of names alone.
    for (int r = 0; r < rows; ++r) {
        QList<QString> headings;
        for (const QString& cell : table.rows[r])
            headings << CleanHeading(cell);
        if (ReadNamesOnly(table, r, headings, layout))
            return layout;
    }
    return layout;
}

// Why a cell cannot hold a name: a hidden character, or a value the
// spreadsheet computed rather than a name someone typed (a formula's error
// value, TRUE or FALSE). Empty when it can.
QString NotAName(const QString& cell) {
    if (const QString hidden = HiddenCharacterText(cell); !hidden.isEmpty())
        return QStringLiteral("「%1」中有%2，请删去").arg(cell.trimmed(), hidden);
    static const QStringList errors = {QStringLiteral("#N/A"),    QStringLiteral("#REF!"),
                                       QStringLiteral("#DIV/0!"), QStringLiteral("#VALUE!"),
                                       QStringLiteral("#NAME?"),  QStringLiteral("#NUM!"),
                                       QStringLiteral("#NULL!"),  QStringLiteral("#GETTING_DATA"),
                                       QStringLiteral("#SPILL!"), QStringLiteral("#CALC!")};
    const QString t = cell.trimmed();
    if (errors.contains(t, Qt::CaseInsensitive))
        return QStringLiteral("「%1」是公式的错误值，不是名称").arg(t);
    if (t.compare(u"TRUE", Qt::CaseInsensitive) == 0 ||
        t.compare(u"FALSE", Qt::CaseInsensitive) == 0)
        return QStringLiteral("「%1」是逻辑值，不是名称").arg(t);
    return {};
}

// The first cell of the row that cannot hold a name; empty when none.
QString NotANameIn(const QStringList& cells) {
    for (const QString& cell : cells)
        if (const QString why = NotAName(cell); !why.isEmpty())
            return why;
    return {};
}

QString Cell(const QStringList& cells, const Layout& layout, Field f) {
    const int c = layout.columns.value(f, -1);
    return c >= 0 && c < cells.size() ? cells[c].trimmed() : QString();
}

bool AllEmpty(const QStringList& cells) {
    for (const QString& c : cells)
        if (!c.trimmed().isEmpty())
            return false;
    return true;
}

// A count as a spreadsheet may hold it: "5", "5.0" or " 5 ", within the week.
std::optional<int> ParseCount(const QString& text, Week week) {
    bool ok = false;
    const double v = HalfWidthDigits(text).toDouble(&ok);
    if (!ok || !(v >= 0 && v <= week.periodCount()) ||
        v != static_cast<double>(static_cast<int>(v)))
        return std::nullopt;
    return static_cast<int>(v);
}

// 星期 as typed: 一 to 五, 周三, 星期三 or 3; nothing for a day outside the week.
std::optional<int> ParseDay(const QString& text) {
    QString t = HalfWidthDigits(text).trimmed();
    for (const char16_t* prefix : {u"星期", u"礼拜", u"周"})
        if (t.startsWith(QStringView(prefix))) {
            t = t.mid(QStringView(prefix).size()).trimmed();
            break;
        }
    static const QString days = QStringLiteral("一二三四五");
    if (t.size() == 1 && days.contains(t))
        return static_cast<int>(days.indexOf(t)) + 1;
    bool ok = false;
    const int n = t.toInt(&ok);
    if (ok && n >= 1 && n <= Week::kDays)
        return n;
    return std::nullopt;
}

// 节次 as typed: 5, 第5节, or a range such as 5-7 (also 5–7, 5~7, 5至7);
// nothing when a period lies outside the day.
std::optional<std::pair<int, int>> ParsePeriods(const QString& text, int lessonsPerDay) {
    QString t = HalfWidthDigits(text).trimmed();
    t.remove(u'第');
    t.remove(u'节');
    for (const char16_t* dash : {u"–", u"—", u"－", u"~", u"～", u"至", u"到"})
        t.replace(QString::fromUtf16(dash), QStringLiteral("-"));
    const QStringList parts = t.split(u'-');
    if (parts.size() > 2)
        return std::nullopt;
    const auto number = [](const QString& part) -> std::optional<int> {
        bool ok = false;
        const double v = part.trimmed().toDouble(&ok);
        if (!ok || v != static_cast<double>(static_cast<int>(v)))
            return std::nullopt;
        return static_cast<int>(v);
    };
    const std::optional<int> from = number(parts.front());
    const std::optional<int> to = number(parts.back());
    if (!from || !to || *from < 1 || *to < *from || *to > lessonsPerDay)
        return std::nullopt;
    return std::pair{*from, *to};
}

struct Entry {
    CodeRecord record;
    bool isNew = false;
    QString origin; // where a new entry came from, for the preview
};

// One of the three lists: the database's records and the import's new ones.
struct ListState {
    CodeTable table;
    QString title;
    QList<Entry> entries;
    QHash<QString, int> byCode;
    QHash<QString, int> byName;
    QHash<QString, QString> codeSeenAt; // code in the file → "「sheet」第 n 行"
    QHash<QString, QString> nameSeenAt;

    int add(const Entry& e) {
        entries.append(e);
        const int i = static_cast<int>(entries.size()) - 1;
        if (!e.record.code.isEmpty() && !byCode.contains(e.record.code))
            byCode.insert(e.record.code, i);
        if (!byName.contains(e.record.name))
            byName.insert(e.record.name, i);
        return i;
    }
    // Matched by code, else by name.
    int find(const QString& key) const {
        if (byCode.contains(key))
            return byCode.value(key);
        return byName.value(key, -1);
    }
};

QString Place(const QString& sheet, int row) {
    if (row <= 0)
        return QStringLiteral("工作表「%1」").arg(sheet);
    return QStringLiteral("工作表「%1」第 %2 行").arg(sheet).arg(row);
}

QString TooLong(const QStringList& texts) {
    for (const QString& t : texts)
        if (t.size() > kMaxText)
            return QStringLiteral("「%1」超过%2个字").arg(t).arg(kMaxText);
    return {};
}

class Importer {
public:
    explicit Importer(TimetableDb& db)
        : m_db(db), m_week(Week::ofLessons(LessonsPerDayFor(db, false))) {
        const CodeTable tables[3] = {CodeTable::Class, CodeTable::Course, CodeTable::Teacher};
        for (int i = 0; i < 3; ++i) {
            m_lists[i].table = tables[i];
            m_lists[i].title = kListNames[i];
            QList<CodeRecord> records;
            if (!LoadCodeRecords(db, tables[i], records))
                throw std::runtime_error("reading the lists failed");
            for (const CodeRecord& r : records)
                m_lists[i].add({r, false, {}});
        }
        const QHash<QString, long long> doubles = ReadPlanDoubles(db.sql());
        for (const PlanRow& p : ReadAllPlanRows(db)) {
            const int cls = m_lists[0].byCode.value(p.classCode, -1);
            const int course = m_lists[1].byCode.value(p.courseCode, -1);
            const int teacher = m_lists[2].byCode.value(p.teacherCode, -1);
            if (cls < 0 || course < 0 || teacher < 0)
                continue; // a row that data maintenance would remove
            m_planKeys.insert(
                PlanKey(cls, course, teacher),
                {p.count ? QString::number(*p.count) : QString(), p.buildCount,
                 static_cast<int>(std::clamp<long long>(
                     doubles.value(PlanDoubleKey(p.classCode, p.courseCode, p.teacherCode)), 0,
                     Week::kDays * Week::kMaxLessonsPerDay))});
            m_teacherOf.insert(PlanKey(cls, course, -1), teacher);
        }
        m_storedRules = ReadCourseRules(db);
        m_storedTeacherRules = ReadTeacherRules(db);
        m_groups.table = CodeTable::Group;
        m_groups.title = kGroupList;
        QList<CodeRecord> groups;
        if (!LoadCodeRecords(db, CodeTable::Group, groups))
            throw std::runtime_error("reading the groups failed");
        for (const CodeRecord& r : groups)
            m_groups.add({r, false, {}});
    }

    void readList(const SheetTable& t, const Layout& layout, int list) {
        if (!layout.columns.contains(Field::Name) && !layout.columns.contains(Field::Code)) {
            problem(t.name, layout.headerRow + 1, QStringLiteral("找不到名称一列"));
            return;
        }
        for (int r = layout.headerRow + 1; r < t.rows.size(); ++r)
            readListRow(t.name, r + 1, t.rows[r], layout, list);
    }

    // The sheet has every column it needs; else one problem names those missing.
    bool hasColumns(const SheetTable& t, const Layout& layout,
                    std::initializer_list<std::pair<Field, const char*>> needed) {
        QStringList missing;
        for (const auto& [field, title] : needed)
            if (!layout.columns.contains(field))
                missing << QString::fromUtf8(title);
        if (missing.isEmpty())
            return true;
        problem(t.name, layout.headerRow + 1,
                QStringLiteral("缺少列：") + missing.join(QStringLiteral("、")));
        return false;
    }

    void readPlan(const SheetTable& t, const Layout& layout) {
        if (!hasColumns(t, layout,
                        {{Field::Class, "班级"},
                         {Field::Course, "课程"},
                         {Field::Teacher, "老师"},
                         {Field::Count, "节数"}}))
            return;
        for (int r = layout.headerRow + 1; r < t.rows.size(); ++r)
            readPlanRow(t.name, r + 1, t.rows[r], layout);
    }

    void readGrid(const SheetTable& t, const Layout& layout) {
        const QStringList& headings = t.rows[layout.headerRow];
        const QStringList counts = layout.countRow >= 0 ? t.rows[layout.countRow] : QStringList();
        if (layout.countRow < 0)
            m_preview.notes << QStringLiteral("工作表「%1」没有“节数”一行：已有的课保持原节数，"
                                              "新的课记为 0 节，请在各班教学计划中填写")
                                   .arg(t.name);
        for (int r = layout.headerRow + 1; r < t.rows.size(); ++r) {
            const QStringList& cells = t.rows[r];
            if (r == layout.countRow || AllEmpty(cells) || isExample(t.name, r + 1, cells))
                continue;
            const std::optional<QString> key =
                gridClass(t.name, r + 1, HalfWidthDigits(Cell(cells, layout, Field::Code)),
                          Cell(cells, layout, Field::Class));
            if (!key)
                continue;
            const QString& cls = *key;
            for (const int c : layout.subjectColumns) {
                const QString teacher = c < cells.size() ? cells[c].trimmed() : QString();
                if (teacher.isEmpty())
                    continue;
                const QString course = headings[c].trimmed();
                addPlan(t.name, r + 1, cls, course, teacher,
                        layout.countRow >= 0 ? (c < counts.size() ? counts[c].trimmed() : QString())
                                             : storedCount(cls, course));
            }
        }
    }

    void readTimeOff(const SheetTable& t, const Layout& layout) {
        if (!hasColumns(t, layout,
                        {{Field::Category, "类别"},
                         {Field::Name, "名称"},
                         {Field::Day, "星期"},
                         {Field::Periods, "节次"}}))
            return;
        for (int r = layout.headerRow + 1; r < t.rows.size(); ++r)
            readTimeOffRow(t.name, r + 1, t.rows[r], layout);
    }

    ImportPreview finish() {
        for (ListState& list : m_lists)
            giveCodes(list);
        giveCodes(m_groups);
        // The groups before the teachers, whose rules name them.
        for (const Entry& e : m_groups.entries)
            if (e.isNew) {
                m_preview.additions.records.append({CodeTable::Group, e.record});
                m_preview.added.append({kGroupList, RecordText(e.record) + e.origin});
            }
        for (int i = 0; i < 3; ++i)
            for (const Entry& e : m_lists[i].entries)
                if (e.isNew) {
                    m_preview.additions.records.append({m_lists[i].table, e.record});
                    m_preview.added.append({kListNames[i], RecordText(e.record) + e.origin});
                }
        for (auto it = m_courseRules.constBegin(); it != m_courseRules.constEnd(); ++it)
            m_preview.additions.courseRules.append({code(1, it.key()), it.value()});
        for (auto it = m_teacherRules.constBegin(); it != m_teacherRules.constEnd(); ++it) {
            TeacherRule rule = it.value().rule;
            if (it.value().group >= 0)
                rule.groupCode = m_groups.entries[it.value().group].record.code;
            m_preview.additions.teacherRules.append({code(2, it.key()), rule});
        }
        for (const PendingPlan& p : m_plan) {
            m_preview.additions.planRows.append(
                {code(0, p.cls), code(1, p.course), code(2, p.teacher), p.count, p.doubles});
            m_preview.added.append(
                {kPlanList, planText(p.cls, p.course, p.teacher, p.count, p.doubles)});
        }
        for (const PendingJoint& j : m_joints) {
            QStringList codes, names;
            for (int other : j.others) {
                codes << code(0, other);
                names << name(0, other);
            }
            m_preview.additions.joints.append(
                {code(0, j.cls), code(1, j.course), code(2, j.teacher), codes});
            m_preview.added.append(
                {kPlanList, QStringLiteral("合班：%1  %2  %3  与%4")
                                .arg(name(0, j.cls), name(1, j.course), name(2, j.teacher),
                                     names.join(QStringLiteral("、")))});
        }
        for (const PendingPlan& p : m_changedDoubles)
            m_preview.additions.changedDoubles.append(
                {code(0, p.cls), code(1, p.course), code(2, p.teacher), p.count, p.doubles});
        finishTimeOff();
        for (const auto& [list, record] : m_renamed)
            m_preview.additions.renamed.append({m_lists[list].table, record});
        for (const PlanChange& c : m_changes) {
            m_preview.additions.changedPlanRows.append({code(0, c.cls), code(1, c.course),
                                                        code(2, c.oldTeacher), code(2, c.teacher),
                                                        c.count, c.doubles});
            m_preview.changed.append(
                {kPlanList, planText(c.cls, c.course, c.teacher, c.count, c.doubles) + c.note});
        }
        if (!m_examples.isEmpty())
            m_preview.notes << QStringLiteral("模板的示例行未导入：%1")
                                   .arg(m_examples.join(QStringLiteral("、")));
        groupProblems();
        return m_preview;
    }

    ImportPreview m_preview;

private:
    struct PendingPlan {
        int cls, course, teacher, count;
        int doubles = 0;
    };
    struct PendingJoint {
        int cls, course, teacher;
        QList<int> others;
    };

    // 合班: the other classes a plan row names, by index into the class list;
    // the reasons against them go to `reasons`. "、" separates them (also
    // "，" and ",", as typed by hand).
    QList<int> jointClasses(const QString& text, int cls, int courseFound, int teacherFound,
                            QStringList& reasons) const {
        QList<int> others;
        QString list = text;
        list.replace(u'，', u'、').replace(u',', u'、');
        for (const QString& part : list.split(u'、')) {
            const QString other = part.trimmed();
            if (other.isEmpty())
                continue;
            const int at = m_lists[0].find(other);
            if (at < 0) {
                reasons << QStringLiteral("合班的班级「%1」不在班级名单中").arg(other);
            } else if (at == cls) {
                reasons << QStringLiteral("班级不能与自己合班");
            } else if (others.contains(at)) {
                reasons << QStringLiteral("合班的「%1」重复").arg(other);
            } else if (const int t = m_teacherOf.value(PlanKey(at, courseFound, -1), -1);
                       courseFound >= 0 && t >= 0 && t != teacherFound) {
                reasons << QStringLiteral("%1的「%2」已由「%3」任教，不能合班")
                               .arg(name(0, at), name(1, courseFound), name(2, t));
            } else if (courseFound >= 0 && teacherFound >= 0 &&
                       m_inJoint.contains(PlanKey(at, courseFound, teacherFound))) {
                reasons << QStringLiteral("「%1」的这门课已在另一个合班中").arg(other);
            } else {
                others << at;
            }
        }
        return others;
    }

    // The further classes take the row's lessons: each gets the plan row
    // (with the first class's count) unless it has it already.
    void addJoint(const QString& sheet, int row, int cls, int course, int teacher, int count,
                  const QList<int>& others) {
        for (int c : QList<int>{cls} + others)
            m_inJoint.insert(PlanKey(c, course, teacher));
        for (int other : others) {
            const QString key = PlanKey(other, course, teacher);
            m_teacherOf.insert(PlanKey(other, course, -1), teacher);
            if (m_planKeys.contains(key) || m_planSeenAt.contains(key))
                continue;
            m_planSeenAt.insert(key, Place(sheet, row));
            m_plan.append({other, course, teacher, count});
        }
        m_joints.append({cls, course, teacher, others});
    }
    struct PlanChange {
        int cls, course, oldTeacher, teacher, count;
        QString note;
        int doubles = 0;
    };

    static QString PlanKey(int cls, int course, int teacher) {
        return QStringLiteral("%1|%2|%3").arg(cls).arg(course).arg(teacher);
    }
    static QString RecordText(const CodeRecord& r) {
        return (r.code.isEmpty() ? QString() : r.code + QStringLiteral("  ")) + r.name;
    }
    QString code(int list, int i) const { return m_lists[list].entries[i].record.code; }
    QString name(int list, int i) const { return m_lists[list].entries[i].record.name; }
    QString planText(int cls, int course, int teacher, int count, int doubles = 0) const {
        return QStringLiteral("%1  %2  %3  %4节")
                   .arg(name(0, cls), name(1, course), name(2, teacher))
                   .arg(count) +
               (doubles > 0 ? QStringLiteral("（连堂 %1）").arg(doubles) : QString());
    }

    void problem(const QString& sheet, int row, const QString& reason) {
        m_preview.problems.append({sheet, row, reason, row > 0 ? QList<int>{row} : QList<int>{}});
    }

    // One problem per sheet and reason, with all its rows: one misspelt class
    // in a plan of a hundred rows is one cause to fix, not a hundred.
    void groupProblems() {
        QList<ImportProblem> grouped;
        QHash<QPair<QString, QString>, qsizetype> at;
        for (const ImportProblem& p : m_preview.problems) {
            const QPair<QString, QString> key{p.sheet, p.reason};
            if (!at.contains(key)) {
                at.insert(key, grouped.size());
                grouped.append(p);
                continue;
            }
            ImportProblem& g = grouped[at.value(key)];
            for (const int r : p.rows)
                if (!g.rows.contains(r))
                    g.rows.append(r);
        }
        for (ImportProblem& g : grouped) {
            std::sort(g.rows.begin(), g.rows.end());
            g.row = g.rows.isEmpty() ? g.row : g.rows.first();
        }
        m_preview.problems = grouped;
    }

    void readListRow(const QString& sheet, int row, const QStringList& cells, const Layout& layout,
                     int list) {
        if (!isData(sheet, row, cells))
            return;
        CourseRule rule;
        if (list == 1) {
            const QString why = readCourseRule(cells, layout, rule);
            if (!why.isEmpty()) {
                problem(sheet, row, why);
                return;
            }
        }
        TeacherRow teacherRow;
        if (list == 2) {
            const QString why = readTeacherRule(cells, layout, teacherRow);
            if (!why.isEmpty()) {
                problem(sheet, row, why);
                return;
            }
        }
        CodeRecord r{HalfWidthDigits(Cell(cells, layout, Field::Code)),
                     Cell(cells, layout, Field::Name), Cell(cells, layout, Field::FullName),
                     Cell(cells, layout, Field::ShortName)};
        const CodeRecord given = r; // the names as the row has them, for a rename
        ListState& state = m_lists[list];
        if (state.table == CodeTable::Class) {
            if (!readClassRecord(sheet, row, r))
                return;
        } else {
            const bool listed = !r.code.isEmpty() && state.byCode.contains(r.code);
            if (r.name.isEmpty() && listed)
                r.name = state.entries[state.byCode.value(r.code)].record.name;
            if (r.name.isEmpty()) {
                problem(sheet, row, QStringLiteral("%1名称为空").arg(state.title));
                return;
            }
            if (r.fullName.isEmpty())
                r.fullName = r.name;
            if (r.shortName.isEmpty())
                r.shortName = r.name;
        }
        const QString tooLong = TooLong({r.code, r.name, r.fullName, r.shortName});
        if (!tooLong.isEmpty()) {
            problem(sheet, row, tooLong);
            return;
        }
        const QString here = Place(sheet, row);
        if (!r.code.isEmpty() && state.codeSeenAt.contains(r.code)) {
            problem(
                sheet, row,
                QStringLiteral("代码「%1」重复（%2已有）").arg(r.code, state.codeSeenAt[r.code]));
            return;
        }
        if (state.nameSeenAt.contains(r.name)) {
            problem(
                sheet, row,
                QStringLiteral("名称「%1」重复（%2已有）").arg(r.name, state.nameSeenAt[r.name]));
            return;
        }
        if (!r.code.isEmpty())
            state.codeSeenAt.insert(r.code, here);
        state.nameSeenAt.insert(r.name, here);

        const int byCode = r.code.isEmpty() ? -1 : state.byCode.value(r.code, -1);
        const int found = byCode >= 0 ? byCode : state.byName.value(r.name, -1);
        if (found < 0) {
            const int added = state.add(
                {r, true, list == 2 ? teacherRuleText(teacherRow) : RuleText(rule, false)});
            if (!rule.isEmpty())
                m_courseRules.insert(added, rule);
            if (list == 2)
                setTeacherRule(added, teacherRow);
            return;
        }
        const Entry& known = state.entries[found];
        QString note;
        if (known.isNew)
            note = QStringLiteral("（同一文件中已列出）");
        else if (byCode < 0 && !r.code.isEmpty())
            note = QStringLiteral("（名称相同，名单中的代码 %1 保持不变）").arg(known.record.code);
        // A changed setting is a change of the entry, told with its names.
        QString ruleNote;
        if (list == 1 && !known.isNew) {
            // Only what the row sets changes; an empty cell (or an older
            // workbook without the column) keeps the stored setting.
            const CourseRule stored = m_storedRules.value(known.record.code);
            CourseRule merged = stored;
            if (rule.maxClasses)
                merged.maxClasses = rule.maxClasses;
            if (rule.maxPerDay)
                merged.maxPerDay = rule.maxPerDay;
            if (!(merged == stored)) {
                m_courseRules.insert(found, merged);
                ruleNote = RuleText(merged, true);
            }
        }
        if (list == 2 && !known.isNew)
            ruleNote = setTeacherRule(found, teacherRow);
        const qsizetype changes = m_preview.changed.size();
        if (!known.isNew && byCode >= 0 && rename(sheet, row, list, found, given, r)) {
            if (!ruleNote.isEmpty() && m_preview.changed.size() > changes)
                m_preview.changed.last().text += ruleNote;
            return;
        }
        if (!ruleNote.isEmpty())
            m_preview.changed.append({state.title, RecordText(known.record) + note + ruleNote});
        else
            m_preview.existing.append({state.title, RecordText(known.record) + note});
    }

    // Whether a row of a list, the plan or the time off is read at all: not
    // when it is empty, has a cell no name may be (told as the row's problem)
    // or is one of the template's examples.
    bool isData(const QString& sheet, int row, const QStringList& cells) {
        if (AllEmpty(cells))
            return false;
        if (const QString why = NotANameIn(cells); !why.isEmpty()) {
            problem(sheet, row, why);
            return false;
        }
        return !isExample(sheet, row, cells);
    }

    // The template's example rows show the layout; they are never data.
    bool isExample(const QString& sheet, int row, const QStringList& cells) {
        for (const QString& cell : cells)
            if (cell.trimmed() == ImportExampleMark()) {
                m_examples << Place(sheet, row);
                return true;
            }
        return false;
    }

    // A class row in any office form: the code read from the names when it
    // has none, the names in the school's own forms when they are a form of
    // the class's name. False, with the problem told, when the row names no class.
    bool readClassRecord(const QString& sheet, int row, CodeRecord& r) {
        const ListState& state = m_lists[0];
        QString nameCode; // the class the names read as
        for (const QString* text : {&r.name, &r.fullName, &r.shortName}) {
            const QString code = ClassCodeOfName(*text);
            if (code.isEmpty())
                continue;
            if (!nameCode.isEmpty() && code != nameCode) {
                problem(sheet, row,
                        QStringLiteral("「%1」与「%2」不是同一个班").arg(r.name, *text));
                return false;
            }
            nameCode = code;
        }
        if (r.code.isEmpty()) {
            const int stored = r.name.isEmpty() ? -1 : state.byName.value(r.name, -1);
            r.code = stored >= 0 ? state.entries[stored].record.code : nameCode;
        }
        if (r.code.isEmpty()) {
            problem(
                sheet, row,
                r.name.isEmpty()
                    ? QStringLiteral("班级名称为空")
                    : QStringLiteral("没有班级代码，从名称「%1」也看不出年级和班号（可写成 %2）")
                          .arg(r.name, ClassNameForms()));
            return false;
        }
        const int listed = state.byCode.value(r.code, -1);
        if (listed < 0 && !IsClassCode(r.code)) {
            problem(sheet, row,
                    QStringLiteral("班级代码「%1」应为年级数字（学前为0）加班号，如 11、212、02")
                        .arg(r.code));
            return false;
        }
        ClassNames own;
        if (listed >= 0) {
            const CodeRecord& k = state.entries[listed].record;
            own = {k.name, k.fullName, k.shortName};
        } else {
            const ClassCodeParts p = SplitClassCode(r.code);
            own = FormClassNames(p.grade, p.classNumber);
        }
        // A listed class keeps a code of its own; its stored name says which class it is.
        const QString codeClass = listed >= 0 ? ClassCodeOfName(own.name) : r.code;
        if (!nameCode.isEmpty() && !codeClass.isEmpty() && nameCode != codeClass) {
            problem(sheet, row,
                    QStringLiteral("班级代码「%1」与名称「%2」不是同一个班").arg(r.code, r.name));
            return false;
        }
        for (const auto& [text, form] :
             {std::pair{&r.name, own.name}, std::pair{&r.fullName, own.fullName},
              std::pair{&r.shortName, own.shortName}})
            if (text->isEmpty() || !ClassCodeOfName(*text).isEmpty())
                *text = form;
        return true;
    }

    // An entry of the file with a listed code and other names: the names are
    // changed. True when the row is told as a change or a problem.
    bool rename(const QString& sheet, int row, int list, int found, const CodeRecord& given,
                const CodeRecord& r) {
        ListState& state = m_lists[list];
        const CodeRecord known = state.entries[found].record;
        CodeRecord next = known;
        next.name = r.name;
        if (state.table == CodeTable::Class) {
            next.fullName = r.fullName;
            next.shortName = r.shortName;
        } else {
            // A full or short name left empty follows the name where it did.
            next.fullName = !given.fullName.isEmpty()      ? given.fullName
                            : known.fullName == known.name ? r.name
                                                           : known.fullName;
            next.shortName = !given.shortName.isEmpty()      ? given.shortName
                             : known.shortName == known.name ? r.name
                                                             : known.shortName;
        }
        if (next.name == known.name && next.fullName == known.fullName &&
            next.shortName == known.shortName)
            return false;
        const int other = state.byName.value(next.name, -1);
        if (other >= 0 && other != found) {
            problem(sheet, row,
                    QStringLiteral("名称「%1」已是代码 %2 的名称，不能改为它")
                        .arg(next.name, state.entries[other].record.code));
            return true;
        }
        QString text = next.name == known.name
                           ? QStringLiteral("%1  %2").arg(known.code, known.name)
                           : QStringLiteral("%1  %2 → %3").arg(known.code, known.name, next.name);
        if (next.fullName != known.fullName && next.fullName != next.name)
            text += QStringLiteral("  全称「%1」").arg(next.fullName);
        if (next.shortName != known.shortName && next.shortName != next.name)
            text += QStringLiteral("  简称「%1」").arg(next.shortName);
        m_preview.changed.append({state.title, text});
        m_renamed.append({list, next});
        // Later rows and the plan may name the entry by its new name.
        state.entries[found].record = next;
        state.byName.insert(next.name, found);
        return true;
    }

    // The class a plan row names: by code or stored name, else by any office
    // form. A readable name of an unlisted class gives its code in newCode.
    int findPlanClass(const QString& text, QString& newCode) const {
        const ListState& classes = m_lists[0];
        const int found = classes.find(text);
        if (found >= 0)
            return found;
        const QString code = ClassCodeOfName(text);
        if (code.isEmpty())
            return -1;
        if (classes.byCode.contains(code))
            return classes.byCode.value(code);
        const ClassCodeParts p = SplitClassCode(code);
        const int byName = classes.byName.value(FormClassNames(p.grade, p.classNumber).name, -1);
        if (byName < 0)
            newCode = code;
        return byName;
    }

    // The class a row of the class × subject layout names: by its code when
    // the list has it, else by its name (which may add the class). Nothing,
    // with the problem told, when code and name are two classes.
    std::optional<QString> gridClass(const QString& sheet, int row, const QString& code,
                                     const QString& name) {
        if (code.isEmpty() || name.isEmpty())
            return code.isEmpty() ? name : code;
        QString newCode;
        const int byName = findPlanClass(name, newCode);
        const int byCode = m_lists[0].byCode.value(code, -1);
        const bool same =
            byCode >= 0 ? byName == byCode : byName < 0 && (newCode.isEmpty() || newCode == code);
        if (!same) {
            problem(sheet, row,
                    QStringLiteral("班级代码「%1」与名称「%2」不是同一个班").arg(code, name));
            return std::nullopt;
        }
        return byCode >= 0 ? code : name;
    }

    // The stored count of a class's course, as text; "0" when the plan has none.
    QString storedCount(const QString& cls, const QString& course) const {
        QString unused;
        const int c = findPlanClass(cls, unused);
        const int k = m_lists[1].find(course);
        const int teacher = c < 0 || k < 0 ? -1 : m_teacherOf.value(PlanKey(c, k, -1), -1);
        if (teacher < 0)
            return QStringLiteral("0");
        const QString count = m_planKeys.value(PlanKey(c, k, teacher)).count;
        return count.isEmpty() ? QStringLiteral("0") : count;
    }

    // A course row's 同时上课班数 and 每天最多节数: empty sets nothing. The
    // reason why a value is wrong; empty when both read.
    // The course window stores a limit up to the classes and the lessons a day
    // of the moment; a class deleted or a shorter day since leaves it higher.
    // Such a limit binds nothing, and the template of that school must read
    // back: a value above the classes is taken as it is, and so is one up to
    // the longest school day.
    QString readCourseRule(const QStringList& cells, const Layout& layout, CourseRule& rule) const {
        const std::pair<Field, std::optional<int> CourseRule::*> fields[] = {
            {Field::MaxClasses, &CourseRule::maxClasses},
            {Field::MaxPerDay, &CourseRule::maxPerDay}};
        QStringList reasons;
        for (const auto& [field, member] : fields) {
            const QString text = Cell(cells, layout, field);
            if (text.isEmpty())
                continue;
            const bool classes = field == Field::MaxClasses;
            const int most = classes ? kMostStoredLimit : Week::kMaxLessonsPerDay;
            bool ok = false;
            const double v = text.toDouble(&ok);
            if (ok && v >= 1 && v <= most && v == static_cast<double>(static_cast<int>(v)))
                rule.*member = static_cast<int>(v);
            else if (classes)
                reasons << QStringLiteral(
                               "同时上课班数「%1」不对，应是 1 以上的整数（空着表示不限）")
                               .arg(text);
            else
                reasons << QStringLiteral("每天最多节数「%1」不对，应是 1 到 %2 "
                                          "的整数（空着表示按每周节数计算）")
                               .arg(text)
                               .arg(most);
        }
        return reasons.join(QStringLiteral("；"));
    }

    static QString RuleText(const CourseRule& rule, bool changed) {
        const QString to = changed ? QStringLiteral("改为") : QString();
        QStringList parts;
        if (rule.maxClasses)
            parts << QStringLiteral("同时上课班数%1 %2").arg(to).arg(*rule.maxClasses);
        if (rule.maxPerDay)
            parts << QStringLiteral("每天最多节数%1 %2").arg(to).arg(*rule.maxPerDay);
        return parts.isEmpty() ? QString()
                               : QStringLiteral("（%1）").arg(parts.join(QStringLiteral("，")));
    }

    // A teacher row's 每天最多节数, 最多连上节数 and 教研组 as read: empty
    // cells set nothing.
    struct TeacherRow {
        std::optional<int> maxPerDay, maxInRow;
        QString group;
    };

    // The reason why a value is wrong; empty when every one reads.
    QString readTeacherRule(const QStringList& cells, const Layout& layout, TeacherRow& out) const {
        const std::pair<Field, QString> fields[] = {
            {Field::MaxPerDay,
             QStringLiteral("每天最多节数「%1」不对，应是 1 到 %2 的整数（空着表示不限）")},
            {Field::MaxInRow,
             QStringLiteral("最多连上节数「%1」不对，应是 1 到 %2 的整数（空着表示不限）")}};
        QStringList reasons;
        for (const auto& [field, message] : fields) {
            const QString text = Cell(cells, layout, field);
            if (text.isEmpty())
                continue;
            bool ok = false;
            const double v = HalfWidthDigits(text).toDouble(&ok);
            // The teacher window offers up to the longest school day whatever
            // this one is; above the day a limit binds nothing but still reads.
            const int most = Week::kMaxLessonsPerDay;
            if (!ok || v < 1 || v > most || v != static_cast<double>(static_cast<int>(v)))
                reasons << message.arg(text).arg(most);
            else
                (field == Field::MaxPerDay ? out.maxPerDay : out.maxInRow) = static_cast<int>(v);
        }
        out.group = Cell(cells, layout, Field::Group);
        if (const QString tooLong = TooLong({out.group}); !tooLong.isEmpty())
            reasons << QStringLiteral("教研组") + tooLong;
        return reasons.join(QStringLiteral("；"));
    }

    QString teacherRuleText(const TeacherRow& t) const {
        QStringList parts;
        if (t.maxPerDay)
            parts << QStringLiteral("每天最多节数 %1").arg(*t.maxPerDay);
        if (t.maxInRow)
            parts << QStringLiteral("最多连上节数 %1").arg(*t.maxInRow);
        if (!t.group.isEmpty())
            parts << QStringLiteral("教研组 %1").arg(t.group);
        return parts.isEmpty() ? QString()
                               : QStringLiteral("（%1）").arg(parts.join(QStringLiteral("，")));
    }

    // Merges the row into the teacher's stored rule (or the one an earlier
    // row gave) and keeps it to write when it differs. A group named for the
    // first time joins the group list. Returns what changes, for the preview
    // of a listed teacher.
    QString setTeacherRule(int teacher, const TeacherRow& t) {
        const Entry& e = m_lists[2].entries[teacher];
        PendingTeacherRule before;
        if (m_teacherRules.contains(teacher)) {
            before = m_teacherRules.value(teacher);
        } else if (!e.isNew) {
            before.rule = m_storedTeacherRules.of(e.record.code);
            before.group = before.rule.groupCode.isEmpty()
                               ? -1
                               : m_groups.byCode.value(before.rule.groupCode, -1);
        }
        PendingTeacherRule after = before;
        QStringList parts;
        if (t.maxPerDay && *t.maxPerDay != before.rule.maxPerDay) {
            after.rule.maxPerDay = *t.maxPerDay;
            parts << QStringLiteral("每天最多节数改为 %1").arg(*t.maxPerDay);
        }
        if (t.maxInRow && *t.maxInRow != before.rule.maxInRow) {
            after.rule.maxInRow = *t.maxInRow;
            parts << QStringLiteral("最多连上节数改为 %1").arg(*t.maxInRow);
        }
        if (!t.group.isEmpty()) {
            int group = m_groups.find(t.group);
            if (group < 0)
                group = m_groups.add({{QString(), t.group, t.group, t.group},
                                      true,
                                      QStringLiteral("（老师名单中出现，加入教研组名单）")});
            if (group != before.group) {
                after.group = group;
                parts << QStringLiteral("教研组改为 %1").arg(m_groups.entries[group].record.name);
            }
        }
        if (parts.isEmpty())
            return {};
        m_teacherRules.insert(teacher, after);
        return QStringLiteral("（%1）").arg(parts.join(QStringLiteral("，")));
    }

    // A row of 不排时间: whose time, which day, which periods. The name is
    // looked up in the lists as the file leaves them, so a teacher added by
    // the same workbook may be given time off.
    void readTimeOffRow(const QString& sheet, int row, const QStringList& cells,
                        const Layout& layout) {
        if (!isData(sheet, row, cells))
            return;
        bool wrong = false;
        const auto reason = [&](const QString& text) {
            problem(sheet, row, text);
            wrong = true;
        };
        const QString category = Cell(cells, layout, Field::Category);
        const QString name = Cell(cells, layout, Field::Name);
        const QString dayText = Cell(cells, layout, Field::Day);
        const QString periodsText = Cell(cells, layout, Field::Periods);
        const int list = TimeOffList(category);
        if (category.isEmpty())
            reason(QStringLiteral("类别为空"));
        else if (list < 0)
            reason(QStringLiteral("类别「%1」不对，应是 班级、老师、课程 或 教研组").arg(category));
        int entry = -1;
        if (name.isEmpty()) {
            reason(QStringLiteral("名称为空"));
        } else if (list >= 0) {
            QString unlisted;
            entry = list == 0 ? findPlanClass(name, unlisted)
                              : (list == 3 ? m_groups : m_lists[list]).find(name);
            if (entry < 0)
                reason(QStringLiteral("没有这个%1：%2")
                           .arg(list == 3 ? kGroupList : kListNames[list], name));
        }
        const std::optional<int> day = ParseDay(dayText);
        if (!day)
            reason(dayText.isEmpty()
                       ? QStringLiteral("星期为空")
                       : QStringLiteral("星期「%1」不对，应是 一 到 五").arg(dayText));
        const std::optional<std::pair<int, int>> periods =
            ParsePeriods(periodsText, m_week.lessonsPerDay());
        if (!periods)
            reason(periodsText.isEmpty()
                       ? QStringLiteral("节次为空")
                       : QStringLiteral("节次「%1」不对，应是 1 到 %2 的节次，或 5-6 这样的范围")
                             .arg(periodsText)
                             .arg(m_week.lessonsPerDay()));
        if (wrong)
            return;
        m_timeOff.append({list, entry, *day, periods->first, periods->second});
    }

    // 班级 0, 课程 1, 老师 2, 教研组 3; -1 for any other text.
    static int TimeOffList(const QString& category) {
        if (category == u"班级" || category == u"班")
            return 0;
        if (category == u"课程" || category == u"科目")
            return 1;
        if (category == u"老师" || category == u"教师")
            return 2;
        if (category == u"教研组")
            return 3;
        return -1;
    }

    // The time off as cells to write; a row whose periods are all "不排"
    // already is told as existing, one that turns another setting into
    // "不排" as a change.
    void finishTimeOff() {
        constexpr LimitKind kinds[] = {LimitKind::Class, LimitKind::Course, LimitKind::Teacher,
                                       LimitKind::Group};
        QSet<QString> seen; // a period two rows give is written once
        for (const PendingTimeOff& t : m_timeOff) {
            const ListState& list = t.list == 3 ? m_groups : m_lists[t.list];
            const Entry& e = list.entries[t.entry];
            const LimitKind kind = kinds[t.list];
            QHash<int, int> stored; // day * 100 + lesson → attr
            if (!e.isNew)
                for (const LimitCell& c : ReadLimits(m_db, kind, e.record.code))
                    if (c.attr)
                        stored.insert(c.period.day * 100 + c.period.lessonNo, *c.attr);
            QStringList was;
            bool added = false;
            for (int lesson = t.from; lesson <= t.to; ++lesson) {
                const QString key =
                    QStringLiteral("%1|%2|%3|%4").arg(t.list).arg(t.entry).arg(t.day).arg(lesson);
                const int attr = stored.value(t.day * 100 + lesson, attrOf(LimitLevel::Normal));
                if (seen.contains(key) || attr == attrOf(LimitLevel::Never))
                    continue;
                seen.insert(key);
                m_preview.additions.timeOff.append({kind, e.record.code, {t.day, lesson}});
                added = true;
                const QString text = LimitAttrText(attr);
                if (attr != attrOf(LimitLevel::Normal) && !was.contains(text))
                    was << text;
            }
            static const QString days = QStringLiteral("一二三四五");
            QString text = QStringLiteral("%1  %2  星期%3  第 %4 节")
                               .arg(list.title, e.record.name, days.at(t.day - 1))
                               .arg(t.from == t.to ? QString::number(t.from)
                                                   : QStringLiteral("%1–%2").arg(t.from).arg(t.to));
            if (!added)
                m_preview.existing.append({kTimeOffList, text});
            else if (!was.isEmpty())
                m_preview.changed.append(
                    {kTimeOffList,
                     text + QStringLiteral("（原为%1）").arg(was.join(QStringLiteral("、")))});
            else
                m_preview.added.append({kTimeOffList, text});
        }
    }

    // The index of a course or teacher named in a plan row, added to its list
    // when the list does not have it.
    int planReference(int list, const QString& key) {
        const int found = m_lists[list].find(key);
        if (found >= 0)
            return found;
        CodeRecord r{QString(), key, key, key};
        return m_lists[list].add(
            {r, true, QStringLiteral("（教学计划中出现，加入%1名单）").arg(m_lists[list].title)});
    }

    void readPlanRow(const QString& sheet, int row, const QStringList& cells,
                     const Layout& layout) {
        if (!isData(sheet, row, cells))
            return;
        addPlan(sheet, row, Cell(cells, layout, Field::Class), Cell(cells, layout, Field::Course),
                Cell(cells, layout, Field::Teacher), Cell(cells, layout, Field::Count),
                Cell(cells, layout, Field::Doubles), Cell(cells, layout, Field::Joint));
    }

    // 连堂: how many of the row's lessons are double lessons, two periods
    // each. Empty: none for a new row, the stored number for a stored one.
    std::optional<int> readDoubles(const QString& text, std::optional<int> count,
                                   QString& why) const {
        if (text.isEmpty())
            return std::nullopt;
        bool ok = false;
        const double v = HalfWidthDigits(text).toDouble(&ok);
        if (!ok || v < 0 || v != static_cast<double>(static_cast<int>(v)) ||
            v > m_week.periodCount()) {
            why = QStringLiteral("连堂「%1」不对，应是 0 或正整数（每次连堂占 2 节）").arg(text);
            return std::nullopt;
        }
        const int n = static_cast<int>(v);
        if (count && 2 * n > *count)
            why = QStringLiteral("连堂 %1 次要 %2 节，超过节数 %3").arg(n).arg(2 * n).arg(*count);
        return n;
    }

    // One lesson assignment, from a row of the plan sheet or a cell of the
    // class × subject layout.
    void addPlan(const QString& sheet, int row, const QString& cls, const QString& course,
                 const QString& teacher, const QString& countText,
                 const QString& doublesText = QString(), const QString& jointText = QString()) {
        for (const QString& cell : {cls, course, teacher})
            if (const QString why = NotAName(cell); !why.isEmpty()) {
                problem(sheet, row, why);
                return;
            }
        // Each cause on its own, so rows sharing one are told once.
        bool wrong = false;
        const auto reason = [&](const QString& text) {
            problem(sheet, row, text);
            wrong = true;
        };
        QString newClass;
        int clsIndex = cls.isEmpty() ? -1 : findPlanClass(cls, newClass);
        if (cls.isEmpty())
            reason(QStringLiteral("班级为空"));
        else if (clsIndex < 0 && newClass.isEmpty())
            reason(QStringLiteral("没有这个班级：%1，名称也看不出年级和班号（可写成 %2）")
                       .arg(cls, ClassNameForms()));
        if (course.isEmpty())
            reason(QStringLiteral("课程为空"));
        if (teacher.isEmpty())
            reason(QStringLiteral("老师为空"));
        const std::optional<int> count = ParseCount(countText, m_week);
        if (!count)
            reason(QStringLiteral("节数「%1」不对，%2").arg(countText, lessonCountRule(m_week)));
        QString doublesWrong;
        const std::optional<int> doubles = readDoubles(doublesText, count, doublesWrong);
        if (!doublesWrong.isEmpty())
            reason(doublesWrong);
        const QString tooLong = TooLong({course, teacher});
        if (!tooLong.isEmpty())
            reason(tooLong);
        // Checked before anything is added, so a wrong row adds no course or teacher.
        const int courseFound = m_lists[1].find(course);
        const int teacherFound = m_lists[2].find(teacher);
        QStringList jointReasons;
        const QList<int> joint =
            jointClasses(jointText, clsIndex, courseFound, teacherFound, jointReasons);
        for (const QString& why : jointReasons)
            reason(why);
        if (!joint.isEmpty() && doubles.value_or(0) > 0)
            reason(QStringLiteral("合班的课不能连堂"));
        if (wrong)
            return;
        if (clsIndex >= 0 && courseFound >= 0 && teacherFound >= 0) {
            const QString key = PlanKey(clsIndex, courseFound, teacherFound);
            if (m_planSeenAt.contains(key)) {
                problem(sheet, row, QStringLiteral("与%1重复").arg(m_planSeenAt[key]));
                return;
            }
        }
        // The file gives a class's course to one teacher; the stored plan's
        // teacher of it is replaced.
        int replaced = -1;
        if (clsIndex >= 0 && courseFound >= 0) {
            const QString course1 = PlanKey(clsIndex, courseFound, -1);
            const int other = m_teacherOf.value(course1, -1);
            if (other >= 0 && other != teacherFound) {
                if (m_courseSeenAt.contains(course1)) {
                    problem(sheet, row,
                            QStringLiteral("%1的「%2」已由「%3」任教（%4），一门课只能由一位老师教")
                                .arg(name(0, clsIndex), name(1, courseFound), name(2, other),
                                     m_courseSeenAt.value(course1)));
                    return;
                }
                replaced = other;
            }
        }
        // An empty 连堂 keeps the stored row's double lessons, which must
        // still fit its count.
        const int storedTeacher = replaced >= 0 ? replaced : teacherFound;
        const int keptDoubles =
            clsIndex >= 0 && courseFound >= 0 && storedTeacher >= 0
                ? m_planKeys.value(PlanKey(clsIndex, courseFound, storedTeacher)).doubles
                : 0;
        if (!doubles && 2 * keptDoubles > *count) {
            problem(sheet, row,
                    QStringLiteral("节数 %1 容不下已有的 %2 次连堂，请在“连堂”一列填写")
                        .arg(*count)
                        .arg(keptDoubles));
            return;
        }
        const int rowDoubles = doubles.value_or(keptDoubles);
        if (clsIndex < 0) {
            const ClassCodeParts p = SplitClassCode(newClass);
            const ClassNames names = FormClassNames(p.grade, p.classNumber);
            clsIndex = m_lists[0].add({{newClass, names.name, names.fullName, names.shortName},
                                       true,
                                       QStringLiteral("（教学计划中出现，加入班级名单）")});
        }
        const int courseIndex = planReference(1, course);
        const int teacherIndex = planReference(2, teacher);
        const QString key = PlanKey(clsIndex, courseIndex, teacherIndex);
        m_planSeenAt.insert(key, Place(sheet, row));
        m_courseSeenAt.insert(PlanKey(clsIndex, courseIndex, -1), Place(sheet, row));
        m_teacherOf.insert(PlanKey(clsIndex, courseIndex, -1), teacherIndex);
        if (replaced >= 0) {
            const StoredPlan stored = m_planKeys.value(PlanKey(clsIndex, courseIndex, replaced));
            QString note = QStringLiteral("（原由「%1」任教").arg(name(2, replaced));
            if (stored.count != QString::number(*count))
                note += QStringLiteral("，%1 节").arg(stored.count);
            if (stored.doubles != rowDoubles)
                note += QStringLiteral("，连堂 %1").arg(stored.doubles);
            if (stored.placed > 0)
                note += QStringLiteral("；已排的 %1 节仍由原老师上，重新排课或手工调整后才换")
                            .arg(stored.placed);
            m_changes.append({clsIndex, courseIndex, replaced, teacherIndex, *count,
                              note + QStringLiteral("）"), rowDoubles});
            return;
        }
        if (m_planKeys.contains(key)) {
            const StoredPlan stored = m_planKeys.value(key);
            const bool sameCount = stored.count == QString::number(*count);
            QStringList was;
            if (!sameCount)
                was << QStringLiteral("原为 %1 节")
                           .arg(stored.count.isEmpty() ? QStringLiteral("空") : stored.count);
            if (stored.doubles != rowDoubles)
                was << QStringLiteral("连堂原为 %1").arg(stored.doubles);
            const QString text = planText(clsIndex, courseIndex, teacherIndex, *count, rowDoubles);
            // A stored row keeps its 合班 too, as it keeps its teacher.
            const QString jointNote =
                joint.isEmpty() ? QString() : QStringLiteral("（合班保持不变）");
            if (was.isEmpty()) {
                m_preview.existing.append({kPlanList, text + jointNote});
                return;
            }
            const QString note =
                QStringLiteral("（%1）").arg(was.join(QStringLiteral("，"))) + jointNote;
            if (sameCount) {
                m_changedDoubles.append({clsIndex, courseIndex, teacherIndex, *count, rowDoubles});
                m_preview.changed.append({kPlanList, text + note});
            } else {
                m_changes.append(
                    {clsIndex, courseIndex, teacherIndex, teacherIndex, *count, note, rowDoubles});
            }
            return;
        }
        m_plan.append({clsIndex, courseIndex, teacherIndex, *count, rowDoubles});
        if (!joint.isEmpty())
            addJoint(sheet, row, clsIndex, courseIndex, teacherIndex, *count, joint);
    }

    // New courses and teachers without a code follow the codes the list has:
    // the commonest prefix and width (01–12 → 13, T001–T040 → T041), the
    // numbers after the highest of that prefix; three digits for an empty list.
    static void giveCodes(ListState& list) {
        struct Pattern {
            QString prefix;
            int width = 3;
            int members = 0;
        };
        QList<Pattern> patterns;
        QHash<QString, long long> highest; // by prefix
        for (const Entry& e : list.entries) {
            const QString& c = e.record.code;
            qsizetype digits = 0;
            while (digits < c.size() && c.at(c.size() - 1 - digits).isDigit() &&
                   c.at(c.size() - 1 - digits).unicode() < 128)
                ++digits;
            const QString prefix = c.left(c.size() - digits);
            bool ok = false;
            const long long n = c.right(digits).toLongLong(&ok);
            if (!ok || digits > kMaxText ||
                std::any_of(prefix.begin(), prefix.end(), [](QChar ch) { return ch.isDigit(); }))
                continue;
            highest[prefix] = std::max(highest.value(prefix), n);
            const auto same = std::find_if(patterns.begin(), patterns.end(), [&](const Pattern& p) {
                return p.prefix == prefix && p.width == digits;
            });
            if (same == patterns.end())
                patterns.append({prefix, static_cast<int>(digits), 1});
            else
                ++same->members;
        }
        Pattern best;
        for (const Pattern& p : patterns)
            if (best.members == 0 || p.members > best.members ||
                (p.members == best.members && p.width > best.width))
                best = p;
        long long next = highest.value(best.prefix);
        // The largest number that keeps the code within ten characters.
        long long largest = 1;
        for (qsizetype i = best.prefix.size(); i < kMaxText; ++i)
            largest *= 10;
        --largest;
        for (Entry& e : list.entries)
            if (e.isNew && e.record.code.isEmpty()) {
                QString code;
                // Past the largest the numbers start again from the lowest free one.
                do {
                    next = next >= largest ? 1 : next + 1;
                    code = best.prefix +
                           QStringLiteral("%1").arg(next, best.width, 10, QLatin1Char('0'));
                } while (list.byCode.contains(code));
                e.record.code = code;
                list.byCode.insert(code, -1);
            }
    }

    TimetableDb& m_db;
    Week m_week;
    ListState m_lists[3];
    struct StoredPlan {
        QString count;
        long long placed = 0;
        int doubles = 0;
    };
    QHash<QString, StoredPlan> m_planKeys;  // "cls|course|teacher" → as stored
    QHash<QString, QString> m_courseSeenAt; // "cls|course|-1" → where the file names it
    QList<PlanChange> m_changes;
    QList<QPair<int, CodeRecord>> m_renamed; // list, record with its new names
    QStringList m_examples;                  // where the template's example rows stand
    QHash<QString, int> m_teacherOf;         // "cls|course|-1" → teacher
    QHash<QString, QString> m_planSeenAt;
    QList<PendingPlan> m_plan;
    QList<PendingJoint> m_joints;
    QSet<QString> m_inJoint; // "cls|course|teacher" of every class in a joint row of the file
    CourseRules m_storedRules;
    QMap<int, CourseRule> m_courseRules; // by course entry: the rules to write
    struct PendingTeacherRule {
        TeacherRule rule;
        int group = -1; // entry of m_groups; -1: rule.groupCode as it is
    };
    TeacherRules m_storedTeacherRules;
    QMap<int, PendingTeacherRule> m_teacherRules; // by teacher entry: the rules to write
    ListState m_groups;
    QList<PendingPlan> m_changedDoubles; // stored rows given other double lessons
    struct PendingTimeOff {
        int list, entry, day, from, to;
    };
    QList<PendingTimeOff> m_timeOff;
};

} // namespace

ImportPreview PrepareImport(TimetableDb& db, const QList<SheetTable>& sheets) {
    Importer importer(db);
    QList<QPair<const SheetTable*, Layout>> plans;
    QList<QPair<const SheetTable*, Layout>> timeOff;
    bool recognised = false;
    // The lists first, so a plan row may name a class from any sheet.
    for (const SheetTable& t : sheets) {
        const Layout layout = FindLayout(t);
        recognised = recognised || layout.kind != Sheet::Unknown;
        switch (layout.kind) {
        case Sheet::Classes:
            importer.readList(t, layout, 0);
            break;
        case Sheet::Courses:
            importer.readList(t, layout, 1);
            break;
        case Sheet::Teachers:
            importer.readList(t, layout, 2);
            break;
        case Sheet::Plan:
        case Sheet::Grid:
            plans.append({&t, layout});
            break;
        case Sheet::TimeOff:
            timeOff.append({&t, layout});
            break;
        case Sheet::Unknown:
            if (t.rows.isEmpty())
                break;
            importer.m_preview.notes
                << QStringLiteral(
                       "工作表「%1」没有认出是哪一种名单（应有“代码”“名称”等列标题），未读取")
                       .arg(t.name);
            break;
        }
    }
    for (const auto& [table, layout] : plans)
        if (layout.kind == Sheet::Grid)
            importer.readGrid(*table, layout);
        else
            importer.readPlan(*table, layout);
    // Last: the time off may name anything the lists and the plan add.
    for (const auto& [table, layout] : timeOff)
        importer.readTimeOff(*table, layout);
    if (!recognised) {
        QStringList names;
        for (const SheetTable& t : sheets)
            names << t.name;
        importer.m_preview.problems.append(
            {names.join(QStringLiteral("、")),
             0,
             QStringLiteral("没有认出任何一种名单（班级、课程、老师或教学计划），什么也没有导入"),
             {}});
    }
    return importer.finish();
}

QString ProblemPlace(const ImportProblem& problem) {
    if (problem.rows.size() <= 1)
        return Place(problem.sheet, problem.row);
    // Runs of rows as ranges: 第 3–5、9 行; a long list ends with its count.
    QStringList runs;
    constexpr int kShownRuns = 8;
    for (qsizetype i = 0; i < problem.rows.size();) {
        qsizetype j = i;
        while (j + 1 < problem.rows.size() && problem.rows[j + 1] == problem.rows[j] + 1)
            ++j;
        runs << (i == j ? QString::number(problem.rows[i])
                        : QStringLiteral("%1–%2").arg(problem.rows[i]).arg(problem.rows[j]));
        i = j + 1;
    }
    QString text = runs.mid(0, kShownRuns).join(QStringLiteral("、"));
    if (runs.size() > kShownRuns)
        text += QStringLiteral("等");
    return QStringLiteral("工作表「%1」第 %2 行（共 %3 行）")
        .arg(problem.sheet, text)
        .arg(problem.rows.size());
}

QString ConfirmText(const ImportPreview& p) {
    if (p.changed.isEmpty())
        return QStringLiteral("确定要添加这 %1 项吗？").arg(p.added.size());
    return QStringLiteral("确定要添加 %1 项、修改 %2 项吗？")
        .arg(p.added.size())
        .arg(p.changed.size());
}

QString DoneText(const ImportPreview& p) {
    if (p.changed.isEmpty())
        return QStringLiteral("导入完成：添加了 %1 项。").arg(p.added.size());
    return QStringLiteral("导入完成：添加了 %1 项，修改了 %2 项。")
        .arg(p.added.size())
        .arg(p.changed.size());
}

QStringList PreviewText(const ImportPreview& p) {
    QStringList lines;
    const auto group = [&](const QString& heading, const QList<ImportLine>& items) {
        lines << heading.arg(items.size());
        for (const ImportLine& l : items)
            lines << QStringLiteral("  %1  %2").arg(l.list, l.text);
    };
    group(QStringLiteral("将添加：%1 项"), p.added);
    group(QStringLiteral("将修改：%1 项"), p.changed);
    group(QStringLiteral("已存在：%1 项"), p.existing);
    lines << QStringLiteral("有错的行：%1 处").arg(p.problems.size());
    for (const ImportProblem& e : p.problems)
        lines << QStringLiteral("  %1：%2").arg(ProblemPlace(e), e.reason);
    for (const QString& n : p.notes)
        lines << QStringLiteral("注意：") + n;
    return lines;
}
