#include "borrowers/ProfileForm.h"

#include "shell/MainContext.h"

#include <QApplication>
#include <QEvent>
#include <QLineEdit>
#include <QPalette>
#include <QTimer>

namespace quillory::borrowers {

namespace {

void setBase(QLineEdit* edit, const QColor& colour) {
    QPalette palette = edit->palette();
    palette.setColor(QPalette::Base, colour);
    edit->setPalette(palette);
}

// Selects on every focus gain. Deferred as well, because a mouse press that brought the focus
// would otherwise place the cursor and undo the selection.
class SelectAllFilter : public QObject {
public:
    using QObject::QObject;
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::FocusIn) {
            auto* edit = static_cast<QLineEdit*>(watched);
            edit->selectAll();
            QTimer::singleShot(0, edit, &QLineEdit::selectAll);
        }
        return false;
    }
};

} // namespace

void ProfileForm::watchChanges() const {
    for (QLineEdit* e : {name, home, cell}) {
        QObject::connect(e, &QLineEdit::textChanged, e,
                         [e] { setBase(e, QApplication::palette(e).color(QPalette::Base)); });
    }
}

ProfileFields ProfileForm::fields() const {
    return {name->text(), home->text(), cell->text()};
}

QLineEdit* ProfileForm::edit(Field field) const {
    switch (field) {
    case Field::Name:
        return name;
    case Field::Home:
        return home;
    case Field::Cell:
        return cell;
    }
    return name;
}

void ProfileForm::refuse(MainContext& context, const FieldRefusal& refusal) const {
    context.messages().show(refusal.message);
    QLineEdit* e = edit(refusal.field);
    setBase(e, kRefusedColour);
    e->setFocus();
}

void selectAllOnFocus(QLineEdit* edit) {
    edit->installEventFilter(new SelectAllFilter(edit));
}

} // namespace quillory::borrowers
