// 合班 in the import and its template: a joint row is written once, under its
// first class, with the other classes named in "合班"; reading it back gives
// every class its plan row and the link; wrong names are wrong rows.
#include "SchoolBuilder.h"
#include "TestDb.h"

#include "core/formats/ImportTemplate.h"
#include "core/formats/SchoolImport.h"
#include "core/formats/SheetReader.h"
#include "core/store/JointStore.h"

#include <QTemporaryDir>
#include <QTest>

namespace {

void writeLists(TestDb& t) {
    addLists(t, {{"11", "一（1）班"}, {"12", "一（2）班"}, {"13", "一（3）班"}},
             {{"01", "语文"}, {"03", "体育"}}, {{"TA", "王芳"}, {"TC", "张敏"}});
}

QString planRows(TestDb& t) {
    QStringList rows;
    for (int i = 0;; ++i) {
        const QString row =
            t.text(QStringLiteral("select ClassCode||'/'||CourseCode||'/'||"
                                  "TeacherCode||'/'||Count from ClassPlantb "
                                  "order by ClassCode, CourseCode limit 1 offset %1")
                       .arg(i));
        if (row.isEmpty())
            return rows.join(' ');
        rows << row;
    }
}

SheetTable planSheet(const QList<QStringList>& rows) {
    return {QStringLiteral("教学计划"),
            QList<QStringList>{{"班级", "课程", "老师", "节数", "合班"}} + rows};
}

} // namespace

class TestJointImport : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;
private slots:
    void templateWritesAJointRowOnceAndReadsItBack();
    void wrongJointClassesAreWrongRows();
};

void TestJointImport::templateWritesAJointRowOnceAndReadsItBack() {
    TestDb source;
    writeLists(source);
    source.addPlan("11", "03", "TC", 2);
    source.addPlan("11", "01", "TA", 6);
    WriteJointClasses(source.db, "11", "03", "TC", {"12", "13"});
    const QString file = m_dir.filePath("template.xlsx");
    WriteImportTemplate(source.db, file);
    const QList<SheetTable> sheets = ReadSheets(file);
    const auto planAt = std::find_if(sheets.begin(), sheets.end(), [](const SheetTable& t) {
        return t.name == QStringLiteral("教学计划");
    });
    QVERIFY(planAt != sheets.end());
    const SheetTable& plan = *planAt;
    QCOMPARE(plan.rows.size(), 3); // the heading, 体育 of 一（1）班 and 语文
    QCOMPARE(plan.rows[0].last(), QStringLiteral("合班"));
    QCOMPARE(plan.rows[1],
             (QStringList{"一（1）班", "体育", "张敏", "2", "", "一（2）班、一（3）班"}));

    TestDb target;
    writeLists(target);
    const ImportPreview p = PrepareImport(target.db, sheets);
    QVERIFY2(p.problems.isEmpty(), qPrintable(PreviewText(p).join('\n')));
    QVERIFY(PreviewText(p).contains(
        QStringLiteral("  教学计划  合班：一（1）班  体育  张敏  与一（2）班、一（3）班")));
    WriteImport(target.db, p.additions);
    QCOMPARE(ReadJointClasses(target.db, "11", "03", "TC"), (QStringList{"12", "13"}));
    QCOMPARE(planRows(target), planRows(source));
}

void TestJointImport::wrongJointClassesAreWrongRows() {
    TestDb t;
    writeLists(t);
    t.addPlan("13", "03", "TA", 2); // 一（3）班 has 体育 with 王芳
    const ImportPreview p =
        PrepareImport(t.db, {planSheet({{"一（1）班", "体育", "张敏", "2", "一（9）班"},
                                        {"一（1）班", "语文", "张敏", "6", "一（1）班"},
                                        {"一（2）班", "体育", "张敏", "2", "一（3）班"},
                                        {"一（2）班", "语文", "王芳", "6", "一（1）班， 一（1）班"},
                                        {"一（1）班", "体育", "张敏", "2", ""}})});
    QStringList reasons;
    for (const ImportProblem& e : p.problems)
        reasons << QStringLiteral("%1:%2").arg(e.row).arg(e.reason);
    QCOMPARE(reasons,
             (QStringList{QStringLiteral("2:合班的班级「一（9）班」不在班级名单中"),
                          QStringLiteral("3:班级不能与自己合班"),
                          QStringLiteral("4:一（3）班的「体育」已由「王芳」任教，不能合班"),
                          QStringLiteral("5:合班的「一（1）班」重复")}));
    // The row without 合班 is read as before.
    QCOMPARE(p.additions.planRows.size(), 1);
    QVERIFY(p.additions.joints.isEmpty());
    // A joint row takes no double lessons; with 连堂 empty it is read.
    const SheetTable withDoubles{QStringLiteral("教学计划"),
                                 {{"班级", "课程", "老师", "节数", "连堂", "合班"},
                                  {"一（1）班", "体育", "张敏", "2", "1", "一（2）班"},
                                  {"一（3）班", "体育", "张敏", "2", "", "一（2）班"}}};
    TestDb u;
    writeLists(u);
    const ImportPreview q = PrepareImport(u.db, {withDoubles});
    QCOMPARE(q.problems.size(), qsizetype(1));
    QCOMPARE(q.problems[0].reason, QStringLiteral("合班的课不能连堂"));
    QCOMPARE(q.additions.joints.size(), qsizetype(1));
}

QTEST_GUILESS_MAIN(TestJointImport)
#include "test_joint_import.moc"
