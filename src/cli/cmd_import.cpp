// kbxt-cli import: the school's lists and plan from a spreadsheet, as
// 从Excel导入… does; and export --template writes the workbook it reads.
#include "cli/CliCommand.h"
#include "cli/ToolOptions.h"
#include "core/formats/ImportTemplate.h"
#include "core/formats/ScheduleWorkbook.h"
#include "core/formats/SchoolImport.h"
#include "core/store/TimetableDb.h"

namespace {
int runImport(const ToolArgs& args) {
    if (args.positional.size() < 2)
        return args.usageError(QStringLiteral("需要数据库文件和至少一个要导入的文件"));
    QList<SheetTable> sheets;
    try {
        for (const QString& file : args.positional.mid(1))
            sheets += ReadSheets(file);
    } catch (const Failure& e) {
        CliErr(e.message());
        return 1;
    }
    TimetableDb db;
    const QString openError = OpenToolDb(db, args.positional.first());
    if (!openError.isEmpty()) {
        CliErr(openError);
        return 1;
    }
    try {
        const ImportPreview preview = PrepareImport(db, sheets);
        for (const QString& line : PreviewText(preview))
            CliOut(line);
        if (preview.hasProblems()) {
            CliErr(QStringLiteral("有 %1 处错误，没有导入任何数据。").arg(preview.problems.size()));
            return 3;
        }
        if (args.has("--dry-run"))
            return 0;
        WriteImport(db, preview.additions);
        CliOut(DoneText(preview));
        return 0;
    } catch (const std::exception& e) {
        CliErr(QStringLiteral("导入失败，数据库没有改变：") +
               FailureMessage(e, QStringLiteral("写入数据库失败"), args.positional.first()));
        return 1;
    }
}

} // namespace

// Called by the export command for "export --template [--force] DB OUT.xlsx".
int RunTemplateExport(const ToolArgs& args) {
    if (args.positional.size() != 2)
        return args.usageError(QStringLiteral("需要数据库文件和工作簿文件名"));
    const QStringList& files = args.positional;
    if (const QString problem = OutputFileProblem(files[1], files[0], args.has("--force"));
        !problem.isEmpty()) {
        CliErr(problem);
        return 1;
    }
    TimetableDb db;
    const QString openError = OpenToolDb(db, files[0]);
    if (!openError.isEmpty()) {
        CliErr(openError);
        return 1;
    }
    try {
        WriteImportTemplate(db, files[1]);
    } catch (const WorkbookFailure&) {
        CliErr(QStringLiteral("导出导入模板失败！无法写入：%1").arg(files[1]));
        return 1;
    } catch (const std::exception& e) {
        CliErr(QStringLiteral("导出导入模板失败！") +
               FailureMessage(e, QStringLiteral("读取数据库失败"), files[0]));
        return 1;
    }
    CliOut(QStringLiteral("导入模板已导出：%1").arg(files[1]));
    return 0;
}

KBXT_CLI_COMMAND("import", "import [--dry-run] DB FILE.xlsx|FILE.csv ...",
                 "从Excel导入 / import classes, courses, teachers, the teaching plan and their "
                 "settings (limits, groups, double lessons, time off) from a "
                 "workbook in the template's layout (kbxt-cli export --template) or CSV files. "
                 "Prints the preview (additions, changes, existing, wrong rows); nothing is "
                 "written when a row is wrong. Exit 0 imported "
                 "(with --dry-run: no wrong rows), 3 wrong rows, 1 failure, 2 usage error.",
                 {{"--dry-run", false}},
                 "从工作簿（.xlsx）或 CSV（UTF-8 或 GB18030）导入班级、课程、老师、教学计划"
                 "和不排时间，"
                 "先列出将添加的、将修改的、已存在的和有错的行。\n"
                 "有错的行时什么也不写入；--dry-run 只列出，不写入。\n"
                 "退出码：0 已导入（--dry-run：没有错行），3 有错的行（未写入），"
                 "1 读取或写入失败，2 参数错误。",
                 runImport);
