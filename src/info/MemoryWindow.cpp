#include "info/MemoryWindow.h"

#include "info/AboutCredits.h"
#include "info/MemoryText.h"
#include "widgets/MainContext.h"
#include "widgets/Named.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

namespace quillory::info {

namespace {
const QString kPleaseWait = QStringLiteral("Please wait ...");
const QString kSwapHint = QStringLiteral("A block of memory associated with the Windows Swap file");
const QString kVirtualHint = QStringLiteral("A swap file associated with Windows Swap file.");

// Blue bar on white, whatever the style draws by default.
const QString kBarStyle = QStringLiteral(
    "QProgressBar { background-color: rgb(255, 255, 255); border: 1px solid rgb(128, 128, 128); }"
    "QProgressBar::chunk { background-color: rgb(0, 0, 255); }");
} // namespace

MemoryWindow::MemoryWindow(MainContext& context, QWidget* parent)
    : QDialog(parent), m_context(context) {
    setObjectName(QStringLiteral("frmMemory"));
    setWindowTitle(QStringLiteral("Memory Information"));

    fmeSysMemDetails =
        named(new QGroupBox(QStringLiteral("System Memory Details"), this), "fmeSysMemDetails");
    auto label = [](QWidget* parent, const char* name, const QString& caption) {
        auto* l = named(new QLabel(caption, parent), name);
        l->setTextFormat(Qt::PlainText);
        return l;
    };
    lblTotalPhys = label(fmeSysMemDetails, "lblTotalPhys",
                         QStringLiteral("Calculating Total Physical Memory . . ."));
    lblAvailPhys = label(fmeSysMemDetails, "lblAvailPhys",
                         QStringLiteral("Calculating Free Physical Memory . . ."));
    lblTotalPage = label(fmeSysMemDetails, "lblTotalPage",
                         QStringLiteral("Calculating Total Current Paging File . . ."));
    lblAvailPage = label(fmeSysMemDetails, "lblAvailPage",
                         QStringLiteral("Calculating Free Current Paging File . . ."));
    lblTotalVirtual = label(fmeSysMemDetails, "lblTotalVirtual",
                            QStringLiteral("Calculating Total Virtual Memory . . ."));
    lblAvailVirtual = label(fmeSysMemDetails, "lblAvailVirtual",
                            QStringLiteral("Calculating Free Virtual Memory . . ."));
    lblTotalPage->setToolTip(kSwapHint + QLatin1Char('.'));
    lblAvailPage->setToolTip(kSwapHint);
    lblTotalVirtual->setToolTip(kVirtualHint);
    lblAvailVirtual->setToolTip(kVirtualHint);
    auto* details = new QVBoxLayout(fmeSysMemDetails);
    for (QLabel* l :
         {lblTotalPhys, lblAvailPhys, lblTotalPage, lblAvailPage, lblTotalVirtual, lblAvailVirtual})
        details->addWidget(l);

    fmeFreeSysMem =
        named(new QGroupBox(QStringLiteral("Free System Memory"), this), "fmeFreeSysMem");
    auto bar = [this](const char* name) {
        auto* b = named(new QProgressBar(fmeFreeSysMem), name);
        b->setTextVisible(false);
        b->setStyleSheet(kBarStyle);
        b->setRange(0, 1);
        b->setValue(0);
        return b;
    };
    pgbPhysMem = bar("pgbPhysMem");
    lblPhysUsed = label(fmeFreeSysMem, "lblPhysUsed", kPleaseWait);
    pgbVirtMem = bar("pgbVirtMem");
    lblVirtUsed = label(fmeFreeSysMem, "lblVirtUsed", kPleaseWait);
    auto* usage = new QVBoxLayout(fmeFreeSysMem);
    usage->addWidget(pgbPhysMem);
    usage->addWidget(lblPhysUsed);
    usage->addWidget(pgbVirtMem);
    usage->addWidget(lblVirtUsed);

    for (QGroupBox* box : {fmeSysMemDetails, fmeFreeSysMem}) {
        QFont bold = box->font();
        bold.setBold(true);
        box->setFont(bold);
        // The bold caption only: the contents keep a plain font.
        QFont plain = bold;
        plain.setBold(false);
        for (QWidget* child : box->findChildren<QWidget*>())
            child->setFont(plain);
    }

    lblCopyright = label(this, "lblCopyright", legalNotice());
    lblCopyright->setWordWrap(true);
    cmdCloseMem = named(new QPushButton(QStringLiteral("Close"), this), "cmdCloseMem");
    cmdCloseMem->setDefault(true);
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(lblCopyright, 1);
    bottom->addWidget(cmdCloseMem, 0, Qt::AlignBottom);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(fmeSysMemDetails);
    layout->addWidget(fmeFreeSysMem);
    layout->addLayout(bottom);
    resize(qMax(420, sizeHint().width()), sizeHint().height());

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(1000);
    connect(Timer1, &QTimer::timeout, this, &MemoryWindow::Timer1_Timer);
    connect(cmdCloseMem, &QPushButton::clicked, this, &MemoryWindow::cmdCloseMem_Click);

    m_context.disableMainFor(this);
    const std::optional<MemoryFigures> figures = m_context.platform().memory.query();
    // Without figures the labels keep their "Calculating" captions: better than a false zero.
    if (figures) {
        const MemoryUsage now = memoryUsage(*figures);
        pgbPhysMem->setRange(0, qMax(1, now.phys.maximum));
        pgbVirtMem->setRange(0, qMax(1, now.virt.maximum));
        const MemoryFigureTexts texts = figureTexts(*figures);
        lblTotalPhys->setText(texts.totalPhys);
        lblAvailPhys->setText(texts.availPhys);
        lblTotalPage->setText(texts.totalPage);
        lblAvailPage->setText(texts.availPage);
        lblTotalVirtual->setText(texts.totalVirtual);
        lblAvailVirtual->setText(texts.availVirtual);
    }
    setWindowTitle(QStringLiteral("Memory Information for ") +
                   m_context.platform().osVersion.text());
    Timer1->start();
}

void MemoryWindow::Timer1_Timer() {
    const std::optional<MemoryFigures> figures = m_context.platform().memory.query();
    if (!figures)
        return; // keep the last figures shown until the system answers again
    const MemoryUsage now = memoryUsage(*figures);
    pgbPhysMem->setRange(0, qMax(1, now.phys.maximum));
    pgbPhysMem->setValue(now.phys.value);
    lblPhysUsed->setText(now.physText);
    pgbVirtMem->setRange(0, qMax(1, now.virt.maximum));
    pgbVirtMem->setValue(now.virt.value);
    lblVirtUsed->setText(now.virtText);
}

void MemoryWindow::cmdCloseMem_Click() {
    close();
}

void MemoryWindow::done(int result) {
    // Every way out of the dialog (its button, the frame's close control, Esc) ends here.
    Timer1->stop();
    QDialog::done(result);
}

} // namespace quillory::info
