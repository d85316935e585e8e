#include "core/formats/SchoolImport.h"

#include "core/model/ClassNames.h"
#include "core/model/PlanRow.h"
#include "core/model/TextRules.h"
#include "core/store/CourseRuleStore.h"
#include "core/store/LessonsPerDay.h"

#include <QHash>
#include <QMap>
#include <QSet>
#include <array>
#include <optional>

namespace {

enum class Sheet { Unknown, Classes, Courses, Teachers, Plan };
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
    MaxClasses, // 课程: 同时上课班数
    MaxPerDay,  // 课程: 每天最多节数
};

constexpr int kMaxText = 10;          // the list editors' fields hold ten characters
constexpr int kHeaderSearchRows = 10; // a title or a note may stand above the headings

const QString kListNames[3] = {QStringLiteral("班级"), QStringLiteral("课程"),
                               QStringLiteral("老师")};
const QString kPlanList = QStringLiteral("教学计划");

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
    // "每天最多节数" is a limit of a list, not a plan's weekly count.
    if (h.contains(u"最多"))
        return false;
    return h.contains(u"节数") || h.contains(u"课时") || h == u"节" || h == u"周节";
}

// The optional columns of a course's own rules.
Field CourseRuleField(const QString& h) {
    if (h.startsWith(u"同时上课"))
        return Field::MaxClasses;
    if (h.startsWith(u"每天最多"))
        return Field::MaxPerDay;
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

struct Layout {
    Sheet kind = Sheet::Unknown;
    int headerRow = -1;        // index into rows
    QHash<Field, int> columns; // first column of each field
};

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
            listHits += ListField(headings.back()) != Field::None;
            planHits += PlanField(headings.back()) != Field::None;
            count = count || IsCountHeading(headings.back());
        }
        if (std::max(listHits, planHits) < 2)
            continue;
        layout.headerRow = r;
        std::array<int, 4> votes{};
        for (int c = 0; c < headings.size(); ++c) {
            Field f = count ? PlanField(headings[c]) : ListField(headings[c]);
            if (!count && f == Field::None)
                f = CourseRuleField(headings[c]);
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
    const double v = text.toDouble(&ok);
    if (!ok || !(v >= 0 && v <= week.periodCount()) ||
        v != static_cast<double>(static_cast<int>(v)))
        return std::nullopt;
    return static_cast<int>(v);
}

// The code of a class name in any of its three forms: 一（1）班 → 11.
bool ClassCodeOfName(const QString& name, QString& code) {
    for (int g = 0; g < kGradeCount; ++g)
        for (int n = 1; n <= kClassNumberCount; ++n) {
            const ClassNames names = FormClassNames(g, n);
            if (name == names.name || name == names.fullName || name == names.shortName) {
                code = FormClassCode(g, n);
                return true;
            }
        }
    return false;
}

