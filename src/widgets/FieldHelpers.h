#pragma once

class QLineEdit;

namespace quillory {

// SelectAllText: from now on the whole text of the field is selected whenever it gets the focus,
// by keyboard or by a click, so typing replaces the value.
void SelectAllText(QLineEdit* field);

// A refused field: yellow background and the focus.
void markRefused(QLineEdit* field);
// Typing in the field turns it back to the window colour.
void resetColourOnChange(QLineEdit* field);

} // namespace quillory
