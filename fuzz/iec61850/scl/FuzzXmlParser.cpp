// Feeds arbitrary bytes to the XML parser and the cursor: whatever parses must serialize
// to text that parses again to the same tree. The same bytes also drive the writer as a
// script of calls with hostile values, and what it writes must always parse.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "iec61850/scl/XmlCursor.h"
#include "iec61850/scl/XmlNode.h"
#include "iec61850/scl/XmlParser.h"
#include "iec61850/scl/XmlWriter.h"

using namespace Iec61850::Acsi::Scl;

namespace {

void Require(bool condition) {
    if (!condition) std::abort();
}

std::string Serialized(const XmlNode& node) {
    std::string text;
    node.Serialize(text, false);
    return text;
}

void WalkWithCursor(const std::string& text) {
    XmlCursor cursor;
    if (!cursor.ParseString(text)) return;
    std::string value;
    int steps = 0;
    while (cursor.SearchDescendants("") && ++steps < 64) {
        cursor.PushCurrent();
        while (cursor.MoveToSibling("") && ++steps < 64) cursor.ReadAttribute("Value", value);
        cursor.ReadText(value);
        cursor.MoveToParent();
    }
    cursor.Rewind();
    cursor.SeekSiblingWithAttribute("", "Value", "1");
}

void CheckParserRoundTrip(const std::string& text) {
    auto root = XmlParser::ParseDocument(text);
    if (!root) return;
    const std::string once = Serialized(*root);
    auto again = XmlParser::ParseDocument(once);
    Require(again != nullptr);
    Require(Serialized(*again) == once);
}

// Each step: one operation byte, a length byte, then that many bytes of value.
void CheckWriterOutputParses(std::string_view script) {
    if (script.empty()) return;
    static const char* const kNames[] = {"SCL", "Item", "Val", "x"};
    XmlWriter writer((script[0] & 1) != 0);
    int depth = 0;          // elements started and not yet ended
    bool rootDone = false;  // text outside the root element would not parse
    bool wroteRoot = false;
    std::size_t i = 1;
    while (i + 1 < script.size()) {
        const auto op = static_cast<unsigned char>(script[i]);
        const std::size_t length =
            std::min<std::size_t>(static_cast<unsigned char>(script[i + 1]) % 32, script.size() - i - 2);
        const std::string_view value = script.substr(i + 2, length);
        i += 2 + length;
        switch (op % 6) {
            case 0:  // the parser refuses deeper nesting by design
                if (rootDone || depth >= XmlParser::kMaxDepth) break;
                writer.StartElement(kNames[(op / 8) % 4]);
                ++depth;
                wroteRoot = true;
                break;
            case 1: writer.WriteAttribute(kNames[(op / 8) % 4], value); break;
            case 2:
                if (depth > 0) writer.WriteText(value);
                break;
            case 3:
                if (rootDone || depth >= XmlParser::kMaxDepth) break;
                if (!wroteRoot) ++depth;  // the first value element stays open
                writer.WriteValueElement(kNames[(op / 8) % 4], value);
                wroteRoot = true;
                break;
            case 4: writer.AddAttribute("n", static_cast<std::uint32_t>(op) * 0x01010101u); break;
            default:
                writer.EndElement();
                if (depth > 0 && --depth == 0) rootDone = true;
                break;
        }
    }
    std::string xml;
    writer.GetXml(xml);
    if (wroteRoot) Require(XmlParser::ParseDocument(xml) != nullptr);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    WalkWithCursor(text);
    CheckParserRoundTrip(text);
    CheckWriterOutputParses(text);
    return 0;
}
