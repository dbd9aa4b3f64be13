#pragma once

#include <string>

namespace System {

// Replaces & ' > < " by "&amp;", "&apos;", "&gt;", "&lt;", "&quot;".
void EscapeXmlText(std::string& text);

// The reverse, in one pass over the text, so that a character that was itself written
// as an entity ("&amp;lt;") comes back as that entity text ("&lt;") and is not
// unescaped twice. Other "&" sequences stay as they are.
void UnescapeXmlText(std::string& text);

}  // namespace System
