// Draws the program's own pictures so they can be remade at any time:
//   resources/HomePage.jpg                      the main window's background
//   packaging/icons/hicolor/scalable/apps/kbxt.svg and <n>x<n>/apps/kbxt.png
// Usage: drawart REPOSITORY_ROOT   (run offscreen; needs a CJK font)
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <QTextStream>
#include <cstdio>
#include <vector>

namespace {

const char* kCjkFamily = "Noto Sans CJK SC";

// --- the icon -------------------------------------------------------------
// One list of rounded rectangles on a 256 × 256 canvas, painted into the PNG
// sizes and written out as the SVG, so both always show the same picture.
struct IconRect {
    double x, y, w, h, r;
    QColor fill;
};

std::vector<IconRect> IconShapes() {
    std::vector<IconRect> s;
    // The timetable card with its header band.
    s.push_back({44, 58, 168, 156, 16, QColor("#ffffff")});
    s.push_back({44, 58, 168, 38, 16, QColor("#2bb3a3")});
    s.push_back({44, 80, 168, 16, 0, QColor("#2bb3a3")});
    // Two binder rings over the header.
    s.push_back({80, 42, 14, 34, 7, QColor("#f4f7fb")});
    s.push_back({162, 42, 14, 34, 7, QColor("#f4f7fb")});
    // The grid: 4 days × 3 lessons, coloured as the hand-placing windows colour
    // their cells (free, swappable, selected).
    const QColor colours[3][4] = {
        {QColor("#7fe6ef"), QColor("#e8eef5"), QColor("#ffe27a"), QColor("#e8eef5")},
        {QColor("#e8eef5"), QColor("#e0574a"), QColor("#e8eef5"), QColor("#7fe6ef")},
        {QColor("#ffe27a"), QColor("#e8eef5"), QColor("#7fe6ef"), QColor("#e8eef5")},
    };
    for (int row = 0; row < 3; ++row)
        for (int col = 0; col < 4; ++col)
            s.push_back({58 + col * 37.0, 108 + row * 34.0, 30, 26, 5, colours[row][col]});
    return s;
}

void PaintIcon(QPainter& p, double size) {
    p.save();
    p.scale(size / 256.0, size / 256.0);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient bg(0, 16, 0, 240);
    bg.setColorAt(0, QColor("#5bb2ea"));
    bg.setColorAt(1, QColor("#2f7cc0"));
    p.setPen(Qt::NoPen);
    p.setBrush(bg);
    p.drawRoundedRect(QRectF(16, 16, 224, 224), 48, 48);
    for (const IconRect& r : IconShapes()) {
        p.setBrush(r.fill);
        p.drawRoundedRect(QRectF(r.x, r.y, r.w, r.h), r.r, r.r);
    }
    p.restore();
}

bool WriteIconPng(const QString& path, int size) {
    QImage img(size, size, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    QPainter p(&img);
    PaintIcon(p, size);
    p.end();
    QDir().mkpath(QFileInfo(path).absolutePath());
    return img.save(path, "PNG");
}

bool WriteIconSvg(const QString& path) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    QTextStream out(&f);
    out << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        << "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"256\" height=\"256\" "
           "viewBox=\"0 0 256 256\">\n"
        << "  <defs><linearGradient id=\"bg\" x1=\"0\" y1=\"16\" x2=\"0\" y2=\"240\" "
           "gradientUnits=\"userSpaceOnUse\">"
        << "<stop offset=\"0\" stop-color=\"#5bb2ea\"/><stop offset=\"1\" "
           "stop-color=\"#2f7cc0\"/></linearGradient></defs>\n"
        << "  <rect x=\"16\" y=\"16\" width=\"224\" height=\"224\" rx=\"48\" fill=\"url(#bg)\"/>\n";
    for (const IconRect& r : IconShapes())
        out << "  <rect x=\"" << r.x << "\" y=\"" << r.y << "\" width=\"" << r.w << "\" height=\""
            << r.h << "\" rx=\"" << r.r << "\" fill=\"" << r.fill.name() << "\"/>\n";
    out << "</svg>\n";
    return f.error() == QFile::NoError;
}

// --- the background picture -----------------------------------------------
void DrawCloud(QPainter& p, double x, double y, double s) {
    p.setBrush(QColor(255, 255, 255, 210));
    p.drawEllipse(QPointF(x, y), 46 * s, 26 * s);
    p.drawEllipse(QPointF(x + 38 * s, y - 14 * s), 40 * s, 30 * s);
    p.drawEllipse(QPointF(x + 78 * s, y), 44 * s, 24 * s);
}

void DrawTree(QPainter& p, double x, double ground, double s) {
    p.setBrush(QColor("#b08663"));
    p.drawRoundedRect(QRectF(x - 6 * s, ground - 46 * s, 12 * s, 48 * s), 4, 4);
    p.setBrush(QColor("#7cc47f"));
    p.drawEllipse(QPointF(x, ground - 74 * s), 40 * s, 44 * s);
    p.setBrush(QColor("#93d395"));
    p.drawEllipse(QPointF(x - 12 * s, ground - 86 * s), 20 * s, 20 * s);
}

void DrawSchool(QPainter& p) {
    const double ground = 640;
    // Side wings and the middle block.
    p.setBrush(QColor("#fff1d2"));
    p.drawRect(QRectF(150, 470, 420, ground - 470));
    p.setBrush(QColor("#fff6e2"));
    p.drawRect(QRectF(290, 400, 140, ground - 400));
    // Roofs.
    p.setBrush(QColor("#d9735a"));
    QPainterPath wingRoof;
    wingRoof.moveTo(136, 472);
    wingRoof.lineTo(584, 472);
    wingRoof.lineTo(560, 446);
    wingRoof.lineTo(160, 446);
    wingRoof.closeSubpath();
    p.drawPath(wingRoof);
    QPainterPath gable;
    gable.moveTo(276, 402);
    gable.lineTo(444, 402);
    gable.lineTo(360, 334);
    gable.closeSubpath();
    p.drawPath(gable);
    // Clock in the gable.
    p.setBrush(QColor("#ffffff"));
    p.drawEllipse(QPointF(360, 378), 17, 17);
    p.setPen(QPen(QColor("#46607a"), 3, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(360, 378), QPointF(360, 367));
    p.drawLine(QPointF(360, 378), QPointF(368, 382));
    // Flag on the roof.
    p.setPen(QPen(QColor("#8a8f96"), 3));
    p.drawLine(QPointF(360, 336), QPointF(360, 282));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor("#e5483e"));
    QPainterPath flag;
    flag.moveTo(361, 284);
    flag.cubicTo(378, 278, 388, 294, 404, 288);
    flag.lineTo(404, 312);
    flag.cubicTo(388, 318, 378, 302, 361, 308);
    flag.closeSubpath();
    p.drawPath(flag);
    // Windows of the wings, two floors.
    p.setBrush(QColor("#a9d8f2"));
    for (int floor = 0; floor < 2; ++floor)
        for (double x : {172.0, 212.0, 252.0, 446.0, 486.0, 526.0})
            p.drawRoundedRect(QRectF(x, 490 + floor * 66, 26, 34), 3, 3);
    // Windows over the door and the door itself.
    p.drawRoundedRect(QRectF(316, 430, 26, 34), 3, 3);
    p.drawRoundedRect(QRectF(378, 430, 26, 34), 3, 3);
    p.setBrush(QColor("#8f6a4e"));
    QPainterPath door;
    door.addRoundedRect(QRectF(334, 560, 52, ground - 560 + 8), 22, 22);
    p.drawPath(door);
    p.setBrush(QColor("#fff6e2"));
    p.drawRect(QRectF(330, ground, 60, 10));
}

void DrawTimetableBoard(QPainter& p) {
    const QRectF board(700, 190, 470, 420);
    // Soft shadow, then the card.
    p.setBrush(QColor(40, 80, 120, 40));
    p.drawRoundedRect(board.translated(8, 10), 22, 22);
    p.setBrush(QColor("#ffffff"));
    p.drawRoundedRect(board, 22, 22);
    QPainterPath header;
    header.setFillRule(Qt::WindingFill);
    header.addRoundedRect(QRectF(board.left(), board.top(), board.width(), 64), 22, 22);
    header.addRect(QRectF(board.left(), board.top() + 30, board.width(), 34));
    p.setBrush(QColor("#2bb3a3"));
    p.drawPath(header);

    QFont font(kCjkFamily);
    font.setPixelSize(22);
    font.setWeight(QFont::DemiBold);
    p.setFont(font);
    p.setPen(QColor("#ffffff"));
    const char* days[] = {"周一", "周二", "周三", "周四", "周五"};
    const double left = board.left() + 70, cellW = 76, top = board.top() + 84, cellH = 50;
    for (int d = 0; d < 5; ++d)
        p.drawText(QRectF(left + d * cellW, board.top(), cellW, 64), Qt::AlignCenter,
                   QString::fromUtf8(days[d]));

    const char* lessons[] = {"1", "2", "3", "4", "5", "6"};
    const char* courses[6][5] = {
        {"语文", "数学", "语文", "英语", "数学"}, {"数学", "语文", "科学", "语文", "语文"},
        {"音乐", "体育", "数学", "美术", "英语"}, {"体育", "英语", "音乐", "数学", "班会"},
        {"美术", "科学", "体育", "语文", "体育"}, {"", "书法", "", "阅读", ""},
    };
    const QColor tints[] = {QColor("#dff6f8"), QColor("#fff4c9"), QColor("#e7f0fb"),
                            QColor("#fde3df"), QColor("#e5f5e0")};
    font.setPixelSize(19);
    font.setWeight(QFont::Normal);
    p.setFont(font);
    for (int row = 0; row < 6; ++row) {
        // A gap between the morning and the afternoon, as in the program's grids.
        const double y = top + row * cellH + (row >= 4 ? 10 : 0);
        p.setPen(QColor("#7b8a99"));
        p.drawText(QRectF(board.left() + 16, y, 44, cellH - 6), Qt::AlignCenter,
                   QString::fromUtf8(lessons[row]));
        for (int d = 0; d < 5; ++d) {
            const QRectF cell(left + d * cellW + 4, y, cellW - 8, cellH - 8);
            const QString name = QString::fromUtf8(courses[row][d]);
            p.setPen(Qt::NoPen);
            p.setBrush(name.isEmpty() ? QColor("#f3f5f8") : tints[(row * 2 + d) % 5]);
            p.drawRoundedRect(cell, 8, 8);
            p.setPen(QColor("#3d5366"));
            p.drawText(cell, Qt::AlignCenter, name);
        }
    }
    p.setPen(Qt::NoPen);
}

void DrawTitle(QPainter& p) {
    QFont font(kCjkFamily);
    font.setPixelSize(104);
    font.setWeight(QFont::Bold);
    font.setLetterSpacing(QFont::AbsoluteSpacing, 10);
    QPainterPath title;
    title.addText(96, 200, font, QStringLiteral("排课软件"));
    p.setPen(QPen(QColor(255, 255, 255, 230), 10, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    p.drawPath(title);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor("#2c5577"));
    p.drawPath(title);

    font.setPixelSize(30);
    font.setWeight(QFont::Normal);
    font.setLetterSpacing(QFont::AbsoluteSpacing, 6);
    p.setFont(font);
    p.setPen(QColor("#4f7391"));
    p.drawText(QPointF(102, 258), QStringLiteral("小学课表  轻松编排"));
    p.setPen(Qt::NoPen);
}

QImage DrawBackground() {
    QImage img(1280, 800, QImage::Format_RGB32);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    p.setPen(Qt::NoPen);

    QLinearGradient sky(0, 0, 0, 800);
    sky.setColorAt(0.0, QColor("#bfe1f6"));
    sky.setColorAt(0.62, QColor("#eaf5fb"));
    sky.setColorAt(1.0, QColor("#fbf4e4"));
    p.fillRect(img.rect(), sky);

    QRadialGradient glow(QPointF(1150, 90), 170);
    glow.setColorAt(0, QColor(255, 236, 170, 230));
    glow.setColorAt(0.35, QColor(255, 236, 170, 150));
    glow.setColorAt(1, QColor(255, 236, 170, 0));
    p.setBrush(glow);
    p.drawEllipse(QPointF(1150, 90), 170, 170);
    p.setBrush(QColor("#ffe08a"));
    p.drawEllipse(QPointF(1150, 90), 46, 46);

    DrawCloud(p, 610, 104, 1.0);
    DrawCloud(p, 860, 70, 0.7);
    DrawCloud(p, 120, 330, 0.6);

    // Rolling hills behind the school and a meadow in front.
    QPainterPath far;
    far.moveTo(0, 600);
    far.cubicTo(260, 520, 520, 560, 760, 590);
    far.cubicTo(980, 615, 1140, 560, 1280, 575);
    far.lineTo(1280, 800);
    far.lineTo(0, 800);
    far.closeSubpath();
    p.setBrush(QColor("#cfe8c4"));
    p.drawPath(far);
    DrawSchool(p);
    DrawTree(p, 110, 648, 1.0);
    DrawTree(p, 620, 646, 0.85);
    DrawTree(p, 1220, 660, 0.9);
    QPainterPath near;
    near.moveTo(0, 648);
    near.cubicTo(300, 628, 700, 668, 1000, 652);
    near.cubicTo(1120, 646, 1220, 640, 1280, 646);
    near.lineTo(1280, 800);
    near.lineTo(0, 800);
    near.closeSubpath();
    p.setBrush(QColor("#b5dca7"));
    p.drawPath(near);
    // A path leading to the door.
    QPainterPath walk;
    walk.moveTo(340, 650);
    walk.lineTo(380, 650);
    walk.cubicTo(420, 720, 470, 760, 520, 800);
    walk.lineTo(400, 800);
    walk.cubicTo(380, 740, 350, 700, 340, 650);
    p.setBrush(QColor("#f1e3c6"));
    p.drawPath(walk);

    DrawTimetableBoard(p);
    DrawTitle(p);
    p.end();
    return img;
}

} // namespace

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: drawart REPOSITORY_ROOT\n");
        return 2;
    }
    const QString root = QString::fromLocal8Bit(argv[1]);
    bool ok = true;

    // Quality 88 keeps the picture well under 200 KB without visible blocks in
    // the gradients.
    ok &= DrawBackground().save(root + "/resources/HomePage.jpg", "JPG", 88);

    const QString icons = root + "/packaging/icons/hicolor";
    ok &= WriteIconSvg(icons + "/scalable/apps/kbxt.svg");
    for (int size : {16, 24, 32, 48, 64, 128, 256})
        ok &= WriteIconPng(QStringLiteral("%1/%2x%2/apps/kbxt.png").arg(icons).arg(size), size);

    if (!ok)
        std::fprintf(stderr, "drawart: could not write every picture\n");
    return ok ? 0 : 1;
}
