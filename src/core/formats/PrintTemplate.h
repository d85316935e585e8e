#pragma once
// What the print component reads: the page templates (our own XML page
// descriptions, delivered beside the program) and the print document, turned
// into pages of timetable cells. Lengths are millimetres, font sizes points.
#include <QByteArray>
#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>

struct PrintTemplate {
    enum class Layout { Schedule, Total };
    struct Field {
        QString name; // document element: coursename, classname, teachername
        double size = 10;
    };

    Layout layout = Layout::Schedule;
    QString paper = QStringLiteral("A4");
    bool landscape = false;
    QString fontFamily = QStringLiteral("宋体");
    double marginLeft = 15, marginTop = 15, marginRight = 15, marginBottom = 15;
    double titleSize = 20, titleHeight = 20;
    // The table: header column width, header row height(s), lesson row height.
    double headerWidth = 20, headerHeight = 12, lessonHeaderHeight = 7;
    double rowHeight = 25, minRowHeight = 8;
    double headerSize = 12, lessonSize = 10, classSize = 11;
    double lineWidth = 0.25, frameWidth = 0.7, dayRuleGap = 0.8;
    QString corner;
    int separatorAfter = 4; // 0: no separator band
    double separatorHeight = 4, separatorSize = 9;
    QString separatorText;
    QStringList days;    // five headers, Monday first
    QStringList lessons; // one header per lesson of the day
    QList<Field> fields; // drawn top to bottom in each cell
    double totalSize = 12;
    QString totalText; // "{total}" stands for the weekly lesson count; empty: no line
    // Not read from the template: the document's lesson times, drawn under
    // the lesson headers when there are any.
    QStringList lessonTimes;

    int lessonCount() const { return static_cast<int>(lessons.size()); }
};

// False with a reason when the file is missing or not a usable template.
[[nodiscard]] bool ReadPrintTemplate(const QString& path, PrintTemplate& out,
                                     QString* error = nullptr);
[[nodiscard]] bool ParsePrintTemplate(const QByteArray& text, PrintTemplate& out,
                                      QString* error = nullptr);

// The print document as read: one entry per tr, its optional title and its
// value elements in order. The whole-school form opens suffixed elements and
// closes them with plain names, so the reader matches tags by line, not as a
// strict XML parser would.
struct PrintDocumentRow {
    bool hasTitle = false;
    QString title;
    QList<std::pair<QString, QString>> values; // element name, unescaped value
    QString value(const QString& name) const;
};

struct PrintDocumentData {
    QString docName;
    QList<PrintDocumentRow> rows;
    QStringList lessonTimes; // "08:00-08:40" per lesson, when the print shows times
};

[[nodiscard]] bool ReadPrintDocument(const QString& path, PrintDocumentData& out,
                                     QString* error = nullptr);
[[nodiscard]] bool ParsePrintDocument(const QByteArray& text, PrintDocumentData& out,
                                      QString* error = nullptr);

// One class or teacher page: the periods in document order (lesson by lesson,
// Monday to Friday) and the weekly total carried by the last period.
struct SchedulePage {
    struct Cell {
        QString course, className;
    };
    QString title;
    QList<Cell> cells;
    QString total;
};
// A tr with a title starts a page; the trs after it are its periods.
QList<SchedulePage> SchedulePagesOf(const PrintDocumentData& doc);

// One class row of the whole-school table, cells keyed by lesson * 10 + day.
struct TotalRow {
    struct Cell {
        QString course, teacher;
    };
    QString title;
    QString classLabel;
    QMap<int, Cell> cells;
};
QList<TotalRow> TotalRowsOf(const PrintDocumentData& doc);
