#pragma once
// Where the keyboard is when a window opens: in its first field, whatever the last use of the
// window left focused.

class QLineEdit;

// Gives `field` the keyboard with its text selected, so that typing replaces it. Call it as the
// window opens (its showEvent, or before exec()).
void FocusFirstField(QLineEdit* field);
