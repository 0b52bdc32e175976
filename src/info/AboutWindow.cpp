#include "info/AboutWindow.h"

#include "widgets/MainContext.h"
#include "widgets/Named.h"

#include <QCloseEvent>
#include <QFrame>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QTimer>

namespace quillory::info {

namespace {
// The window's design size and the places of its controls, in twips.
constexpr int kWidth = 4815;
constexpr int kHeight = 6500;
constexpr int kMargin = 120;
constexpr int kContainerTop = 1560;

QRect pixels(int left, int top, int width, int height) {
    return QRect(twipsToPixels(left), twipsToPixels(top), twipsToPixels(width),
                 twipsToPixels(height));
}

QRect pixels(const TwipRect& r) {
    return pixels(r.left, r.top, r.width, r.height);
}

// The platform's timer asks for 1 ms but ticks about every 15 ms, which gives the credits a
// readable pace; the same pace here.
constexpr int kScrollInterval = 15;
constexpr int kPauseInterval = 2000;
constexpr int kGrowInterval = 10;
} // namespace

AboutWindow::AboutWindow(MainContext& context, QSize screenSize, QWidget* parent)
    : QDialog(parent), m_context(context) {
    setObjectName(QStringLiteral("frmAbout"));
    setWindowTitle(QStringLiteral("About"));

    imgLogo = named(new QLabel(this), "imgLogo");
    imgLogo->setPixmap(QPixmap(QStringLiteral(":/quillory/quillory.png"))
                           .scaled(48, 48, Qt::KeepAspectRatio, Qt::SmoothTransformation));
    imgLogo->setGeometry(pixels(kMargin, kMargin, 720, 720));

    lblTitle = named(new QLabel(QStringLiteral("Quillory! QD"), this), "lblTitle");
    QFont titleFont = lblTitle->font();
    titleFont.setPointSizeF(titleFont.pointSizeF() * 2);
    titleFont.setBold(true);
    lblTitle->setFont(titleFont);
    lblTitle->setGeometry(pixels(960, kMargin, kWidth - 960 - kMargin, 720));
    lblTitle->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);

    lblCredits = named(new QLabel(QStringLiteral("Credits"), this), "lblCredits");
    lblCredits->setGeometry(pixels(kMargin, 1080, kWidth - 2 * kMargin, 360));
    lblCredits->setAlignment(Qt::AlignHCenter | Qt::AlignVCenter);

    // The panel clips the credits: only the part of LbLMsg inside it shows.
    picContainer = named(new QFrame(this), "picContainer");
    picContainer->setFrameShape(QFrame::StyledPanel);
    picContainer->setFrameShadow(QFrame::Sunken);
    picContainer->setGeometry(
        pixels(kMargin, kContainerTop, kWidth - 2 * kMargin, CreditsScroller::kContainerHeight));
    LbLMsg = named(new QLabel(picContainer), "LbLMsg");
    LbLMsg->setTextFormat(Qt::PlainText);
    LbLMsg->setWordWrap(true);
    LbLMsg->setAlignment(Qt::AlignHCenter | Qt::AlignTop);

    lblCopyright = named(new QLabel(legalNotice(), this), "lblCopyright");
    lblCopyright->setWordWrap(true);
    lblCopyright->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    lblCopyright->setGeometry(pixels(kMargin,
                                     kContainerTop + CreditsScroller::kContainerHeight + 120,
                                     kWidth - 2 * kMargin, 1500));

    cmdOK = named(new QPushButton(QStringLiteral("OK"), this), "cmdOK");
    cmdOK->setDefault(true);
    cmdOK->setGeometry(pixels(kWidth - kMargin - 1215, 5520, 1215, 450));
    connect(cmdOK, &QPushButton::clicked, this, &AboutWindow::cmdOK_Click);

    tmrScroll = new QTimer(this);
    tmrScroll->setObjectName(QStringLiteral("tmrScroll"));
    connect(tmrScroll, &QTimer::timeout, this, &AboutWindow::tmrScroll_Timer);
    tmrStartScroll = new QTimer(this);
    tmrStartScroll->setObjectName(QStringLiteral("tmrStartScroll"));
    connect(tmrStartScroll, &QTimer::timeout, this, &AboutWindow::tmrStartScroll_Timer);

    // The credits start just below the visible part of the panel.
    m_context.disableMainFor(this);
    placeCredits();
    tmrScroll->setInterval(kScrollInterval);
    tmrScroll->start();
    LbLMsg->setText(QString(creditsText()).replace(QLatin1Char('\r'), QLatin1Char('\n')));
    setWindowTitle(aboutCaption(QUILLORY_BUILD_NUMBER));

    // The opening: from nothing in the middle of the screen to the full size.
    const QList<TwipRect> sizes =
        growSequence(screenSize.width() * kTwipsPerPixel, screenSize.height() * kTwipsPerPixel);
    for (const TwipRect& r : sizes)
        m_growth.append(pixels(r));
    m_growTimer = new QTimer(this);
    m_growTimer->setObjectName(QStringLiteral("tmrGrow"));
    m_growTimer->setInterval(kGrowInterval);
    connect(m_growTimer, &QTimer::timeout, this, [this] {
        if (!growStep())
            m_growTimer->stop();
    });
    growStep();
    m_growTimer->start();
}

bool AboutWindow::growStep() {
    if (m_growth.isEmpty())
        return false;
    m_outer = m_growth.takeFirst();
    applyOuter(m_growth.isEmpty() ? 20 : 0);
    return true;
}

void AboutWindow::applyOuter(int triesLeft) {
    // The sizes are those of the whole window, frame included, and it is centred by its frame.
    // The frame is known only once the window manager has framed the window, which may take a
    // moment after the first show: the last size is applied again until the frame has it.
    const QRect frame = frameGeometry();
    const QRect client = geometry();
    const QMargins margins(client.left() - frame.left(), client.top() - frame.top(),
                           frame.right() - client.right(), frame.bottom() - client.bottom());
    const QRect inner = m_outer.marginsRemoved(margins);
    // Fixed at every step: a window manager frames a window that can be resized differently.
    setFixedSize(inner.size());
    setGeometry(inner);
    if (m_growth.isEmpty() && frameGeometry() != m_outer && triesLeft > 0)
        QTimer::singleShot(50, this, [this, triesLeft] { applyOuter(triesLeft - 1); });
}

void AboutWindow::placeCredits() {
    LbLMsg->setGeometry(0, twipsToPixels(m_scroller.top()), picContainer->width(),
                        twipsToPixels(CreditsScroller::kLabelHeight));
}

void AboutWindow::tmrScroll_Timer() {
    const CreditsScroller::Tick tick = m_scroller.tick();
    placeCredits();
    if (tick == CreditsScroller::Tick::Paused)
        pause();
}

void AboutWindow::pause() {
    tmrScroll->stop();
    tmrStartScroll->setInterval(kPauseInterval);
    tmrStartScroll->start();
}

void AboutWindow::tmrStartScroll_Timer() {
    tmrScroll->start();
    tmrStartScroll->stop();
}

void AboutWindow::cmdOK_Click() {
    close();
}

} // namespace quillory::info
