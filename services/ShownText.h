#pragma once
// Text as an error line or box shows it: control characters escaped ("\n",
// "\x1B"), and a text too long for one line shortened in its middle, so that
// a value from a file or the command line can neither garble the terminal or
// the log nor flood them.

#include <QString>

QString ShownText(const QString& Text);
