#pragma once
// Rules for the text a user types into names: a pasted tab, line break or other
// control character would end up in print documents, workbooks and kbxt.ini;
// an invisible one (zero-width space, byte-order mark, direction mark) makes a
// second teacher who prints exactly like the first.
#include <QString>

// The first character a name must not hold: a control character, a format
// character (Unicode category Cf) or a line or paragraph separator. 0 when none.
char32_t HiddenCharacterIn(const QString& text);
// True when text holds such a character.
bool HasControlCharacter(const QString& text);

// What was found, for a message: "看不见的字符（U+200B）". Empty when nothing.
QString HiddenCharacterText(const QString& text);
// The message shown when an entry field refuses text, naming what was found.
QString ControlCharacterMessage(const QString& text);
