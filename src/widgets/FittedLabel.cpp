#include "widgets/FittedLabel.h"

#include <QHelpEvent>
#include <QPainter>
#include <QTextLayout>
#include <QToolTip>

namespace quillory {

FittedLabel::FittedLabel(QWidget* parent, int lines) : FittedLabel(QString(), parent, lines) {}

FittedLabel::FittedLabel(const QString& text, QWidget* parent, int lines)
    : QLabel(text, parent), m_lines(qMax(1, lines)) {
    setTextFormat(Qt::PlainText);
    setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
}

QSize FittedLabel::sizeHint() const {
    const QMargins m = contentsMargins();
    return {fontMetrics().averageCharWidth() * 8 + m.left() + m.right(),
            fontMetrics().lineSpacing() * m_lines + m.top() + m.bottom()};
}

QSize FittedLabel::minimumSizeHint() const {
    return {0, sizeHint().height()};
}

void FittedLabel::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    drawFrame(&painter);
    const QRect area = contentsRect();
    const QFontMetrics metrics = fontMetrics();
    QString shown = text().left(kMaxShown);
    shown.replace(QLatin1Char('\n'), QLatin1Char(' ')).replace(QLatin1Char('\r'), QLatin1Char(' '));
    m_elided = text().size() > kMaxShown;

    QTextLayout layout(shown, font());
    QTextOption option;
    option.setWrapMode(m_lines > 1 ? QTextOption::WrapAtWordBoundaryOrAnywhere
                                   : QTextOption::NoWrap);
    layout.setTextOption(option);
    QStringList lines;
    layout.beginLayout();
    while (lines.size() < m_lines) {
        QTextLine line = layout.createLine();
        if (!line.isValid())
            break;
        line.setLineWidth(area.width());
        const bool last = lines.size() == m_lines - 1;
        const qsizetype end = line.textStart() + line.textLength();
        if (last && (end < shown.size() || line.naturalTextWidth() > area.width())) {
            const QString rest = shown.mid(line.textStart());
            lines << metrics.elidedText(rest, Qt::ElideRight, area.width());
            m_elided = true;
            break;
        }
        lines << shown.mid(line.textStart(), line.textLength());
    }
    layout.endLayout();

    painter.setPen(palette().color(foregroundRole()));
    int y = area.top() + metrics.ascent();
    for (const QString& line : lines) {
        painter.drawText(QPoint(area.left(), y), line);
        y += metrics.lineSpacing();
    }
}

bool FittedLabel::event(QEvent* event) {
    if (event->type() == QEvent::ToolTip && toolTip().isEmpty()) {
        if (!m_elided || text().isEmpty()) {
            QToolTip::hideText();
            event->ignore();
            return true;
        }
        // Escaped, so the tooltip cannot read the text as markup either.
        const QString whole = QStringLiteral("<p style='white-space:pre-wrap'>") +
                              text().left(kMaxShown).toHtmlEscaped() + QStringLiteral("</p>");
        QToolTip::showText(static_cast<QHelpEvent*>(event)->globalPos(), whole, this);
        return true;
    }
    return QLabel::event(event);
}

} // namespace quillory
