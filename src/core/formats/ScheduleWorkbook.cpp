#include "core/formats/ScheduleWorkbook.h"

#include "core/config/SafeFile.h"

#include <QFile>
#include <optional>
#include <vector>
#include <xlsxwriter.h>

namespace {

constexpr int kBlockRows = 11;
constexpr uint8_t kPaperA4 = 9;
constexpr uint8_t kPaperA3 = 8;
constexpr size_t kMaxPageBreaks = 1023; // the most a worksheet holds
const char* const kWeekdays[5] = {"星期一", "星期二", "星期三", "星期四", "星期五"};

// The library says only that a call failed, not why.
void Check(lxw_error e) {
    if (e != LXW_NO_ERROR)
        throw WorkbookFailure(WorkbookFailure::Stage::Write);
}

template <class T> T* Check(T* p) {
    if (!p)
        throw WorkbookFailure(WorkbookFailure::Stage::Write);
    return p;
}

// A workbook written to a temporary file beside the target and renamed over it
// at the end, so a failed export never leaves a half-written file behind or
// destroys the workbook that was there before.
class Workbook {
public:
    // Ready to fill; throws WorkbookFailure (Create) when the file cannot be made.
    explicit Workbook(const QString& fileName) {
        try {
            m_safe.emplace(fileName);
        } catch (const Failure& f) {
            throw WorkbookFailure(WorkbookFailure::Stage::Create, f);
        }
        m_book = workbook_new(QFile::encodeName(m_safe->tempPath()).constData());
        if (!m_book)
            throw WorkbookFailure(WorkbookFailure::Stage::Create, m_safe->writeFailure());
    }

    ~Workbook() {
        if (m_book)
            workbook_close(m_book);
    }

    lxw_workbook* get() const { return m_book; }

    lxw_worksheet* addSheet(const char* name) {
        return Check(workbook_add_worksheet(m_book, name));
    }

    lxw_format* format(int border, bool doubleRight, bool wrap) {
        lxw_format* f = Check(workbook_add_format(m_book));
        format_set_align(f, LXW_ALIGN_CENTER);
        format_set_align(f, LXW_ALIGN_VERTICAL_CENTER);
        if (border != LXW_BORDER_NONE)
            format_set_border(f, static_cast<uint8_t>(border));
        if (doubleRight)
            format_set_right(f, LXW_BORDER_DOUBLE);
        if (wrap)
            format_set_text_wrap(f);
        return f;
    }

