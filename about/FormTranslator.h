#pragma once
// Translating a form from the language file: the window and the about box set
// their captions, hints, page titles and list items through it. It knows the
// Qt classes of the forms and the few components of the main window that keep
// texts of their own (the port and sensor lists, the unit labels).

class QWidget;
class TLangManager;

// Sets the caption of Form and the captions, hints, page titles and list items
// of the components below it from Lang's selected language.
void TranslateForm(const TLangManager& Lang, QWidget* Form);
