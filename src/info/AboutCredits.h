#pragma once

#include <QList>
#include <QString>

namespace quillory::info {

// Positions of the about window are kept in twips, the unit its layout is drawn in, so the
// scroll arithmetic (the pause at exactly 255) stays exact; pixels only at the screen.
constexpr int kTwipsPerPixel = 15;
int twipsToPixels(int twips);

// The product's legal notice, shown by the about and memory windows.
QString legalNotice();
// The credits, lines joined by "\r".
QString creditsText();
// "Quillory! QD (Build " + build number + ")".
QString aboutCaption(int buildNumber);

// One size of the opening animation, in twips, centred on the screen.
struct TwipRect {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    bool operator==(const TwipRect&) const = default;
};

// The sizes the about window passes through when it opens: square sizes 0 to 6500 in steps of
// 250, each centred on the screen, then the final width 4815 at the height 6500, centred again.
QList<TwipRect> growSequence(int screenWidthTwips, int screenHeightTwips);

// The credits moving up through their clipped panel.
class CreditsScroller {
public:
    static constexpr int kContainerHeight = 2055;
    static constexpr int kLabelHeight = 5775;
    static constexpr int kStep = 10;
    static constexpr int kPauseTop = 255;

    enum class Tick {
        Moved,     // moved up one step
        Paused,    // moved up and reached the pause position: hold for two seconds
        Restarted, // had passed the panel entirely; starts again from below
    };

    explicit CreditsScroller(int containerHeight = kContainerHeight, int labelHeight = kLabelHeight,
                             int step = kStep, int pauseTop = kPauseTop);

    Tick tick();
    int top() const { return m_top; }
    int containerHeight() const { return m_containerHeight; }
    int labelHeight() const { return m_labelHeight; }

private:
    int m_containerHeight;
    int m_labelHeight;
    int m_step;
    int m_pauseTop;
    int m_top;
};

} // namespace quillory::info
