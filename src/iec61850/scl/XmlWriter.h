#pragma once

#include <cstdint>
#include <deque>
#include <string>
#include <string_view>

namespace Iec61850::Acsi::Scl {

// Streams an XML document into memory, one call per start tag, attribute, end tag or
// piece of content. Elements, attributes, character data and comments are written: no
// declaration or processing instruction. A start tag stays open after its
// name so that attributes can follow; the next call decides between ">" and "/>".
//
// Layout with indentation: every start tag and value element begins on a new line
// indented by one space per enclosing element, and so does an end tag that follows child
// elements. Text follows its start tag directly and the end tag follows the text, so that
// a value holds no line feed or indentation it did not have. The document therefore
// begins with a line feed and ends without one. Without indentation nothing separates
// the tags.
//
// Every text that goes into the document through an attribute, a value element or
// WriteText is escaped, and characters that XML 1.0 cannot carry become "?", so the
// output is well-formed whatever the values hold. Names are written as given.
class XmlWriter {
public:
    XmlWriter() = default;
    explicit XmlWriter(bool indent) : indent_(indent) {}
    // Writes a part of a document that another writer holds, `depth` elements deep there:
    // indented as that writer would indent it, for its WriteRaw.
    XmlWriter(bool indent, std::size_t depth) : indent_(indent), depth_(depth) {}
    virtual ~XmlWriter() = default;

    virtual bool IsValid() const { return true; }
    bool Indents() const { return indent_; }

    bool StartElement(std::string_view name);

    // Refused (false, nothing written) unless a start tag is open, that is before the
    // element's first child, text or value element.
    bool WriteAttribute(std::string_view name, std::string_view value);
    bool AddAttribute(std::string_view name, std::string_view value) { return WriteAttribute(name, value); }
    // The value is written as an unsigned 32-bit decimal: -1 gives "4294967295".
    bool AddAttribute(std::string_view name, std::uint32_t value);

    // Closes the innermost element: "/>" when its start tag is still open, else its end
    // tag. A no-operation when nothing is open.
    bool EndElement();
    bool EndAllElements();

    // An empty element with one attribute "Value". As the first element of a document
    // it stays open like a start tag, taking further attributes and children.
    bool WriteValueElement(std::string_view name, std::string_view value);

    bool WriteText(std::string_view text);

    // A comment on a line of its own (with indentation), its text on one line. What a
    // comment cannot hold is replaced: characters XML cannot carry and a "-" that would
    // make "--" become "?", line ends a blank.
    bool WriteComment(std::string_view text);

    // Appends markup as it stands; the caller answers for its well-formedness.
    bool WriteRaw(std::string_view text);

    // Appends `input` to `output` escaped as element text (the five special characters
    // as entities, characters XML cannot carry as "?"). Returns false, leaving `output`
    // untouched, when `input` needs no escaping.
    static bool Escape(std::string& output, std::string_view input);

    // Ends every open element and moves the document into `output` (replacing what it
    // held). The writer is empty afterwards and can write another document.
    bool GetXml(std::string& output);

private:
    void CloseOpenStartTag();
    void WriteIndentation();
    void AppendEscapedAttribute(std::string_view value);

    bool indent_ = false;
    std::size_t depth_ = 0;
    bool startTagOpen_ = false;
    // The last thing written was text: the end tag that follows stays on its line.
    bool textLast_ = false;
    std::string pendingName_;
    std::string text_;
    std::deque<std::string> elementStack_;  // innermost last
};

}  // namespace Iec61850::Acsi::Scl
