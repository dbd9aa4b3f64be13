#pragma once

#include <string>
#include <string_view>

// The XML classes live with the rest of the SCL code: the ICD export writes with them
// and the application reads the export's settings and answers with them.
namespace Iec61850::Acsi::Scl {

// Character-level rules shared by the writer, the tree and the parser. Values in the
// tree are always raw text; these functions are the only place where text turns into
// XML or back.

// White space as the parser skips it: space, tab, line feed, vertical tab, form feed,
// carriage return (fixed, whatever the locale).
bool IsXmlSpace(char c);

// Appends `input` to `output` as element content: the five special characters become
// their entities, a carriage return becomes "&#13;" (a parser would turn it into a line
// feed otherwise), and each byte or code point that XML 1.0 cannot carry (control
// characters other than tab, line feed and carriage return, invalid UTF-8, U+FFFE,
// U+FFFF) becomes "?". Returns false, with `output` untouched, when `input` can stand
// as it is.
bool EscapeXmlText(std::string& output, std::string_view input);

// As EscapeXmlText, for an attribute value in quotation marks: tab and line feed are
// written as character references too, since a parser turns them into spaces.
bool EscapeXmlAttribute(std::string& output, std::string_view input);

// Appends `input` to `output` with the five predefined entities and decimal or
// hexadecimal character references replaced by the characters they stand for (UTF-8).
// An ampersand that starts none of these, or a reference to a character that XML
// cannot carry, is kept as written.
void DecodeXmlReferences(std::string& output, std::string_view input);

}  // namespace Iec61850::Acsi::Scl
