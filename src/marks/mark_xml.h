#pragma once

// What the GPX and KML files share: a parse that never reads a DTD or expands an entity, bounded
// nesting, and the line of a node for the summary.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include <pugixml.hpp>

class CXmlDocument {
public:
    // False with an error when the text is not well-formed XML or nests deeper than MaxDepth.
    bool Parse(std::string_view text, std::string& error);
    const pugi::xml_document& Document() const { return m_Document; }
    // 1-based line of the node in the parsed text.
    std::size_t Line(const pugi::xml_node& node) const;

private:
    pugi::xml_document m_Document;
    std::vector<std::size_t> m_LineStarts;
};

// The element's name without its namespace prefix ("gpx:wpt" is "wpt").
std::string_view LocalName(const pugi::xml_node& node);
// The first child element of that local name.
pugi::xml_node ChildNamed(const pugi::xml_node& node, std::string_view name);
// Every element below node of that local name, in document order.
std::vector<pugi::xml_node> Descendants(const pugi::xml_node& node, std::string_view name);

// Writes the document as indented UTF-8 with a declaration.
std::string XmlText(const pugi::xml_document& document);
