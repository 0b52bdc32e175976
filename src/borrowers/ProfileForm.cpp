#include "borrowers/ProfileForm.h"

#include "widgets/FieldHelpers.h"
#include "widgets/MainContext.h"

#include <QLineEdit>

namespace quillory::borrowers {

void ProfileForm::watchChanges() const {
    for (QLineEdit* e : {name, home, cell})
        resetColourOnChange(e);
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
    markRefused(edit(refusal.field));
}

} // namespace quillory::borrowers
