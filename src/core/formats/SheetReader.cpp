#include "core/formats/SheetReader.h"

#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QStringDecoder>
#include <QXmlStreamReader>
#include <cerrno>
#include <iconv.h>
#include <unzip.h>

namespace {

// A school's lists are small. These caps keep any file, however built, under
// about 200 MB of memory: the bytes unpacked from the archive (every part,
// counted each time it is read), the shared strings, the rows and the cells
// held, where a filled cell counts every row and cell before it.
constexpr qint64 kMaxPartBytes = 16LL * 1024 * 1024;
constexpr qint64 kMaxUnpackedBytes = 48LL * 1024 * 1024;
constexpr qint64 kMaxCsvBytes = 8LL * 1024 * 1024;
constexpr qsizetype kMaxSharedStrings = 200000;
constexpr qsizetype kMaxCells = 1000000;
constexpr qsizetype kMaxRowSlots = 2500000; // an empty row costs less than a cell
constexpr int kMaxRows = 1048576;           // Excel's own limit
constexpr int kMaxColumns = 200;

Failure Unreadable(const QString& fileName) {
    return Failure(QStringLiteral("不是Excel工作簿（.xlsx），或文件已损坏"), fileName);
}

Failure TooLarge(const QString& fileName) {
    return Failure(QStringLiteral("文件太大，不像是学校的名单，没有读取"), fileName,
                   QStringLiteral("请只留下班级、课程、老师和教学计划的表格后再导入。"));
}

// What a whole file may hold, spent as it is read.
struct ReadBudget {
    QString fileName;
    qint64 unpacked = 0;
    qsizetype cells = 0;
    qsizetype rows = 0;

    void spendCells(qsizetype n) {
        cells += n;
        if (cells > kMaxCells)
            throw TooLarge(fileName);
    }
    void spendRows(qsizetype n) {
        rows += n;
        if (rows > kMaxRowSlots)
            throw TooLarge(fileName);
    }
};

// The workbook's zip archive, read with zlib's minizip: the same library the
// workbook writer links, so the two never carry rival copies of its functions.
class XlsxArchive {
public:
    XlsxArchive(const QString& fileName, ReadBudget& budget)
        : m_fileName(fileName), m_budget(budget) {
        m_zip = unzOpen64(QFile::encodeName(fileName).constData());
        if (!m_zip)
            throw(Unreadable(fileName));
    }
    ~XlsxArchive() { unzClose(m_zip); }
    XlsxArchive(const XlsxArchive&) = delete;
    XlsxArchive& operator=(const XlsxArchive&) = delete;

    bool has(const QString& part) {
        return unzLocateFile(m_zip, part.toUtf8().constData(), 1) == UNZ_OK;
    }

    QByteArray read(const QString& part) {
        unz_file_info64 info{};
        if (!has(part) ||
            unzGetCurrentFileInfo64(m_zip, &info, nullptr, 0, nullptr, 0, nullptr, 0) != UNZ_OK ||
            unzOpenCurrentFile(m_zip) != UNZ_OK)
            throw(Unreadable(m_fileName));
        m_budget.unpacked += static_cast<qint64>(info.uncompressed_size);
        if (info.uncompressed_size > static_cast<ZPOS64_T>(kMaxPartBytes) ||
            m_budget.unpacked > kMaxUnpackedBytes) {
            unzCloseCurrentFile(m_zip);
            throw TooLarge(m_fileName);
        }
        QByteArray bytes(static_cast<qsizetype>(info.uncompressed_size), Qt::Uninitialized);
        qsizetype done = 0;
        int got = 0;
        while (done < bytes.size() &&
               (got = unzReadCurrentFile(m_zip, bytes.data() + done,
                                         static_cast<unsigned>(bytes.size() - done))) > 0)
            done += got;
        // Closing checks the part's checksum once it has been read whole.
        const int closed = unzCloseCurrentFile(m_zip);
        if (got < 0 || done != bytes.size() || closed != UNZ_OK)
            throw(Unreadable(m_fileName));
        return bytes;
    }

private:
    QString m_fileName;
    ReadBudget& m_budget;
    unzFile m_zip = nullptr;
};

// The text of an <si> or <is> element: its <t> runs, without phonetic guides.
QString ReadRichText(QXmlStreamReader& xml) {
    QString text;
    const QString end = xml.name().toString();
    int phonetic = 0;
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement()) {
            if (xml.name() == u"rPh")
                ++phonetic;
            else if (xml.name() == u"t" && phonetic == 0)
                text += xml.readElementText();
        } else if (xml.isEndElement()) {
            if (xml.name() == u"rPh")
                --phonetic;
            else if (xml.name() == end)
                break;
        }
    }
    return text;
}

QStringList ReadSharedStrings(const QByteArray& bytes, const QString& fileName) {
    QStringList strings;
    QXmlStreamReader xml(bytes);
    while (!xml.atEnd())
        if (xml.readNext() == QXmlStreamReader::StartElement && xml.name() == u"si") {
            if (strings.size() >= kMaxSharedStrings)
                throw TooLarge(fileName);
            strings << ReadRichText(xml);
        }
    if (xml.hasError())
        throw Unreadable(fileName);
    return strings;
}

