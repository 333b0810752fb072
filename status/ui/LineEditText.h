// Putting a value into a length-limited edit. An edit's length limit is there to stop the user
// typing more; a value the program shows (a six-digit counter in a five-character edit, the 255s of
// a failed warranty read, "Service fällig") must appear whole, or taking it back would change it.
#pragma once

#include <QString>

class QLineEdit;

// Shows text in edit in full; the edit's typing limit grows to the text's length while it is longer
// and returns to the form's limit with the next shorter text.
void setShownText(QLineEdit* edit, const QString& text);
