#include "info/AboutCredits.h"

#include <QStringList>
#include <cmath>

namespace quillory::info {

int twipsToPixels(int twips) {
    return int(std::floor(double(twips) / kTwipsPerPixel));
}

QString legalNotice() {
    return QStringLiteral("Copyright \u00A9 2026 Quillory Works. All rights reserved. This "
                          "program is protected by copyright law; copying or distributing it "
                          "without permission is not allowed.");
}

QString creditsText() {
    const QStringList lines = {
        QStringLiteral("Chief Programmer"),
        QStringLiteral("Rowan Tellwright"),
        QString(),
        QStringLiteral("WebMaster"),
        QStringLiteral("Ines Marrowby"),
        QString(),
        QStringLiteral("Help File"),
        QStringLiteral("Tobiah Fenwright, Liesl Varrow"),
        QString(),
        QStringLiteral("Distributor and Beta Tester"),
        QStringLiteral("Oskar Brambleton, Juniper Hale-Okafor"),
        QString(),
        QStringLiteral("And not forgetting all those who have contributed ") +
            QStringLiteral("someway or another in the development of this software.") +
            QStringLiteral(" Thanks!"),
        QString(),
        QString(),
        QStringLiteral("All Rights Reserved"),
        QStringLiteral("Quillory Works"),
        QStringLiteral("2026"),
    };
    return lines.join(QLatin1Char('\r'));
}

QString aboutCaption(int buildNumber) {
    return QStringLiteral("Quillory! QD (Build %1)").arg(buildNumber);
}

QList<TwipRect> growSequence(int screenWidth, int screenHeight) {
    auto centred = [&](int width, int height) {
        return TwipRect{(screenWidth - width) / 2, (screenHeight - height) / 2, width, height};
    };
    QList<TwipRect> steps;
    for (int size = 0; size <= 6500; size += 250)
        steps.append(centred(size, size));
    steps.append(centred(4815, 6500));
    return steps;
}

CreditsScroller::CreditsScroller(int containerHeight, int labelHeight, int step, int pauseTop)
    : m_containerHeight(containerHeight), m_labelHeight(labelHeight), m_step(step),
      m_pauseTop(pauseTop), m_top(containerHeight) {}

CreditsScroller::Tick CreditsScroller::tick() {
    if (m_top > -m_labelHeight) {
        m_top -= m_step;
        // Only an exact hit pauses: the pass starting from the panel's height must land on it.
        return m_top == m_pauseTop ? Tick::Paused : Tick::Moved;
    }
    m_top = m_containerHeight;
    return Tick::Restarted;
}

} // namespace quillory::info