bool IsClassCode(const QString& code) {
    const ClassCodeParts p = SplitClassCode(code);
    return p.grade >= 0 && p.grade < kGradeCount && p.classNumber >= 1 &&
           p.classNumber <= kClassNumberCount && FormClassCode(p.grade, p.classNumber) == code;
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
    explicit Importer(TimetableDb& db) : m_week(Week::ofLessons(LessonsPerDayFor(db, false))) {
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
        for (const PlanRow& p : ReadAllPlanRows(db)) {
            const int cls = m_lists[0].byCode.value(p.classCode, -1);
            const int course = m_lists[1].byCode.value(p.courseCode, -1);
            const int teacher = m_lists[2].byCode.value(p.teacherCode, -1);
            if (cls < 0 || course < 0 || teacher < 0)
                continue; // a row that data maintenance would remove
            m_planKeys.insert(PlanKey(cls, course, teacher),
                              p.count ? QString::number(*p.count) : QString());
            m_teacherOf.insert(PlanKey(cls, course, -1), teacher);
        }
        m_storedRules = ReadCourseRules(db);
    }

    void readList(const SheetTable& t, const Layout& layout, int list) {
        if (!layout.columns.contains(Field::Name) && !layout.columns.contains(Field::Code)) {
            problem(t.name, layout.headerRow + 1, QStringLiteral("找不到名称一列"));
            return;
        }
        for (int r = layout.headerRow + 1; r < t.rows.size(); ++r)
            readListRow(t.name, r + 1, t.rows[r], layout, list);
    }

    void readPlan(const SheetTable& t, const Layout& layout) {
        QStringList missing;
        const std::pair<Field, const char*> needed[] = {{Field::Class, "班级"},
                                                        {Field::Course, "课程"},
                                                        {Field::Teacher, "老师"},
                                                        {Field::Count, "节数"}};
        for (const auto& [field, title] : needed)
            if (!layout.columns.contains(field))
                missing << QString::fromUtf8(title);
        if (!missing.isEmpty()) {
            problem(t.name, layout.headerRow + 1,
                    QStringLiteral("缺少列：") + missing.join(QStringLiteral("、")));
            return;
        }
        for (int r = layout.headerRow + 1; r < t.rows.size(); ++r)
            readPlanRow(t.name, r + 1, t.rows[r], layout);
    }

    ImportPreview finish() {
        for (ListState& list : m_lists)
            giveCodes(list);
        for (int i = 0; i < 3; ++i)
            for (const Entry& e : m_lists[i].entries)
                if (e.isNew) {
                    m_preview.additions.records.append({m_lists[i].table, e.record});
                    m_preview.added.append({kListNames[i], RecordText(e.record) + e.origin});
                }
        for (auto it = m_courseRules.constBegin(); it != m_courseRules.constEnd(); ++it)
            m_preview.additions.courseRules.append({code(1, it.key()), it.value()});
        for (const PendingPlan& p : m_plan) {
            m_preview.additions.planRows.append(
                {code(0, p.cls), code(1, p.course), code(2, p.teacher), p.count});
            m_preview.added.append({kPlanList, planText(p.cls, p.course, p.teacher, p.count)});
        }
        return m_preview;
    }

    ImportPreview m_preview;

private:
    struct PendingPlan {
        int cls, course, teacher, count;
    };

    static QString PlanKey(int cls, int course, int teacher) {
        return QStringLiteral("%1|%2|%3").arg(cls).arg(course).arg(teacher);
    }
    static QString RecordText(const CodeRecord& r) {
        return (r.code.isEmpty() ? QString() : r.code + QStringLiteral("  ")) + r.name;
    }
    QString code(int list, int i) const { return m_lists[list].entries[i].record.code; }
    QString name(int list, int i) const { return m_lists[list].entries[i].record.name; }
    QString planText(int cls, int course, int teacher, int count) const {
        return QStringLiteral("%1  %2  %3  %4节")
            .arg(name(0, cls), name(1, course), name(2, teacher))
            .arg(count);
    }

    void problem(const QString& sheet, int row, const QString& reason) {
        m_preview.problems.append({sheet, row, reason});
    }

    void readListRow(const QString& sheet, int row, const QStringList& cells, const Layout& layout,
                     int list) {
        if (AllEmpty(cells))
            return;
        if (const QString why = NotANameIn(cells); !why.isEmpty()) {
            problem(sheet, row, why);
            return;
        }
        CourseRule rule;
        if (list == 1) {
            const QString why = readCourseRule(cells, layout, rule);
            if (!why.isEmpty()) {
                problem(sheet, row, why);
                return;
            }
        }
        CodeRecord r{Cell(cells, layout, Field::Code), Cell(cells, layout, Field::Name),
                     Cell(cells, layout, Field::FullName), Cell(cells, layout, Field::ShortName)};
        ListState& state = m_lists[list];
        // A class already in the list is matched as it is stored, whatever its code looks like.
        const bool listed = r.code.isEmpty() ? state.byName.contains(r.name) && !r.name.isEmpty()
                                             : state.byCode.contains(r.code);
        if (state.table == CodeTable::Class && !listed) {
            if (r.code.isEmpty() && !ClassCodeOfName(r.name, r.code)) {
                problem(sheet, row,
                        r.name.isEmpty()
                            ? QStringLiteral("班级名称为空")
                            : QStringLiteral("没有班级代码，从名称「%1」也看不出年级和班号")
                                  .arg(r.name));
                return;
            }
            if (!IsClassCode(r.code)) {
                problem(
                    sheet, row,
                    QStringLiteral("班级代码「%1」应为年级数字（学前为0）加班号，如 11、212、02")
                        .arg(r.code));
                return;
            }
            const ClassCodeParts p = SplitClassCode(r.code);
            const ClassNames formed = FormClassNames(p.grade, p.classNumber);
            if (r.name.isEmpty())
                r.name = formed.name;
            if (r.fullName.isEmpty())
                r.fullName = formed.fullName;
            if (r.shortName.isEmpty())
                r.shortName = formed.shortName;
        } else {
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
            const int added = state.add({r, true, RuleText(rule, false)});
            if (!rule.isEmpty())
                m_courseRules.insert(added, rule);
            return;
        }
        const Entry& known = state.entries[found];
        QString note;
        if (known.isNew)
            note = QStringLiteral("（同一文件中已列出）");
        else if (byCode >= 0 && known.record.name != r.name)
            note =
                QStringLiteral("（代码相同，名单中的名称「%1」保持不变）").arg(known.record.name);
        else if (byCode < 0 && !r.code.isEmpty())
            note = QStringLiteral("（名称相同，名单中的代码 %1 保持不变）").arg(known.record.code);
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
                note += RuleText(merged, true);
            }
        }
        m_preview.existing.append({state.title, RecordText(known.record) + note});
    }

    // A course row's 同时上课班数 and 每天最多节数: empty sets nothing. The
    // reason why a value is wrong; empty when both read.
    QString readCourseRule(const QStringList& cells, const Layout& layout, CourseRule& rule) const {
        const int classes = std::max(1, static_cast<int>(m_lists[0].entries.size()));
        const std::tuple<Field, std::optional<int> CourseRule::*, int, QString> fields[] = {
            {Field::MaxClasses, &CourseRule::maxClasses, classes,
             QStringLiteral("同时上课班数「%1」不对，应是 1 到 %2 的整数（空着表示不限）")},
            {Field::MaxPerDay, &CourseRule::maxPerDay, m_week.lessonsPerDay(),
             QStringLiteral(
                 "每天最多节数「%1」不对，应是 1 到 %2 的整数（空着表示按每周节数计算）")}};
        QStringList reasons;
        for (const auto& [field, member, most, message] : fields) {
            const QString text = Cell(cells, layout, field);
            if (text.isEmpty())
                continue;
            bool ok = false;
            const double v = text.toDouble(&ok);
            if (!ok || v < 1 || v > most || v != static_cast<double>(static_cast<int>(v)))
                reasons << message.arg(text).arg(most);
            else
                rule.*member = static_cast<int>(v);
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
        if (AllEmpty(cells))
            return;
        if (const QString why = NotANameIn(cells); !why.isEmpty()) {
            problem(sheet, row, why);
            return;
        }
        const QString cls = Cell(cells, layout, Field::Class);
        const QString course = Cell(cells, layout, Field::Course);
        const QString teacher = Cell(cells, layout, Field::Teacher);
        const QString countText = Cell(cells, layout, Field::Count);
        QStringList reasons;
        const int clsIndex = cls.isEmpty() ? -1 : m_lists[0].find(cls);
        if (cls.isEmpty())
            reasons << QStringLiteral("班级为空");
        else if (clsIndex < 0)
            reasons << QStringLiteral("没有这个班级：%1").arg(cls);
        if (course.isEmpty())
            reasons << QStringLiteral("课程为空");
        if (teacher.isEmpty())
            reasons << QStringLiteral("老师为空");
        const std::optional<int> count = ParseCount(countText, m_week);
        if (!count)
            reasons << QStringLiteral("节数「%1」不对，%2").arg(countText, lessonCountRule(m_week));
        const QString tooLong = TooLong({course, teacher});
        if (!tooLong.isEmpty())
            reasons << tooLong;
        if (!reasons.isEmpty()) {
            problem(sheet, row, reasons.join(QStringLiteral("；")));
            return;
        }
        // Checked before anything is added, so a wrong row adds no course or teacher.
        const int courseFound = m_lists[1].find(course);
        const int teacherFound = m_lists[2].find(teacher);
        if (courseFound >= 0 && teacherFound >= 0) {
            const QString key = PlanKey(clsIndex, courseFound, teacherFound);
            if (m_planSeenAt.contains(key)) {
                problem(sheet, row, QStringLiteral("与%1重复").arg(m_planSeenAt[key]));
                return;
            }
        }
        if (courseFound >= 0) {
            const int other = m_teacherOf.value(PlanKey(clsIndex, courseFound, -1), -1);
            if (other >= 0 && other != teacherFound) {
                problem(sheet, row,
                        QStringLiteral("%1的「%2」已由「%3」任教，一门课只能由一位老师教")
                            .arg(name(0, clsIndex), name(1, courseFound), name(2, other)));
                return;
            }
        }
        const int courseIndex = planReference(1, course);
        const int teacherIndex = planReference(2, teacher);
        const QString key = PlanKey(clsIndex, courseIndex, teacherIndex);
        m_planSeenAt.insert(key, Place(sheet, row));
        m_teacherOf.insert(PlanKey(clsIndex, courseIndex, -1), teacherIndex);
        if (m_planKeys.contains(key)) {
            const QString stored = m_planKeys.value(key);
            const QString note = stored == QString::number(*count)
                                     ? QString()
                                     : QStringLiteral("（计划中已有 %1 节，保持不变）").arg(stored);
            m_preview.existing.append(
                {kPlanList, planText(clsIndex, courseIndex, teacherIndex, *count) + note});
            return;
        }
        m_plan.append({clsIndex, courseIndex, teacherIndex, *count});
    }

    // New courses and teachers without a code take the numbers after the
    // highest numeric code, as wide as the widest of them (at least three digits).
    static void giveCodes(ListState& list) {
        long long highest = 0;
        int width = 3;
        constexpr long long kLargest = 9'999'999'999; // the largest code of ten digits
        for (const Entry& e : list.entries) {
            bool ok = false;
            const long long n = e.record.code.toLongLong(&ok);
            if (ok && n >= 0) {
                highest = std::max(highest, n);
                width = std::max(width, static_cast<int>(e.record.code.size()));
            }
        }
        width = std::min(width, kMaxText);
        for (Entry& e : list.entries)
            if (e.isNew && e.record.code.isEmpty()) {
                QString code;
                // Past ten digits the numbers start again from the lowest free one.
                do {
                    highest = highest >= kLargest ? 1 : highest + 1;
                    code = QStringLiteral("%1").arg(highest, width, 10, QLatin1Char('0'));
                } while (list.byCode.contains(code));
                e.record.code = code;
                list.byCode.insert(code, -1);
            }
    }

    Week m_week;
    ListState m_lists[3];
    QHash<QString, QString> m_planKeys; // "cls|course|teacher" → stored count
    QHash<QString, int> m_teacherOf;    // "cls|course|-1" → teacher
    QHash<QString, QString> m_planSeenAt;
    QList<PendingPlan> m_plan;
    CourseRules m_storedRules;
    QMap<int, CourseRule> m_courseRules; // by course entry: the rules to write
};

} // namespace