    void save() {
        const lxw_error closed = workbook_close(m_book);
        m_book = nullptr;
        try {
            if (closed != LXW_NO_ERROR)
                throw m_safe->writeFailure();
            m_safe->commit();
        } catch (const Failure& f) {
            throw WorkbookFailure(WorkbookFailure::Stage::Write, f);
        }
    }

private:
    std::optional<SafeFile> m_safe;
    lxw_workbook* m_book = nullptr;
};

// Cells are addressed from 1, as the layout is described; the library counts from 0.
void WriteText(lxw_worksheet* ws, int row, int col, const QString& text, lxw_format* f) {
    Check(worksheet_write_string(ws, static_cast<lxw_row_t>(row - 1),
                                 static_cast<lxw_col_t>(col - 1), text.toUtf8().constData(), f));
}

void WriteNumber(lxw_worksheet* ws, int row, int col, int value, lxw_format* f) {
    Check(worksheet_write_number(ws, static_cast<lxw_row_t>(row - 1),
                                 static_cast<lxw_col_t>(col - 1), value, f));
}

void WriteBlank(lxw_worksheet* ws, int row, int col, lxw_format* f) {
    Check(worksheet_write_blank(ws, static_cast<lxw_row_t>(row - 1),
                                static_cast<lxw_col_t>(col - 1), f));
}

void Merge(lxw_worksheet* ws, int row1, int col1, int row2, int col2, const QString& text,
           lxw_format* f) {
    Check(worksheet_merge_range(ws, static_cast<lxw_row_t>(row1 - 1),
                                static_cast<lxw_col_t>(col1 - 1), static_cast<lxw_row_t>(row2 - 1),
                                static_cast<lxw_col_t>(col2 - 1), text.toUtf8().constData(), f));
}

void SetColumns(lxw_worksheet* ws, int first, int last, double width, lxw_format* f) {
    Check(worksheet_set_column(ws, static_cast<lxw_col_t>(first - 1),
                               static_cast<lxw_col_t>(last - 1), width, f));
}

void SetRowHeight(lxw_worksheet* ws, int row, double points) {
    Check(worksheet_set_row(ws, static_cast<lxw_row_t>(row - 1), points, nullptr));
}

// A lesson outside the week of this export (a day beyond Friday, a lesson
// beyond the lessons per day) would land in another day's cell; it is left out.
bool InWeek(const ScheduleRecord& r, int lessonsPerDay) {
    return r.day >= 1 && r.day <= 5 && r.lessonNo >= 1 && r.lessonNo <= lessonsPerDay;
}

struct BlockFormats {
    lxw_format* centred;
    lxw_format* bordered;
    lxw_format* borderedWrap;
};

// The block of one class or teacher: title, weekday header and one bordered
// row per lesson of the day, starting at row `first`.
void WriteScheduleBlock(lxw_worksheet* ws, const BlockFormats& f, int first, const QString& title,
                        int lessonsPerDay, const QStringList& lessonTimes) {
    WriteText(ws, first, 4, title, f.centred);
    WriteBlank(ws, first + 2, 1, f.bordered);
    for (int day = 1; day <= 5; ++day)
        WriteText(ws, first + 2, day + 1, QString::fromUtf8(kWeekdays[day - 1]), f.bordered);
    for (int k = 1; k <= lessonsPerDay; ++k) {
        if (k <= lessonTimes.size())
            WriteText(ws, first + 2 + k, 1,
                      QString::number(k) + QLatin1Char('\n') + lessonTimes[k - 1], f.borderedWrap);
        else
            WriteNumber(ws, first + 2 + k, 1, k, f.bordered);
        for (int col = 2; col <= 6; ++col)
            WriteBlank(ws, first + 2 + k, col, f.bordered);
    }
}

bool WriteBlockWorkbook(const QString& fileName, const ScheduleRecords& records, int lessonsPerDay,
                        const TimetableTitle& title, const char* sheetName, bool withSecondLine,
                        const QStringList& lessonTimes) {
    if (records.empty())
        return false;
    if (lessonsPerDay < 1)
        throw WorkbookFailure(WorkbookFailure::Stage::Write);
    Workbook book(fileName);
    lxw_worksheet* ws = book.addSheet(sheetName);
    const BlockFormats f{book.format(LXW_BORDER_NONE, false, false),
                         book.format(LXW_BORDER_THIN, false, false),
                         book.format(LXW_BORDER_THIN, false, true)};
    // Wide enough for "08:00-08:40" when the times are shown.
    SetColumns(ws, 1, 1, lessonTimes.isEmpty() ? 6 : 12, f.centred);
    SetColumns(ws, 2, 6, 14, f.centred);
    worksheet_set_default_row(ws, 30, LXW_FALSE);
    // Printed, every class or teacher gets an A4 page of its own, all five
    // days across it.
    worksheet_set_paper(ws, kPaperA4);
    worksheet_fit_to_pages(ws, 1, 0);
    worksheet_center_horizontally(ws);
    std::vector<lxw_row_t> pageBreaks;

    int blockRow = 1 - kBlockRows;
    const QString* group = nullptr;
    for (const ScheduleRecord& r : records) {
        if (!group || r.name != *group) {
            blockRow += kBlockRows;
            group = &r.name;
            if (blockRow > 1 && pageBreaks.size() < kMaxPageBreaks)
                pageBreaks.push_back(static_cast<lxw_row_t>(blockRow - 1));
            WriteScheduleBlock(ws, f, blockRow, title.ofGroup(r.name), lessonsPerDay, lessonTimes);
        }
        if (!InWeek(r, lessonsPerDay))
            continue;
        // A line feed with wrapping on; a carriage return would show as _x000D_.
        if (withSecondLine)
            WriteText(ws, blockRow + 2 + r.lessonNo, r.day + 1,
                      r.courseName + QLatin1Char('\n') + r.secondLine, f.borderedWrap);
        else
            WriteText(ws, blockRow + 2 + r.lessonNo, r.day + 1, r.courseName, f.bordered);
    }
    if (!pageBreaks.empty()) {
        pageBreaks.push_back(0); // the list ends with a zero
        Check(worksheet_set_h_pagebreaks(ws, pageBreaks.data()));
    }
    book.save();
    return true;
}

} // namespace