// "C12" → column 2 (from 0); -1 when the reference has no letters.
int ColumnOf(QStringView ref) {
    int col = 0;
    int letters = 0;
    for (const QChar c : ref) {
        if (c < u'A' || c > u'Z')
            break;
        if (letters == 3) // past XFD, Excel's last column
            return kMaxColumns;
        col = col * 26 + (c.unicode() - u'A' + 1);
        ++letters;
    }
    return letters == 0 ? -1 : col - 1;
}

// A number cell as a person reads it: 3 rather than 3.0000000000000004.
QString NumberText(const QString& raw) {
    bool ok = false;
    const double v = raw.toDouble(&ok);
    if (!ok)
        return raw;
    const double rounded = static_cast<double>(qRound64(v));
    if (qAbs(v - rounded) < 1e-9 && qAbs(v) < 1e15)
        return QString::number(static_cast<qint64>(rounded));
    return QString::number(v, 'g', 15);
}

QList<QStringList> ReadWorksheet(const QByteArray& bytes, const QStringList& shared,
                                 ReadBudget& budget) {
    const QString& fileName = budget.fileName;
    QList<QStringList> rows;
    QXmlStreamReader xml(bytes);
    int rowIndex = -1;
    int nextColumn = 0;
    while (!xml.atEnd()) {
        xml.readNext();
        if (!xml.isStartElement())
            continue;
        if (xml.name() == u"row") {
            const QString r = xml.attributes().value(QLatin1String("r")).toString();
            bool ok = true;
            rowIndex = r.isEmpty() ? rowIndex + 1 : r.toInt(&ok) - 1;
            nextColumn = 0;
            if (!ok || rowIndex < 0 || rowIndex >= kMaxRows)
                throw(Unreadable(fileName));
            continue;
        }
        if (xml.name() != u"c" || rowIndex < 0)
            continue;
        const QStringView ref = xml.attributes().value(QLatin1String("r"));
        int col = ColumnOf(ref);
        if (col < 0)
            col = nextColumn;
        nextColumn = col + 1;
        const QString type = xml.attributes().value(QLatin1String("t")).toString();
        QString value;
        while (!xml.atEnd()) {
            xml.readNext();
            if (xml.isEndElement() && xml.name() == u"c")
                break;
            if (!xml.isStartElement())
                continue;
            if (xml.name() == u"v")
                value = xml.readElementText();
            else if (xml.name() == u"is")
                value = ReadRichText(xml);
        }
        if (type == u"s") {
            bool ok = false;
            const int i = value.toInt(&ok);
            if (!ok || i < 0 || i >= shared.size())
                throw Unreadable(fileName);
            value = shared[i];
        } else if (type.isEmpty() || type == u"n") {
            value = NumberText(value);
        } else if (type == u"b") {
            value = value == u"1" ? QStringLiteral("TRUE") : QStringLiteral("FALSE");
        }
        if (col >= kMaxColumns || value.isEmpty())
            continue;
        if (rows.size() <= rowIndex) {
            budget.spendRows(rowIndex + 1 - rows.size());
            rows.resize(rowIndex + 1);
        }
        QStringList& row = rows[rowIndex];
        if (row.size() <= col) {
            budget.spendCells(col + 1 - row.size());
            row.resize(col + 1);
        }
        row[col] = value;
    }
    if (xml.hasError())
        throw(Unreadable(fileName));
    return rows;
}

// The workbook's sheets in tab order, each with the archive path of its part.
QList<QPair<QString, QString>> ListSheets(XlsxArchive& zip, const QString& fileName) {
    QHash<QString, QString> targets;
    QXmlStreamReader rels(zip.read(QStringLiteral("xl/_rels/workbook.xml.rels")));
    while (!rels.atEnd()) {
        if (rels.readNext() == QXmlStreamReader::StartElement && rels.name() == u"Relationship") {
            QString target = rels.attributes().value(QLatin1String("Target")).toString();
            target = target.startsWith(u'/') ? target.mid(1) : QStringLiteral("xl/") + target;
            targets.insert(rels.attributes().value(QLatin1String("Id")).toString(), target);
        }
    }
    if (rels.hasError())
        throw Unreadable(fileName);
    QList<QPair<QString, QString>> sheets;
    QXmlStreamReader book(zip.read(QStringLiteral("xl/workbook.xml")));
    while (!book.atEnd()) {
        if (book.readNext() != QXmlStreamReader::StartElement || book.name() != u"sheet")
            continue;
        QString id;
        for (const QXmlStreamAttribute& a : book.attributes())
            if (a.name() == u"id") // r:id, whatever the prefix is called
                id = a.value().toString();
        if (!targets.contains(id))
            continue;
        // Excel gives every sheet its own part; sheets sharing one are a
        // crafted file that would unpack the part again and again.
        for (const auto& sheet : sheets)
            if (sheet.second == targets.value(id))
                throw Unreadable(fileName);
        sheets.append(
            {book.attributes().value(QLatin1String("name")).toString(), targets.value(id)});
    }
    if (book.hasError())
        throw Unreadable(fileName);
    return sheets;
}

