#include "gui/manual/frmTimetableQuality.h"

#include "core/model/Failure.h"
#include "core/store/Lookups.h"
#include "core/store/TimetableCheckStore.h"
#include "gui/widgets/AppContext.h"
#include "gui/widgets/UiMetrics.h"
#include "gui/widgets/WaitCursor.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

QTreeWidget* list(QWidget* parent, const char* name, const QStringList& headers) {
    auto* w = new QTreeWidget(parent);
    w->setObjectName(name);
    w->setHeaderLabels(headers);
    w->setRootIsDecorated(false);
    w->setAllColumnsShowFocus(true);
    w->header()->setStretchLastSection(true);
    return w;
}

QLabel* caption(QWidget* parent, const QString& text, QWidget* buddy) {
    auto* l = new QLabel(text, parent);
    l->setBuddy(buddy);
    return l;
}

// The faults of one class or teacher, as the report words them.
QString faultsOf(const rules::ObjectQuality& o) {
    QStringList parts;
    for (int i = 0; i < rules::kMeasureCount; ++i) {
        const auto m = static_cast<rules::Measure>(i);
        if (m != rules::Measure::BestCells && rules::at(o.figures, m) > 0)
            parts << QStringLiteral("%1 %2 %3")
                         .arg(rules::measureName(m))
                         .arg(rules::at(o.figures, m))
                         .arg(rules::measureUnit(m));
    }
    return parts.join(QStringLiteral("，"));
}

} // namespace

frmTimetableQuality::frmTimetableQuality(AppContext& ctx, QWidget* parent)
    : QDialog(parent), m_ctx(ctx) {
    setObjectName("frmTimetableQuality");
    setWindowTitle(QStringLiteral("课表质量"));
    setFont(SongTi(10));
    setWindowFlag(Qt::WindowMaximizeButtonHint);

    lblResult = new QLabel(this);
    lblResult->setObjectName("lblResult");
    lblResult->setWordWrap(true);
    lstMeasures = list(this, "lstMeasures", {QStringLiteral("项目"), QStringLiteral("全校")});
    lstClasses =
        list(this, "lstClasses", {QStringLiteral("班级"), QStringLiteral("需要改进的地方")});
    lstTeachers =
        list(this, "lstTeachers", {QStringLiteral("老师"), QStringLiteral("需要改进的地方")});
    // Every measure and all five of the worst in view without scrolling.
    const int row = fontMetrics().height() + 4;
    // (The header, every measure, the row of double and joint lessons kept,
    // and the frame; the header and five rows below: nothing to spare on a
    // laptop screen.)
    lstMeasures->setMinimumSize(Twips(6000), row * (rules::kMeasureCount + 2) + 6);
    lstMeasures->header()->resizeSection(0, Twips(4200));
    for (QTreeWidget* w : {lstClasses, lstTeachers}) {
        w->setMinimumSize(Twips(6000), row * 6 + 6);
        w->header()->resizeSection(0, Twips(1800));
    }
    cmdRecount = new QPushButton(QStringLiteral("重新计算(&R)"), this);
    cmdCopy = new QPushButton(QStringLiteral("复制全部(&C)"), this);
    cmdOK = new QPushButton(QStringLiteral("关闭(&Q)"), this);
    cmdRecount->setObjectName("cmdRecount");
    cmdCopy->setObjectName("cmdCopy");
    cmdOK->setObjectName("cmdOK");
    cmdOK->setDefault(true);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(cmdRecount);
    buttons->addWidget(cmdCopy);
    buttons->addStretch();
    buttons->addWidget(cmdOK);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(lblResult);
    layout->addWidget(caption(this, QStringLiteral("全校(&M)："), lstMeasures));
    layout->addWidget(lstMeasures);
    // The worst classes and teachers side by side, so the window fits a
    // laptop screen at 125 %.
    auto* worst = new QHBoxLayout;
    for (const auto& [text, w] :
         {std::pair{QStringLiteral("最需要改进的班级(&L)："), lstClasses},
          std::pair{QStringLiteral("最需要改进的老师(&T)："), lstTeachers}}) {
        auto* column = new QVBoxLayout;
        column->addWidget(caption(this, text, w));
        column->addWidget(w, 1);
        worst->addLayout(column);
    }
    layout->addLayout(worst, 1);
    layout->addLayout(buttons);

    connect(cmdRecount, &QPushButton::clicked, this, &frmTimetableQuality::Measure);
    connect(cmdCopy, &QPushButton::clicked, this, &frmTimetableQuality::cmdCopy_Click);
    connect(cmdOK, &QPushButton::clicked, this, &QDialog::close);

    Measure();
    lstMeasures->setFocus();
}

void frmTimetableQuality::Measure() {
    for (QTreeWidget* w : {lstMeasures, lstClasses, lstTeachers})
        w->clear();
    m_lines.clear();
    rules::QualityReport report;
    try {
        const WaitCursor wait;
        report = TimetableQuality(m_ctx.db, m_ctx.lessonsPerDay);
    } catch (const Failure& f) {
        lblResult->setText(QStringLiteral("读取课表数据失败：") + f.message());
        return;
    }
    const rules::NameOf nameOf = NameLookup(m_ctx.db);
    m_lines = report.lines(nameOf);
    for (int i = 0; i < rules::kMeasureCount; ++i) {
        const auto m = static_cast<rules::Measure>(i);
        auto* item = new QTreeWidgetItem(lstMeasures);
        item->setText(0, rules::measureName(m));
        item->setText(
            1, QStringLiteral("%1 %2").arg(rules::at(report.school, m)).arg(rules::measureUnit(m)));
    }
    // The double and joint lessons kept share one row, so that the window
    // still fits a laptop screen.
    if (const QStringList kept = report.keptLines(); !kept.isEmpty()) {
        auto* item = new QTreeWidgetItem(lstMeasures);
        item->setText(0, QStringLiteral("连堂与合班"));
        item->setText(1, kept.join(QStringLiteral("；")));
        item->setToolTip(1, item->text(1));
    }
    for (const auto& [w, objects, kind] : {std::tuple{lstClasses, &report.classes, 'c'},
                                           std::tuple{lstTeachers, &report.teachers, 't'}})
        for (const rules::ObjectQuality& o : rules::QualityReport::worst(*objects, 5)) {
            auto* item = new QTreeWidgetItem(w);
            const QString name = nameOf(kind, o.code);
            item->setText(0, name.isEmpty() ? o.code : name);
            item->setText(1, faultsOf(o));
            item->setToolTip(1, item->text(1));
        }
    const bool clean =
        lstClasses->topLevelItemCount() == 0 && lstTeachers->topLevelItemCount() == 0;
    lblResult->setText(clean ? QStringLiteral("没有空堂、晚开始的一天或其他需要改进的地方。")
                             : QStringLiteral("下面是课表的质量，最需要改进的班级和老师排在前面。"
                                              "空堂和晚开始的一天最要紧。"));
    if (QTreeWidgetItem* first = lstMeasures->topLevelItem(0))
        lstMeasures->setCurrentItem(first);
}

void frmTimetableQuality::cmdCopy_Click() {
    QGuiApplication::clipboard()->setText(m_lines.join('\n'));
}