bool WriteClassWorkbook(const QString& fileName, const ScheduleRecords& records, int lessonsPerDay,
                        const TimetableTitle& title, const QStringList& lessonTimes) {
    return WriteBlockWorkbook(fileName, records, lessonsPerDay, title, "班级课表", false,
                              lessonTimes);
}

bool WriteTeacherWorkbook(const QString& fileName, const ScheduleRecords& records,
                          int lessonsPerDay, const TimetableTitle& title,
                          const QStringList& lessonTimes) {
    return WriteBlockWorkbook(fileName, records, lessonsPerDay, title, "教师课表", true,
                              lessonTimes);
}

bool WriteTotalWorkbook(const QString& fileName, const ScheduleRecords& records, int lessonsPerDay,
                        const TimetableTitle& title) {
    if (records.empty())
        return false;
    if (lessonsPerDay < 1)
        throw WorkbookFailure(WorkbookFailure::Stage::Write);
    Workbook book(fileName);
    const int n = lessonsPerDay;
    const int lastCol = 5 * n + 1;
    lxw_worksheet* ws = book.addSheet("全校总课表");
    lxw_format* centred = book.format(LXW_BORDER_NONE, false, false);
    lxw_format* bordered = book.format(LXW_BORDER_THIN, false, false);
    lxw_format* borderedEndOfDay = book.format(LXW_BORDER_THIN, true, false);
    lxw_format* lesson = book.format(LXW_BORDER_THIN, false, true);
    lxw_format* lessonEndOfDay = book.format(LXW_BORDER_THIN, true, true);
    // The last column of Monday to Thursday carries a double line on its right.
    auto endsDay = [n, lastCol](int col) { return col > 1 && col < lastCol && (col - 1) % n == 0; };
    auto rowFormat = [&](int col) { return endsDay(col) ? borderedEndOfDay : bordered; };

    SetColumns(ws, 1, 1, 10, centred);
    SetColumns(ws, 2, lastCol, 6, centred);
    // The whole school on A3 landscape, one page wide, the day and lesson
    // headers repeated on every page.
    worksheet_set_paper(ws, kPaperA3);
    worksheet_set_landscape(ws);
    worksheet_fit_to_pages(ws, 1, 0);
    worksheet_center_horizontally(ws);
    Check(worksheet_repeat_rows(ws, 2, 3));
    SetRowHeight(ws, 1, 50);
    SetRowHeight(ws, 3, 30);
    SetRowHeight(ws, 4, 20);
    Merge(ws, 1, 1, 1, lastCol, title.ofTotal(), centred);
    for (int col = 1; col <= lastCol; ++col) {
        WriteBlank(ws, 3, col, rowFormat(col));
        if (col >= 2)
            WriteNumber(ws, 4, col, (col - 2) % n + 1, rowFormat(col));
    }
    Merge(ws, 3, 1, 4, 1, QString(), bordered);
    for (int day = 1; day <= 5; ++day) {
        const int first = (day - 1) * n + 2;
        const int last = day * n + 1;
        // The whole range takes the day's right edge: some programs draw a
        // merged cell with the edges of its first cell, others of its last.
        Merge(ws, 3, first, 3, last, QString::fromUtf8(kWeekdays[day - 1]), rowFormat(last));
    }

    int row = 4;
    const QString* group = nullptr;
    for (const ScheduleRecord& r : records) {
        if (!group || r.name != *group) {
            ++row;
            group = &r.name;
            // Two lines of text per lesson cell need a double-height row.
            SetRowHeight(ws, row, 30);
            WriteText(ws, row, 1, r.name, bordered);
            for (int col = 2; col <= lastCol; ++col)
                WriteBlank(ws, row, col, rowFormat(col));
        }
        if (!InWeek(r, n))
            continue;
        const int col = (r.day - 1) * n + r.lessonNo + 1;
        WriteText(ws, row, col, r.courseName + QLatin1Char('\n') + r.secondLine,
                  endsDay(col) ? lessonEndOfDay : lesson);
    }
    book.save();
    return true;
}