QString Iconv(const QByteArray& bytes, const char* from, bool* ok) {
    *ok = false;
    iconv_t cd = iconv_open("UTF-8", from);
    // iconv's own error value is the integer −1 as a pointer.
    if (cd == reinterpret_cast<iconv_t>(-1)) // NOLINT(performance-no-int-to-ptr)
        return {};
    QByteArray out(bytes.size() * 2 + 16, Qt::Uninitialized);
    char* in = const_cast<char*>(bytes.constData());
    size_t inLeft = static_cast<size_t>(bytes.size());
    char* dst = out.data();
    size_t outLeft = static_cast<size_t>(out.size());
    const size_t done = iconv(cd, &in, &inLeft, &dst, &outLeft);
    iconv_close(cd);
    if (done == static_cast<size_t>(-1) || inLeft != 0)
        return {};
    out.truncate(out.size() - static_cast<qsizetype>(outLeft));
    *ok = true;
    return QString::fromUtf8(out);
}

} // namespace

QList<SheetTable> ReadSheets(const QString& fileName) {
    const QString suffix = QFileInfo(fileName).suffix().toLower();
    if (suffix == u"csv" || suffix == u"txt")
        return {ReadCsvSheet(fileName)};
    if (suffix == u"xls")
        throw Failure(QStringLiteral("不能读取旧的 .xls 格式"), fileName,
                      QStringLiteral("请在Excel中另存为 .xlsx 后再导入。"));
    return ReadXlsxSheets(fileName);
}

QList<SheetTable> ReadXlsxSheets(const QString& fileName) {
    if (!QFileInfo(fileName).isFile())
        throw Failure(QStringLiteral("文件不存在"), fileName);
    ReadBudget budget{fileName};
    XlsxArchive zip(fileName, budget);
    const QString sharedPart = QStringLiteral("xl/sharedStrings.xml");
    const QStringList shared =
        zip.has(sharedPart) ? ReadSharedStrings(zip.read(sharedPart), fileName) : QStringList();
    budget.spendCells(shared.size());
    QList<SheetTable> tables;
    for (const auto& [name, part] : ListSheets(zip, fileName))
        tables.append({name, ReadWorksheet(zip.read(part), shared, budget)});
    return tables;
}

QString DecodeCsvText(const QByteArray& bytes) {
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    if (bytes.startsWith("\xEF\xBB\xBF")) {
        // The mark says UTF-8: other bytes after it are a damaged or mislabelled file.
        const QString text = utf8(QByteArrayView(bytes).sliced(3));
        if (utf8.hasError())
            throw Failure(QStringLiteral("文件标明是 UTF-8 编码，内容却不是，没有读取"), QString(),
                          QStringLiteral("请在Excel中重新存为“CSV UTF-8”后再导入。"));
        return text;
    }
    QString text = utf8(bytes);
    if (!utf8.hasError())
        return text;
    bool ok = false;
    text = Iconv(bytes, "GB18030", &ok);
    if (!ok)
        throw Failure(QStringLiteral("无法识别文件的文字编码"), QString(),
                      QStringLiteral("请存为 UTF-8 或 GB18030（GBK）编码的 CSV。"));
    return text;
}

QList<QStringList> ParseCsv(const QString& text) {
    qsizetype cells = 0; // each cell, however short, costs a string
    const qsizetype firstEnd = text.indexOf(u'\n');
    const QStringView first = QStringView(text).left(firstEnd < 0 ? text.size() : firstEnd);
    const QChar sep = first.contains(u'\t') && !first.contains(u',') ? u'\t' : u',';
    QList<QStringList> rows;
    QStringList row;
    QString cell;
    bool quoted = false;
    bool any = false; // the row has begun
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (quoted) {
            if (c == u'"' && i + 1 < text.size() && text[i + 1] == u'"') {
                cell += u'"';
                ++i;
            } else if (c == u'"') {
                quoted = false;
            } else {
                cell += c;
            }
        } else if (c == u'"') {
            quoted = true;
            any = true;
        } else if (c == sep) {
            if (++cells > kMaxCells)
                throw TooLarge(QString());
            row << cell;
            cell.clear();
            any = true;
        } else if (c == u'\n' || c == u'\r') {
            if (c == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n')
                ++i;
            if (++cells > kMaxCells)
                throw TooLarge(QString());
            row << cell;
            rows << row;
            row.clear();
            cell.clear();
            any = false;
        } else {
            cell += c;
            any = true;
        }
    }
    if (any || !cell.isEmpty()) {
        row << cell;
        rows << row;
    }
    return rows;
}

SheetTable ReadCsvSheet(const QString& fileName) {
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        throw Failure(QStringLiteral("无法打开文件"), fileName);
    if (file.size() > kMaxCsvBytes)
        throw TooLarge(fileName);
    try {
        return {QFileInfo(fileName).completeBaseName(), ParseCsv(DecodeCsvText(file.readAll()))};
    } catch (const Failure& e) {
        throw Failure(e.reason(), fileName, e.advice());
    }
}
