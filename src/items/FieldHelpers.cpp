#include "items/FieldHelpers.h"

#include <QApplication>
#include <QEvent>
#include <QLineEdit>
#include <QPointer>
#include <QTimer>

namespace quillory::items {

namespace {

const QColor kRefusedColour(255, 255, 0);

class SelectAllOnFocus : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::FocusIn) {
            // After the event: a click places the caret when it is handled, which would
            // undo a selection made now.
            QPointer<QLineEdit> field = qobject_cast<QLineEdit*>(watched);
            QTimer::singleShot(0, this, [field] {
                if (field && field->hasFocus())
                    field->selectAll();
            });
        }
        return false;
    }
};

} // namespace

void SelectAllText(QLineEdit* field) {
    field->installEventFilter(new SelectAllOnFocus(field));
}

void markRefused(QLineEdit* field) {
    QPalette palette = field->palette();
    palette.setColor(QPalette::Base, kRefusedColour);
    field->setPalette(palette);
    field->setFocus(Qt::OtherFocusReason);
}

void resetColourOnChange(QLineEdit* field) {
    QObject::connect(field, &QLineEdit::textChanged, field, [field] {
        QPalette palette = field->palette();
        palette.setColor(QPalette::Base, QApplication::palette(field).color(QPalette::Base));
        field->setPalette(palette);
    });
}

} // namespace quillory::items
