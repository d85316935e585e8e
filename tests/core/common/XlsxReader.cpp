#include "XlsxReader.h"

#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QProcess>

namespace {
const QString kPython = QStringLiteral("/usr/bin/python3");

QString DumpScript() {
    return qEnvironmentVariable("KBXT_SOURCE_DIR") +
           QStringLiteral("/tests/core/common/xlsx_dump.py");
}

QJsonObject Cell(const XlsxSheet& s, const QString& ref) {
    return s.cells.value(ref).toObject();
}
} // namespace

QString XlsxSheet::text(const QString& ref) const {
    return Cell(*this, ref).value("value").toVariant().toString();
}

QString XlsxSheet::border(const QString& ref, const char* side) const {
    return Cell(*this, ref).value(QLatin1String(side)).toString();
}

bool XlsxSheet::boxed(const QString& ref) const {
    for (const char* side : {"left", "right", "top", "bottom"}) {
        const QString style = border(ref, side);
        if (style != "thin" && style != "double")
            return false;
    }
    return true;
}

bool XlsxSheet::wrap(const QString& ref) const {
    return Cell(*this, ref).value("wrap").toBool();
}

bool XlsxSheet::centred(const QString& ref) const {
    const QJsonObject c = Cell(*this, ref);
    return c.value("horizontal").toString() == "center" &&
           c.value("vertical").toString() == "center";
}

QString CellRef(int row, int col) {
    QString letters;
    for (int c = col; c > 0; c = (c - 1) / 26)
        letters.prepend(QChar('A' + (c - 1) % 26));
    return letters + QString::number(row);
}

bool XlsxReaderAvailable(QString* why) {
    if (!QFileInfo::exists(kPython) || !QFileInfo::exists(DumpScript())) {
        *why = QStringLiteral("no %1 or no %2").arg(kPython, DumpScript());
        return false;
    }
    QProcess p;
    p.start(kPython, {QStringLiteral("-c"), QStringLiteral("import openpyxl")});
    if (!p.waitForFinished(30000) || p.exitCode() != 0) {
        *why = QStringLiteral("openpyxl is not installed for %1").arg(kPython);
        return false;
    }
    return true;
}

QList<XlsxSheet> ReadXlsx(const QString& path, QString* error) {
    QProcess p;
    p.start(kPython, {DumpScript(), path});
    if (!p.waitForFinished(60000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) {
        *error = QString::fromUtf8(p.readAllStandardError());
        return {};
    }
    QJsonParseError parse{};
    const QJsonDocument doc = QJsonDocument::fromJson(p.readAllStandardOutput(), &parse);
    if (parse.error != QJsonParseError::NoError) {
        *error = parse.errorString();
        return {};
    }
    QList<XlsxSheet> sheets;
    for (const QJsonValue v : doc.object().value("sheets").toArray()) {
        const QJsonObject o = v.toObject();
        XlsxSheet s;
        s.title = o.value("title").toString();
        s.page = o.value("page").toString();
        s.defaultRowHeight = o.value("defaultRowHeight").toDouble();
        const QJsonObject widths = o.value("widths").toObject();
        for (auto it = widths.begin(); it != widths.end(); ++it)
            s.widths.insert(it.key().toInt(), it.value().toDouble());
        const QJsonObject heights = o.value("heights").toObject();
        for (auto it = heights.begin(); it != heights.end(); ++it)
            s.heights.insert(it.key().toInt(), it.value().toDouble());
        for (const QJsonValue m : o.value("merged").toArray())
            s.merged << m.toString();
        s.cells = o.value("cells").toObject();
        sheets << s;
    }
    return sheets;
}
