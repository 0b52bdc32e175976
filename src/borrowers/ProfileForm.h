#pragma once

#include "borrowers/Borrowers.h"

class QLineEdit;

namespace quillory {
class MainContext;
}

namespace quillory::borrowers {

// The three text fields of a profile dialog and how they react to a refusal: the refused field
// turns yellow and takes the focus; any change of a field's text gives it the window colour back.
struct ProfileForm {
    QLineEdit* name = nullptr;
    QLineEdit* home = nullptr;
    QLineEdit* cell = nullptr;

    // Call once the fields exist.
    void watchChanges() const;
    ProfileFields fields() const;
    // Shows the refusal's message, then marks its field.
    void refuse(MainContext& context, const FieldRefusal& refusal) const;
    QLineEdit* edit(Field field) const;
};

} // namespace quillory::borrowers
