#include "gui/shell/frmSimpleManual.h"

#include "gui/widgets/UiMetrics.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QScrollArea>
#include <QVBoxLayout>

QString SimpleManualText() {
    const char* const lines[] = {
        "简要使用步骤：（详细操作请参考《使用手册》）",
        "",
        "一、输入基础数据",
        "    1. 加入班级名单",
        "    2. 加入课程名单",
        "    3. 加入老师名单",
        "    4. 调整上课时间限制",
        "    5. 输入各班级教学计划",
        "",
        "二、生成课表",
        "    1. 预先安排固定课程。如班队课，先安排在周五的下午两节课。 "
        "在下一步自动排课时，就不会对这里排好的课程进行重排。 \t",
        "    2. 自动生成课表。 "
        "运行此功能，会先删除原先排好的课表，为了避免误执行此功能，需要输入密码。",
        "    3. 手工调整课表。 调课、安排自动排课时没有排完的课。",
        "        删除已排课时：鼠标右键单击想删除的课时即可。",
        "        调课：鼠标左键点击一节课时，系统会用黄色显示可以与此课时交换的课时，"
        "用鼠标右键点击黄色课时，完成调课。",
        "        安排未排课程：用鼠标选中未排的课程，在左下方的课表中会显示该班级的课表，"
        "鼠标左键单击课表中青色的课时。",
        "    4. 打印课表。",
    };
    QStringList out;
    for (const char* l : lines)
        out << QString::fromUtf8(l);
    return out.join('\n');
}

frmSimpleManual::frmSimpleManual(QWidget* parent) : QDialog(parent) {
    setObjectName("frmSimpleManual");
    setWindowTitle(QStringLiteral("简要使用说明"));
    setFont(SongTi(11));
    Label1 = new QLabel(SimpleManualText());
    Label1->setObjectName("Label1");
    Label1->setTextFormat(Qt::PlainText);
    Label1->setWordWrap(true);
    Label1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Label1->setContentsMargins(8, 8, 8, 8);
    // Wrapped to the window's width and scrolled when the screen is short (a
    // 1366×768 screen at 125 % leaves about 580 pixels); the keys scroll too.
    scrText = new QScrollArea(this);
    scrText->setObjectName("scrText");
    scrText->setWidget(Label1);
    scrText->setWidgetResizable(true);
    scrText->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scrText->setFocusPolicy(Qt::StrongFocus);
    cmdClose = new QPushButton(QStringLiteral("关闭(&C)"), this);
    cmdClose->setObjectName("cmdClose");
    connect(cmdClose, &QPushButton::clicked, this, &QDialog::accept);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cmdClose);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(16, 16, 16, 16);
    layout->addWidget(scrText, 1);
    layout->addLayout(buttons);
    resize(Twips(9600) + 2 * 16 + 24, Twips(6600));
    scrText->setFocus();
}