ImportPreview PrepareImport(TimetableDb& db, const QList<SheetTable>& sheets) {
    Importer importer(db);
    QList<QPair<const SheetTable*, Layout>> plans;
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
            plans.append({&t, layout});
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
        importer.readPlan(*table, layout);
    if (!recognised) {
        QStringList names;
        for (const SheetTable& t : sheets)
            names << t.name;
        importer.m_preview.problems.append(
            {names.join(QStringLiteral("、")), 0,
             QStringLiteral("没有认出任何一种名单（班级、课程、老师或教学计划），什么也没有导入")});
    }
    return importer.finish();
}

QStringList PreviewText(const ImportPreview& p) {
    QStringList lines;
    lines << QStringLiteral("将添加：%1 项").arg(p.added.size());
    for (const ImportLine& l : p.added)
        lines << QStringLiteral("  %1  %2").arg(l.list, l.text);
    lines << QStringLiteral("已存在：%1 项").arg(p.existing.size());
    for (const ImportLine& l : p.existing)
        lines << QStringLiteral("  %1  %2").arg(l.list, l.text);
    lines << QStringLiteral("有错的行：%1 行").arg(p.problems.size());
    for (const ImportProblem& e : p.problems)
        lines << QStringLiteral("  %1：%2").arg(Place(e.sheet, e.row), e.reason);
    for (const QString& n : p.notes)
        lines << QStringLiteral("注意：") + n;
    return lines;
}
