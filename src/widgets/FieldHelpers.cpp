#include "widgets/FieldHelpers.h"

#include <QApplication>
#include <QEvent>
#include <QLineEdit>
#include <QPalette>
#include <QTimer>

namespace quillory {

namespace {

const QColor kRefusedColour(255, 255, 0);

void setBase(QLineEdit* field, const QColor& colour) {
    QPalette palette = field->palette();
    palette.setColor(QPalette::Base, colour);
    field->setPalette(palette);
}

class SelectAllOnFocus : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::FocusIn) {
            auto* field = static_cast<QLineEdit*>(watched);
            field->selectAll();
            // Again after the event: a click places the caret when it is handled, which would
            // undo the selection made now. Not once the focus has moved on, as a field without
            // the focus shows no selection of its own.
            QTimer::singleShot(0, field, [field] {
                if (field->hasFocus())
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
    setBase(field, kRefusedColour);
    field->setFocus(Qt::OtherFocusReason);
}

void resetColourOnChange(QLineEdit* field) {
    QObject::connect(field, &QLineEdit::textChanged, field, [field] {
        setBase(field, QApplication::palette(field).color(QPalette::Base));
    });
}

} // namespace quillory
