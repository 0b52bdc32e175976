#pragma once

#include <QLabel>

namespace quillory {

// A label for text that comes from records, files or the user. The text is shown as plain text
// in at most the given number of lines, wrapped and then elided inside the label's own width, so
// no content can widen a layout or resize a window; when the text does not fit, its tooltip shows
// it whole. text() gives back what was set.
class FittedLabel : public QLabel {
    Q_OBJECT
public:
    explicit FittedLabel(QWidget* parent = nullptr, int lines = 1);
    explicit FittedLabel(const QString& text, QWidget* parent = nullptr, int lines = 1);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;
    // The height is that of its lines whatever the text, never measured on the text.
    bool hasHeightForWidth() const override { return false; }
    int heightForWidth(int) const override { return -1; }
    // Whether the text as last painted did not fit.
    bool isElided() const { return m_elided; }

    // More characters than any label can show on any screen: a 1 MB line is never laid out.
    static constexpr int kMaxShown = 2000;

protected:
    void paintEvent(QPaintEvent* event) override;
    bool event(QEvent* event) override;

private:
    int m_lines;
    bool m_elided = false;
};

} // namespace quillory
