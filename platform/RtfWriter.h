#pragma once

#include <QByteArray>
#include <QString>

// Rich Text Format for plain text: one group, one default font, no colours. Every character
// survives a reader: the RTF specials \ { } are escaped, anything beyond ASCII becomes \uN with
// a "?" (as \'3f) for readers that know no Unicode, a character outside the Basic Multilingual
// Plane as its two UTF-16 halves, and line breaks (LF, CR, CR LF, U+2028, U+2029) become \par.
QByteArray RtfFromPlainText(const QString &text);
